#include "probes/ProbeFile.h"

#include "common/Cp1252.h"
#include "common/TextTrim.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvin::probes {
namespace {

const QString kWrittenExtension = QStringLiteral(".prb");
const QString kReadExtension = QStringLiteral(".Prb");

// The probe name a file name stands for, when it ends in ".prb" in any case.
std::optional<QString> ProbeNameOfFile(const QString& fileName) {
    if (!fileName.endsWith(kWrittenExtension, Qt::CaseInsensitive))
        return std::nullopt;
    return fileName.chopped(kWrittenExtension.size());
}

bool IsPlainFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

} // namespace

QByteArray EncodeProbeRecord(const cProbe& probe) {
    QByteArray bytes = ToFixedField(probe.Probe_Name(), kProbeFieldLength);
    bytes.reserve(kProbeRecordLength);
    for (int k = 1; k <= kChannelCount; ++k)
        bytes.append(ToFixedField(probe.Ch(k), kProbeFieldLength));
    return bytes;
}

ProbeRecord DecodeProbeRecord(const QByteArray& bytes) {
    QByteArray record = bytes.left(kProbeRecordLength);
    record.append(QByteArray(kProbeRecordLength - record.size(), '\0'));
    ProbeRecord r;
    r.Probe_Name = FromCp1252(record.mid(0, kProbeFieldLength));
    for (int k = 1; k <= kChannelCount; ++k)
        r.Ch[k - 1] = FromCp1252(record.mid(k * kProbeFieldLength, kProbeFieldLength));
    return r;
}

cProbe ToProbe(const ProbeRecord& record) {
    cProbe probe;
    probe.setProbe_Name(TrimPadding(record.Probe_Name));
    for (int k = 1; k <= kChannelCount; ++k)
        probe.setCh(k, TrimPadding(record.Ch[k - 1]));
    return probe;
}

std::optional<QString> UnsafeProbeNameReason(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("A probe name cannot be empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("\"%1\" is not a file name").arg(name);
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("A probe name cannot contain \"/\"");
    for (QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("A probe name cannot contain control characters");
    }
    if (FromCp1252(ToCp1252(name)) != name)
        return QStringLiteral("A probe name can only hold characters of the Windows-1252 code page");
    if (name.size() > kProbeFieldLength)
        return QStringLiteral("A probe name cannot be longer than %1 characters").arg(kProbeFieldLength);
    return std::nullopt;
}

std::optional<QString> ResolveProbePath(const QString& folder, const QString& name) {
    if (UnsafeProbeNameReason(name))
        return std::nullopt;
    const QString exact = folder + QLatin1Char('/') + name + kReadExtension;
    if (IsPlainFile(exact))
        return exact;
    std::optional<QString> sameNameAnyCase;
    for (const QString& path : ListProbeFiles(folder)) {
        const std::optional<QString> base = ProbeNameOfFile(QFileInfo(path).fileName());
        if (!base)
            continue;
        if (*base == name)
            return path;
        if (!sameNameAnyCase && base->compare(name, Qt::CaseInsensitive) == 0)
            sameNameAnyCase = path;
    }
    return sameNameAnyCase;
}

QString ProbeFilePath(const QString& folder, const QString& name) {
    if (std::optional<QString> existing = ResolveProbePath(folder, name))
        return *existing;
    return folder + QLatin1Char('/') + name + kWrittenExtension;
}

Status WriteProbeFile(const QString& folder, const cProbe& probe, const AtomicFileFactory& files) {
    cProbe stored;
    stored.setProbe_Name(TrimSpaces(probe.Probe_Name()));
    for (int k = 1; k <= kChannelCount; ++k)
        stored.setCh(k, TrimSpaces(probe.Ch(k)));

    const QString& name = stored.Probe_Name();
    const std::optional<QString> unsafe = UnsafeProbeNameReason(name);
    const QString path =
        unsafe ? folder + QLatin1Char('/') + name + kWrittenExtension : ProbeFilePath(folder, name);
    const auto failure = [&path](const QString& why) {
        return Status::failure(QStringLiteral("Problems with writing ") + path + QStringLiteral(" to disc") +
                               QLatin1Char('\n') + why);
    };
    if (unsafe)
        return failure(*unsafe);
    if (Status s = WriteFileAtomically(path, EncodeProbeRecord(stored), files); !s)
        return failure(s.message());
    return Status::success();
}

Status ReadProbeFile(const QString& path, ProbeRecord& record) {
    // Plain POSIX calls: a listing reads hundreds of these small files. Opening without blocking
    // and checking the kind of file keeps a pipe that happens to be called "x.prb" from stalling
    // the reader until something writes to it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Status::failure(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::failure(QStringLiteral("Not a plain file"));
    }
    char buffer[kProbeRecordLength];
    qsizetype got = 0;
    while (got < kProbeRecordLength) {
        const ssize_t n = ::read(fd, buffer + got, std::size_t(kProbeRecordLength - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const QString why = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return Status::failure(why);
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    record = DecodeProbeRecord(QByteArray(buffer, got));
    return Status::success();
}

Status ReadProbeFile(const QString& path, cProbe& probe) {
    ProbeRecord record;
    Status s = ReadProbeFile(path, record);
    if (s)
        probe = ToProbe(record);
    return s;
}

QStringList ListProbeFiles(const QString& folder) {
    // Without QDir::CaseSensitive the name filter ignores case, so "X.PRB" and "x.prb" are both
    // found. A probe whose name starts with a dot is still a probe, so hidden files count too
    // (a save's temporary file never ends in ".prb").
    QDirIterator it(folder, {QStringLiteral("*") + kWrittenExtension}, QDir::Files | QDir::Hidden);
    QStringList paths;
    while (it.hasNext())
        paths.append(it.next());
    // By name without regard to case, as the list always came on Windows; names that differ only
    // in case keep one fixed order between them.
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return paths;
}

std::vector<ProbeListing> ReadProbeListing(const QString& folder) {
    std::vector<ProbeListing> listing;
    for (const QString& path : ListProbeFiles(folder)) {
        ProbeListing entry{path, {}};
        if (ReadProbeFile(path, entry.record))
            listing.push_back(std::move(entry));
    }
    return listing;
}

} // namespace corvin::probes

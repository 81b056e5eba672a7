#include "probes/ProbeFile.h"

#include "common/Cp1252.h"
#include "common/PlainFile.h"
#include "common/TextTrim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
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
    struct stat info {};
    return ::stat(NativeFileName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// Characters Windows does not allow in a file name ("/" has a message of its own).
const QString kWindowsForbidden = QStringLiteral("<>:\"\\|?*");

// Names Windows keeps for its devices, whatever the extension after them.
bool IsWindowsDeviceName(const QString& name) {
    const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList devices{QStringLiteral("CON"),    QStringLiteral("PRN"),
                                     QStringLiteral("AUX"),    QStringLiteral("NUL"),
                                     QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (devices.contains(base))
        return true;
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base.at(3) >= QLatin1Char('1') && base.at(3) <= QLatin1Char('9');
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

std::optional<QString> UnfitTextReason(const QString& text) {
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("cannot contain control characters");
    }
    if (FromCp1252(ToCp1252(text)) != text)
        return QStringLiteral("can only hold characters of the Windows-1252 code page");
    return std::nullopt;
}

QString DecodeFileName(const QByteArray& bytes) {
    const QString utf8 = QString::fromUtf8(bytes);
    if (utf8.toUtf8() == bytes)
        return utf8;
    return FromCp1252(bytes);
}

QByteArray NativeFileName(const QString& path) {
    const QByteArray utf8 = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(utf8.constData(), &info) == 0)
        return utf8;
    // A name that DecodeFileName read as Windows-1252 has those bytes on disc.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (FromCp1252(ToCp1252(name)) != name)
        return utf8;
    const QByteArray legacy = QFile::encodeName(path.left(slash + 1)) + ToCp1252(name);
    return ::lstat(legacy.constData(), &info) == 0 ? legacy : utf8;
}

std::optional<QString> UnsafeProbeNameReason(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("A probe name cannot be empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("\"%1\" is not a file name").arg(name);
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("A probe name cannot contain \"/\"");
    if (std::optional<QString> unfit = UnfitTextReason(name))
        return QStringLiteral("A probe name ") + *unfit;
    if (name.size() > kProbeFieldLength)
        return QStringLiteral("A probe name cannot be longer than %1 characters").arg(kProbeFieldLength);
    // Probe files go to the Windows version too, so their names must be Windows file names.
    for (QChar c : name) {
        if (kWindowsForbidden.contains(c))
            return QStringLiteral(
                       "A probe name cannot contain \"%1\" (Windows does not allow it in file names)")
                .arg(c);
    }
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("A probe name cannot end in a dot or a space (Windows does not allow it)");
    if (IsWindowsDeviceName(name))
        return QStringLiteral("\"%1\" is a name Windows keeps for a device").arg(name);
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
    // Saving over a link would write wherever it points, outside the probes folder.
    if (QFileInfo(path).isSymLink())
        return failure(QStringLiteral("The probe file is a symbolic link; Corvin replaces only plain files "
                                      "in the probes folder"));
    if (Status s = WriteFileAtomically(path, EncodeProbeRecord(stored), files); !s)
        return failure(s.message());
    return Status::success();
}

Status ReadProbeFile(const QString& path, ProbeRecord& record) {
    // A listing reads hundreds of these small files; a pipe that happens to be called "x.prb"
    // must not stall it.
    QByteArray bytes;
    if (Status s = ReadPlainFile(NativeFileName(path), kProbeRecordLength, bytes); !s)
        return s;
    record = DecodeProbeRecord(bytes);
    return Status::success();
}

Status ReadProbeFile(const QString& path, cProbe& probe) {
    ProbeRecord record;
    Status s = ReadProbeFile(path, record);
    if (s)
        probe = ToProbe(record);
    return s;
}

Status ListProbeFolder(const QString& folder, QStringList& paths) {
    // The folder is read by its bytes: names that are not UTF-8 (Windows-1252 names from an
    // archive of the Windows version) are found too, and come back decoded by DecodeFileName.
    // "X.PRB" and "x.prb" both count, and so does a probe whose name starts with a dot (a save's
    // temporary file never ends in ".prb").
    paths.clear();
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return Status::failure(SystemError(errno));
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = DecodeFileName(QByteArray(entry->d_name));
        if (!ProbeNameOfFile(name))
            continue;
        const QString path = prefix + name;
        if (IsPlainFile(path))
            paths.append(path);
    }
    ::closedir(dir);
    // By name without regard to case, as the list always came on Windows; names that differ only
    // in case keep one fixed order between them.
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return Status::success();
}

QStringList ListProbeFiles(const QString& folder) {
    QStringList paths;
    if (!ListProbeFolder(folder, paths))
        return {}; // an unreadable folder holds no probes
    return paths;
}

ProbeFolderReading ReadProbeFolder(const QString& folder) {
    ProbeFolderReading reading;
    QStringList paths;
    reading.folder = ListProbeFolder(folder, paths);
    for (const QString& path : paths) {
        ProbeListing entry{path, {}};
        if (Status s = ReadProbeFile(path, entry.record); s)
            reading.probes.push_back(std::move(entry));
        else
            reading.unreadable.push_back({path, s.message()});
    }
    return reading;
}

std::vector<ProbeListing> ReadProbeListing(const QString& folder) {
    return ReadProbeFolder(folder).probes;
}

} // namespace corvin::probes

#include "datafiles/RecoveryFiles.h"

#include "common/AppendFile.h"
#include "datafiles/RecoveryJournal.h"
#include "datafiles/TestDataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvin::datafiles {
namespace {

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

void SyncFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QStringList ListJournals(const QString& folder) {
    const QString pattern = QStringLiteral("*") + QString::fromLatin1(RecoveryJournal::kExtension);
    QStringList paths;
    // Names carry the start time, so sorting by name puts the oldest test first.
    for (const QFileInfo& info :
         QDir(folder).entryInfoList({pattern}, QDir::Files | QDir::Hidden, QDir::Name)) {
        if (!info.isSymLink())
            paths << info.absoluteFilePath();
    }
    return paths;
}

Status ReadJournalFile(const QString& path, RecoveredTest& test) {
    // Without blocking, and only a plain file: a pipe named like a journal must not hang start-up.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Status::failure(SystemError(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::failure(QStringLiteral("it is not a plain file"));
    }
    // Whatever lies past the most frames a journal can hold is not read at all.
    QByteArray bytes(std::min<qint64>(info.st_size, kMaxJournalLength), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return Status::failure(SystemError(error));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return DecodeJournal(bytes, test);
}

bool JournalInUse(const QString& path) {
    return IsLockedForAppend(path);
}

Status SetJournalAside(const QString& path, QString& aside) {
    const QString base = path + QStringLiteral(".unreadable");
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    QFile file(path);
    if (!file.rename(name))
        return Status::failure(file.errorString());
    SyncFolder(QFileInfo(path).absolutePath());
    aside = name;
    return Status::success();
}

PeriodicDataSet ToPeriodicData(const RecoveredTest& test) {
    PeriodicDataSet data;
    const auto rows = static_cast<int16_t>(test.rows.size());
    data.Size(rows);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[k][r] = test.rows[r][k];
    }
    data.SampleCount = rows;
    data.ReadingIntervalSeconds = test.header.intervalSeconds;
    data.HeaderValues = {test.header.intervalSeconds, rows};
    data.ChannelNames = test.header.channelNames;
    return data;
}

Status SaveRecoveredTest(const RecoveredTest& test, const QString& path, const AtomicFileFactory& files) {
    PeriodicDataSet data = ToPeriodicData(test);
    return WriteTestDataFile(path, data, test.header.intervalSeconds, test.header.channelNames, files);
}

Status RemoveJournal(const QString& path) {
    QFile file(path);
    if (!file.remove())
        return Status::failure(file.errorString());
    SyncFolder(QFileInfo(path).absolutePath());
    return Status::success();
}

} // namespace corvin::datafiles

#include "common/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace corvin {

Status SyncFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Status::failure(SystemError(errno));
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder at all; that is no reason to call a save failed.
    if (synced != 0 && error != EINVAL && error != EROFS)
        return Status::failure(SystemError(error));
    return Status::success();
}

AtomicFile::AtomicFile(QString path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile() = default; // a QSaveFile never committed removes its temporary file

Status AtomicFile::open() {
    m_failure.clear();
    // Unbuffered, so that every byte goes to the system in write() and a full disc is seen there,
    // not later in a flush whose failure QSaveFile::commit() would not notice.
    m_file = std::make_unique<QSaveFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QString error = m_file->errorString();
        m_file.reset();
        return Status::failure(error);
    }
    return Status::success();
}

Status AtomicFile::abandon(const QString& why) {
    m_failure = why;
    m_file.reset(); // removes the temporary file; the old file stays as it was
    return Status::failure(why);
}

Status AtomicFile::write(const QByteArray& bytes) {
    if (!m_failure.isEmpty())
        return Status::failure(m_failure);
    if (!m_file)
        return Status::failure(QStringLiteral("File not open"));
    const int fd = m_file->handle();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return abandon(SystemError(n < 0 ? errno : ENOSPC));
        written += n;
    }
    return Status::success();
}

Status AtomicFile::commit() {
    if (!m_failure.isEmpty())
        return Status::failure(m_failure);
    if (!m_file)
        return Status::failure(QStringLiteral("File not open"));
    // The data must be on the disc before the new name points at it. QSaveFile syncs too, but
    // ignores a failure to do so.
    if (::fsync(m_file->handle()) != 0)
        return abandon(SystemError(errno));
    if (!m_file->commit())
        return abandon(m_file->errorString());
    m_file.reset();
    // QSaveFile syncs the file but not the folder that holds the new name; without this a power
    // cut just after the rename can bring the old name back.
    if (Status s = SyncFolder(QFileInfo(m_path).absolutePath()); !s) {
        m_failure = s.message();
        return s;
    }
    return Status::success();
}

Status WriteFileAtomically(const QString& path, const QByteArray& bytes, const AtomicFileFactory& factory) {
    std::unique_ptr<AtomicFile> file = factory.create(path);
    if (Status s = file->open(); !s)
        return s;
    if (Status s = file->write(bytes); !s)
        return s;
    return file->commit();
}

Status WriteFilesAtomically(const std::vector<std::pair<QString, QByteArray>>& contents,
                            const AtomicFileFactory& factory) {
    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const auto& [path, bytes] : contents) {
        files.push_back(factory.create(path));
        if (Status s = files.back()->open(); !s)
            return s;
        if (Status s = files.back()->write(bytes); !s)
            return s;
    }
    for (const std::unique_ptr<AtomicFile>& file : files)
        if (Status s = file->commit(); !s)
            return s;
    return Status::success();
}

} // namespace corvin

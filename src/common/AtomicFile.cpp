#include "common/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace corvin {

void SyncFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

AtomicFile::AtomicFile(QString path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile() = default;

Status AtomicFile::open() {
    m_file = std::make_unique<QSaveFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly))
        return Status::failure(m_file->errorString());
    return Status::success();
}

Status AtomicFile::write(const QByteArray& bytes) {
    if (!m_file)
        return Status::failure(QStringLiteral("File not open"));
    // A failed write is reported by commit(), which knows the real cause.
    m_file->write(bytes);
    return Status::success();
}

Status AtomicFile::commit() {
    if (!m_file)
        return Status::failure(QStringLiteral("File not open"));
    const bool committed = m_file->commit();
    const QString error = m_file->errorString();
    m_file.reset();
    if (!committed)
        return Status::failure(error);
    // QSaveFile syncs the file but not the folder that holds the new name; without this a power
    // cut just after the rename can bring the old name back.
    SyncFolder(QFileInfo(m_path).absolutePath());
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

} // namespace corvin

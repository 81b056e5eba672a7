#include "common/AppendFile.h"

#include "common/PlainFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvin {

AppendFile::AppendFile(QString path) : m_path(std::move(path)) {}

AppendFile::~AppendFile() {
    close();
}

Status AppendFile::open() {
    close();
    QString error;
    int64_t size = 0;
    const int fd = OpenPlainFile(QFile::encodeName(m_path), O_WRONLY | O_APPEND | O_NOFOLLOW, error, &size);
    if (fd < 0)
        return Status::failure(error);
    ::flock(fd, LOCK_EX | LOCK_NB);
    m_fd = fd;
    m_size = size;
    return Status::success();
}

Status AppendFile::append(const QByteArray& bytes) {
    if (m_fd < 0)
        return Status::failure(QStringLiteral("File not open"));
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // A torn piece would only be skipped by a reader; better not to leave it at all.
            if (::ftruncate(m_fd, m_size) != 0) {
                // Nothing more to do: readers stop at a torn piece anyway.
            }
            return Status::failure(SystemError(error));
        }
        written += n;
    }
    if (::fdatasync(m_fd) != 0)
        return Status::failure(SystemError(errno));
    m_size += bytes.size();
    return Status::success();
}

void AppendFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd); // the lock goes with it
        m_fd = -1;
    }
}

bool IsLockedForAppend(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

} // namespace corvin

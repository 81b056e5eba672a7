#include "common/PlainFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvin {

int OpenPlainFile(const QByteArray& nativeName, int flags, QString& error, int64_t* size) {
    const int fd = ::open(nativeName.constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = QStringLiteral("Not a plain file");
        return -1;
    }
    if (size)
        *size = info.st_size;
    return fd;
}

Status ReadPlainFile(const QByteArray& nativeName, int64_t maxBytes, QByteArray& bytes) {
    QString error;
    int64_t size = 0;
    const int fd = OpenPlainFile(nativeName, O_RDONLY, error, &size);
    if (fd < 0)
        return Status::failure(error);
    // Whatever lies past what the caller can use is not read at all.
    bytes.resize(static_cast<qsizetype>(std::min(size, maxBytes)));
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int why = errno;
            ::close(fd);
            return Status::failure(SystemError(why));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return Status::success();
}

} // namespace corvin

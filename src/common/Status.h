#pragma once
// A small result of an operation that can fail: success, or the message that says why not.
// Core code returns it; windows show the message through the desktop seam. A Status cannot be
// dropped unread: the compiler warns wherever a result is ignored.

#include <QString>
#include <cstring>
#include <utility>

namespace corvin {

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status success() { return {}; }
    static Status failure(QString message) {
        Status s;
        s.m_ok = false;
        s.m_message = std::move(message);
        return s;
    }
    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString& message() const { return m_message; }

private:
    bool m_ok = true;
    QString m_message;
};

// The system's own words for an error number ("No space left on device").
inline QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace corvin

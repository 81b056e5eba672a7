#pragma once
// The address of a lab's history server, as a user writes it:
//   postgresql://[user[:password]@][host][:port]/dbname[?key=value&...]
// (also postgres://). As in libpq, a host that begins with "/" is the folder of the server's
// Unix socket, given either percent-encoded in place or as ?host=/path. Anything else is
// refused with a message that says what is wrong, never with the password in it.

#include "common/Status.h"

#include <QString>
#include <utility>
#include <vector>

namespace corvin::history {

struct ServerAddress {
    QString user;
    QString password;
    QString host;  // empty: libpq's default socket folder
    int port = -1; // -1: the default port
    QString database;
    // Further connection settings for libpq (sslmode, connect_timeout, ...), in the given order.
    std::vector<std::pair<QString, QString>> options;

    // The address without the password, for messages and the status bar.
    QString shown() const;
    // The value of the option `key`, or `fallback` when the address does not give it.
    QString option(const QString& key, const QString& fallback = {}) const;
};

// Whether `text` is meant as a server address (it begins with postgresql:// or postgres://)
// rather than as a file.
bool IsServerAddress(const QString& text);

[[nodiscard]] Status ParseServerAddress(const QString& text, ServerAddress& out);

} // namespace corvin::history

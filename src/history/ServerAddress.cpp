#include "history/ServerAddress.h"

#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <array>

namespace corvin::history {
namespace {

const std::array<QLatin1String, 2> kSchemes = {QLatin1String("postgresql://"), QLatin1String("postgres://")};

// The libpq settings an address may add. The time-outs and keepalives that keep a call from
// hanging are the catalogue's own, except the connect time-out, which a slow network may need.
const std::array<QLatin1String, 14> kPassedOn = {
    QLatin1String("application_name"), QLatin1String("connect_timeout"),
    QLatin1String("sslmode"),          QLatin1String("sslcert"),
    QLatin1String("sslkey"),           QLatin1String("sslrootcert"),
    QLatin1String("sslcrl"),           QLatin1String("gssencmode"),
    QLatin1String("krbsrvname"),       QLatin1String("target_session_attrs"),
    QLatin1String("channel_binding"),  QLatin1String("requirepeer"),
    QLatin1String("passfile"),         QLatin1String("options")};

QString Decoded(const QString& text) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

Status Refused(const QString& why) {
    return Status::failure(QStringLiteral("The lab history's address %1.").arg(why));
}

Status ParsePort(const QString& text, int& port) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > 65535 || text.startsWith(QLatin1Char('+')))
        return Refused(
            QStringLiteral("has the port \"%1\", which is not a number from 1 to 65535").arg(text));
    port = value;
    return Status::success();
}

// host[:port], the host perhaps an IPv6 address in brackets.
Status ParseHostPort(const QString& text, ServerAddress& out) {
    if (text.contains(QLatin1Char(',')))
        return Refused(QStringLiteral("names several servers; give one"));
    QString host = text;
    QString port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return Refused(QStringLiteral("has a host in \"[\" that is not closed with \"]\""));
        const QString rest = host.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return Refused(QStringLiteral("has text after the host's \"]\" that is not a port"));
        port = rest.mid(1);
        host = host.mid(1, close - 1);
    } else if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        port = host.mid(colon + 1);
        host = host.left(colon);
    }
    out.host = Decoded(host);
    if (!port.isEmpty())
        return ParsePort(port, out.port);
    return Status::success();
}

Status ParseOption(const QString& pair, ServerAddress& out) {
    const qsizetype equals = pair.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return Refused(QStringLiteral("has a setting without a value: \"%1\"").arg(Decoded(pair)));
    const QString key = Decoded(pair.left(equals));
    const QString value = Decoded(pair.mid(equals + 1));
    if (key == QLatin1String("password")) {
        out.password = value;
        return Status::success();
    }
    // The driver hands the settings on separated by ";", so one inside a value would split it.
    if (value.contains(QLatin1Char(';')))
        return Refused(
            QStringLiteral("has a \";\" in the setting %1, which the database driver cannot pass on")
                .arg(key));
    if (key == QLatin1String("host"))
        out.host = value;
    else if (key == QLatin1String("port"))
        return ParsePort(value, out.port);
    else if (key == QLatin1String("user"))
        out.user = value;
    else if (key == QLatin1String("dbname"))
        out.database = value;
    else if (std::find(kPassedOn.begin(), kPassedOn.end(), key) == kPassedOn.end())
        return Refused(QStringLiteral("has the setting \"%1\", which Corvin does not know").arg(key));
    else if (key == QLatin1String("connect_timeout") && value.toInt() < 1)
        return Refused(
            QStringLiteral("has connect_timeout=%1; it must be a whole number of seconds from 1 up, "
                           "so that a server that does not answer is given up")
                .arg(value));
    else
        out.options.emplace_back(key, value);
    return Status::success();
}

} // namespace

bool IsServerAddress(const QString& text) {
    return std::any_of(kSchemes.begin(), kSchemes.end(),
                       [&](QLatin1String scheme) { return text.startsWith(scheme, Qt::CaseInsensitive); });
}

Status ParseServerAddress(const QString& text, ServerAddress& out) {
    const auto scheme = std::find_if(kSchemes.begin(), kSchemes.end(), [&](QLatin1String s) {
        return text.startsWith(s, Qt::CaseInsensitive);
    });
    if (scheme == kSchemes.end())
        return Refused(QStringLiteral("must begin with postgresql:// or postgres://"));
    ServerAddress address;
    QString rest = text.mid(scheme->size()).trimmed();
    QString query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest = rest.left(mark);
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    address.database = slash < 0 ? QString() : Decoded(rest.mid(slash + 1));
    // The password may hold an "@" of its own only when percent-encoded, as in any URI; the last
    // "@" ends the user's part.
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        address.user = Decoded(colon < 0 ? userInfo : userInfo.left(colon));
        if (colon >= 0)
            address.password = Decoded(userInfo.mid(colon + 1));
    }
    if (Status s = ParseHostPort(authority, address); !s)
        return s;
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        if (Status s = ParseOption(pair, address); !s)
            return s;
    }
    if (address.database.isEmpty())
        return Refused(QStringLiteral("names no database; it ends in /NAME, the database's name"));
    if (address.database.contains(QLatin1Char('/')))
        return Refused(QStringLiteral("has a \"/\" in the database's name \"%1\"").arg(address.database));
    out = std::move(address);
    return Status::success();
}

QString ServerAddress::shown() const {
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + QLatin1Char('@');
    const bool socket = host.startsWith(QLatin1Char('/'));
    if (!socket)
        text += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (port > 0)
        text += QLatin1Char(':') + QString::number(port);
    text += QLatin1Char('/') + database;
    QStringList settings;
    if (socket)
        settings << QStringLiteral("host=") + host;
    for (const auto& [key, value] : options)
        settings << key + QLatin1Char('=') + value;
    if (!settings.isEmpty())
        text += QLatin1Char('?') + settings.join(QLatin1Char('&'));
    return text;
}

QString ServerAddress::option(const QString& key, const QString& fallback) const {
    for (const auto& [k, v] : options) {
        if (k == key)
            return v;
    }
    return fallback;
}

} // namespace corvin::history

#pragma once
// One field of a CSV line (RFC 4180): as it is, or quoted, with its quotes doubled, when it
// holds a separator, a quote or a line break.

#include <QString>

namespace corvin {

inline QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace corvin

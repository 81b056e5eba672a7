#include "platform/Dialogs.h"

#include <QRegularExpression>
#include <QStringList>

namespace corvin::platform {

QString ToQtFilter(const QString& legacyFilter) {
    const QStringList parts = legacyFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // The pattern after the bar is what matters; show it in the description's brackets,
        // in both letter cases, since Linux file names are case-sensitive.
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << p << p.toLower();
        }
        patterns.removeDuplicates();
        QString description = parts[i];
        const int bracket = description.indexOf(QLatin1Char('('));
        if (bracket >= 0)
            description = description.left(bracket).trimmed();
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

QString SuffixOfQtFilter(const QString& qtFilterEntry) {
    static const QRegularExpression kPatterns(QStringLiteral("\\(([^)]*)\\)\\s*$"));
    const QRegularExpressionMatch m = kPatterns.match(qtFilterEntry);
    if (!m.hasMatch())
        return {};
    QString suffix;
    for (const QString& pattern : m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        static const QRegularExpression kOneExtension(QStringLiteral("^\\*\\.(\\w+)$"));
        const QRegularExpressionMatch p = kOneExtension.match(pattern);
        if (!p.hasMatch() || (!suffix.isEmpty() && suffix != p.captured(1).toLower()))
            return {};
        suffix = p.captured(1).toLower();
    }
    return suffix;
}

} // namespace corvin::platform

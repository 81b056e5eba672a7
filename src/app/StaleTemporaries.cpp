#include "app/StaleTemporaries.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace corvin::app {
namespace {

struct Place {
    const char* folder; // under the home; "" is the home itself
    const char* pattern;
};

// Where each kind of file is saved, and the name its temporary has. Patterns ignore case, as
// the names of the files they belong to do.
constexpr Place kPlaces[] = {
    {"Probes", R"(.+\.prb\.[A-Za-z0-9]{6})"},       {"", R"(BAR\.CFG\.[A-Za-z0-9]{6})"},
    {"", R"(\.corvin-write-check-[A-Za-z0-9]{6})"}, {"Recovery", R"(.+\.journal\.[A-Za-z0-9]{6})"},
    {"Data", R"(.+\.DAT\.[A-Za-z0-9]{6})"},         {"TESTS", R"(.+\.DAT\.[A-Za-z0-9]{6})"},
};

} // namespace

QStringList RemoveStaleTemporaries(const QString& home) {
    QStringList removed;
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-kStaleTemporarySeconds);
    for (const Place& place : kPlaces) {
        const QRegularExpression name(QRegularExpression::anchoredPattern(QString::fromLatin1(place.pattern)),
                                      QRegularExpression::CaseInsensitiveOption);
        const QDir folder(QDir(home).filePath(QString::fromLatin1(place.folder)));
        for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
            if (!name.match(info.fileName()).hasMatch() || info.lastModified().toUTC() > staleBefore)
                continue;
            if (QFile::remove(info.absoluteFilePath()))
                removed << info.absoluteFilePath();
        }
    }
    return removed;
}

} // namespace corvin::app

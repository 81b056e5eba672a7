#include "settings/StoreLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvin::settings {
namespace {

const QString kProgramFolder = QStringLiteral("Tarvik/Corvin");
const QString kStoreFile = QStringLiteral("registry.sqlite");

// Two spellings of one folder (a link, "..", a trailing slash) are the same home.
QString Canonical(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

QString DefaultHome() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(kProgramFolder);
}

QString SettingsStorePath(const QString& home) {
    if (Canonical(home) == Canonical(DefaultHome())) {
        const QDir config(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        return QDir(config.filePath(kProgramFolder)).filePath(kStoreFile);
    }
    return QDir(home).filePath(kStoreFile);
}

} // namespace corvin::settings

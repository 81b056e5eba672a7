#include "settings/DamagedStore.h"

#include "common/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace corvin::settings {

QString AsideName(const QString& path, const QDateTime& now) {
    const QString base = path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

Status SetStoreAside(const QString& path, const QDateTime& now, QString& aside) {
    aside = AsideName(path, now);
    if (QFile damaged(path); !damaged.rename(aside))
        return Status::failure(damaged.errorString());
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFileInfo::exists(companion))
            QFile::rename(companion, aside + QLatin1String(suffix));
    }
    // The program works on either way; only a power cut could undo the rename.
    static_cast<void>(SyncFolder(QFileInfo(path).absolutePath()));
    return Status::success();
}

} // namespace corvin::settings

#include "history/Rescan.h"

#include "datafiles/TestRecord.h"
#include "history/LocalCatalogue.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <map>

namespace corvin::history {
namespace {

constexpr std::size_t kBatch = 500; // rows written per transaction

// What the disc says of a data file now, its record included.
struct OnDisc {
    qint64 size = 0;
    qint64 modifiedMs = 0;
    qint64 recordSize = -1;
    qint64 recordModifiedMs = -1;
};

bool Same(const OnDisc& d, const FileState& known) {
    return d.size == known.size && d.modifiedMs == known.modifiedMs && d.recordSize == known.recordSize &&
           d.recordModifiedMs == known.recordModifiedMs;
}

OnDisc Stat(const QFileInfo& dat, const QFileInfo& record) {
    OnDisc d{dat.size(), dat.lastModified().toMSecsSinceEpoch()};
    if (record.exists()) {
        d.recordSize = record.size();
        d.recordModifiedMs = record.lastModified().toMSecsSinceEpoch();
    }
    return d;
}

bool Under(const QString& path, const QString& folder) {
    return path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

// Every test data file under the folders, with its record beside it, from one walk.
std::map<QString, OnDisc> Walk(const QStringList& folders, const std::atomic<bool>* stop) {
    std::map<QString, QFileInfo> data;
    QSet<QString> seenFolders;
    std::map<QString, QFileInfo> records;
    for (const QString& folder : folders) {
        const QString root = QDir::cleanPath(QDir(folder).absolutePath());
        if (seenFolders.contains(root) || !QFileInfo(root).isDir())
            continue;
        seenFolders.insert(root);
        // Name filters are not case-sensitive here: NAME.dat is a test data file too. Links are
        // not followed, so a link back up the tree cannot make the walk endless.
        QDirIterator it(root, {QStringLiteral("*.DAT"), QStringLiteral("*.DAT.json")},
                        QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (stop && stop->load())
                return {};
            const QString path = it.next();
            const QFileInfo info = it.fileInfo();
            if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
                records.emplace(path, info);
            else
                data.emplace(path, info);
        }
    }
    std::map<QString, OnDisc> found;
    for (const auto& [path, info] : data) {
        const auto record = records.find(datafiles::RecordPathFor(path));
        found.emplace(path, Stat(info, record == records.end() ? QFileInfo() : record->second));
    }
    return found;
}

} // namespace

QString RescanSummary(const RescanCounts& c) {
    QStringList parts;
    if (c.added)
        parts << QStringLiteral("%1 new test%2").arg(c.added).arg(c.added == 1 ? "" : "s");
    if (c.changed)
        parts << QStringLiteral("%1 changed").arg(c.changed);
    if (c.moved)
        parts << QStringLiteral("%1 moved").arg(c.moved);
    if (c.removed)
        parts << QStringLiteral("%1 gone").arg(c.removed);
    if (parts.isEmpty())
        return QStringLiteral("Test history: nothing new (%1 tests)").arg(c.unchanged);
    QString text = QStringLiteral("Test history: ") + parts.join(QStringLiteral(", ")) +
                   QStringLiteral(" (%1 unchanged)").arg(c.unchanged);
    if (c.unreadable)
        text += QStringLiteral("; %1 could not be read").arg(c.unreadable);
    return text;
}

QStringList RescanFolders(const QString& home, const QStringList& extraFolders) {
    QStringList folders{QDir(home).filePath(QStringLiteral("Data")),
                        QDir(home).filePath(QStringLiteral("TESTS"))};
    for (const QString& f : extraFolders) {
        if (!folders.contains(f))
            folders << f;
    }
    return folders;
}

Status Rescan(LocalCatalogue& catalogue, const QString& station, const QStringList& folders,
              RescanCounts& counts, const std::atomic<bool>* stop) {
    counts = {};
    std::map<QString, FileState> known;
    if (Status s = catalogue.fileStates(station, known); !s)
        return s;
    std::map<QString, OnDisc> found = Walk(folders, stop);

    // Files known from before that the walk did not reach (saved elsewhere, or gone).
    QStringList gone;
    for (const auto& item : known) {
        const QString& path = item.first;
        if (found.count(path))
            continue;
        const QFileInfo info(path);
        if (info.isFile()) {
            found.emplace(path, Stat(info, QFileInfo(datafiles::RecordPathFor(path))));
            continue;
        }
        const bool folderMissing = std::any_of(folders.begin(), folders.end(), [&path](const QString& f) {
            return Under(path, QDir::cleanPath(f)) && !QFileInfo(f).isDir();
        });
        if (!folderMissing)
            gone << path;
    }
    if (stop && stop->load())
        return Status::success();

    std::vector<TestEntry> toWrite;
    QHash<QString, int> goneHashes; // how many files of each hash went
    for (const QString& path : gone)
        ++goneHashes[known[path].sha256];
    for (const auto& [path, disc] : found) {
        const auto before = known.find(path);
        if (before != known.end() && Same(disc, before->second)) {
            ++counts.unchanged;
            continue;
        }
        if (stop && stop->load())
            return Status::success();
        TestEntry entry = CatalogueFile(path, station);
        // A file that went while it was being read is not a test any more.
        if (!entry.readable && !QFileInfo::exists(path))
            continue;
        if (before != known.end())
            ++counts.changed;
        else if (!entry.sha256.isEmpty() && goneHashes.value(entry.sha256) > 0) {
            --goneHashes[entry.sha256];
            ++counts.moved;
        } else
            ++counts.added;
        if (!entry.readable)
            ++counts.unreadable;
        toWrite.push_back(std::move(entry));
    }
    counts.removed = int(gone.size()) - counts.moved;

    for (std::size_t first = 0; first < toWrite.size(); first += kBatch) {
        const std::vector<TestEntry> batch(toWrite.begin() + first,
                                           toWrite.begin() + std::min(toWrite.size(), first + kBatch));
        if (Status s = catalogue.put(batch); !s)
            return s;
    }
    if (!gone.isEmpty()) {
        if (Status s = catalogue.remove(station, gone); !s)
            return s;
    }
    return Status::success();
}

} // namespace corvin::history

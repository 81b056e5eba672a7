#pragma once
// Every file the program writes goes through here: the bytes go to a temporary file beside the
// target, are synced, and replace the target by a rename, and then the folder itself is synced.
// A crash or a full disk therefore never leaves a half-written file in place of a good one.

#include "common/AppendFile.h"
#include "common/Status.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QSaveFile;

namespace corvin {

// One save in progress. Nothing is visible at the target path until commit() succeeds; a save
// that is destroyed without a commit leaves the old file untouched.
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    virtual ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    virtual Status open();
    // Hands all of `bytes` to the system. A short or failed write (a full disc) ends the save:
    // the temporary file goes, and this and every later call report the system's reason.
    virtual Status write(const QByteArray& bytes);
    // Syncs the new content to the disc, renames it over the target and syncs the folder. Only
    // when all of that worked is the save a success; its message is the system's own words
    // ("No space left on device").
    virtual Status commit();

    const QString& path() const { return m_path; }

private:
    Status abandon(const QString& why);

    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    QString m_failure; // why the save failed, once it has
};

// Creates AtomicFiles, and the AppendFiles of the recovery journal. Savers take one, so tests
// can hand in a factory whose files fail.
class AtomicFileFactory {
public:
    virtual ~AtomicFileFactory() = default;
    virtual std::unique_ptr<AtomicFile> create(const QString& path) const {
        return std::make_unique<AtomicFile>(path);
    }
    virtual std::unique_ptr<AppendFile> createAppend(const QString& path) const {
        return std::make_unique<AppendFile>(path);
    }
};

// Syncs a folder, so that a file just renamed, created or removed in it survives a power cut.
Status SyncFolder(const QString& folder);

// Writes the whole of `bytes` to `path` atomically.
Status WriteFileAtomically(const QString& path, const QByteArray& bytes,
                           const AtomicFileFactory& factory = AtomicFileFactory());

// Writes several files that belong together: every one is written whole to its temporary file
// before the first replaces its target, in the order given. A full disc therefore leaves all of
// them as they were; only a failing rename, after the bytes are on disc, can leave the first
// ones replaced and the later ones not.
Status WriteFilesAtomically(const std::vector<std::pair<QString, QByteArray>>& contents,
                            const AtomicFileFactory& factory = AtomicFileFactory());

} // namespace corvin

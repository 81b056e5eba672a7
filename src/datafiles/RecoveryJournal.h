#pragma once
// The recovery journal of the test being logged: <home>/Recovery/test-<start>.journal. Its header
// is written (atomically) when the logging starts and every logging tick appends its row, synced
// to the disc before the tick goes on; a crash or a power cut then loses at most the row whose
// tick was under way. The journal goes once its rows are safely saved or given up on purpose.
//
// A journal that cannot be written never stops a test: begin() and append() report the failure
// once and the journal stops; the readings stay in memory as they always did.

#include "common/AtomicFile.h"
#include "common/Status.h"
#include "datafiles/JournalFormat.h"

#include <QString>
#include <memory>

namespace corvin::datafiles {

class RecoveryJournal {
public:
    static constexpr const char* kExtension = ".journal";

    RecoveryJournal() = default;
    // Closes the journal and keeps it: only remove() deletes it.
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    // Starts the journal of a new test in `folder` (an absolute path; created when missing). A
    // journal this object kept before is closed and left on disc. On failure nothing is
    // journalled for this test and the message says why.
    Status begin(const QString& folder, const JournalHeader& header,
                 const AtomicFileFactory& files = AtomicFileFactory());
    // Appends row `row` and syncs it. The first failure is returned and stops the journal; after
    // that (and when no journal was begun) appending does nothing.
    Status append(int row, const JournalRow& readings);
    // Deletes the journal: its rows are saved, or the user gave them up.
    void remove();

    // True while rows are being journalled.
    bool writing() const { return m_file != nullptr; }
    // The journal's file; empty when none was begun or after remove().
    const QString& path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<AppendFile> m_file;
};

} // namespace corvin::datafiles

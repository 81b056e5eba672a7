#pragma once
// The recovery folder as a whole: the journals left by tests that were never saved, read back,
// saved as test data files, set aside when they cannot be read, removed once dealt with. Used
// by the offer at start-up and by corvin-data.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "common/Status.h"
#include "datafiles/JournalFormat.h"
#include "datafiles/TestRecord.h"

#include <QString>
#include <QStringList>

namespace corvin::datafiles {

// The journals of `folder` ("*.journal", plain files only), oldest first. A folder that does not
// exist holds none.
QStringList ListJournals(const QString& folder);

// Reads the journal at `path`. Fails when the file cannot be read or its header is unreadable.
Status ReadJournalFile(const QString& path, RecoveredTest& test);

// True when the journal at `path` holds no header and so no reading (see IsEmptyJournal).
bool JournalIsEmpty(const QString& path);

// True while a running Corvin is still logging into the journal at `path`.
bool JournalInUse(const QString& path);

// Moves a journal whose header cannot be read out of the way without deleting it:
// "<path>.unreadable" (or "-2", "-3" ... after that when taken). On success `aside` is the new name.
Status SetJournalAside(const QString& path, QString& aside);

// The recovered rows as the data set a normal save writes from (SampleCapacity = rows).
PeriodicDataSet ToPeriodicData(const RecoveredTest& test);

// What the journal says of its test, as a test record (no verdict: the limits are the probe's).
TestRecord RecordOfJournal(const RecoveredTest& test);

// Writes the rows of `test` to `path` as a test data file, through the writer every save uses
// (the bytes are those a normal save of the same rows would have written), with its record.
Status SaveRecoveredTest(const RecoveredTest& test, const QString& path,
                         const AtomicFileFactory& files = AtomicFileFactory());

// Deletes a journal whose rows are saved or given up.
Status RemoveJournal(const QString& path);

} // namespace corvin::datafiles

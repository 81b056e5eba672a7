#pragma once
// The offer made at start-up for every test that was logged but never saved (a crash, a power
// cut): its readings can be saved as a test data file, kept for later or discarded. A journal
// that cannot be read is set aside with a message, never deleted. The main window only runs
// it; every question goes through the dialogs seam.

#include "common/AtomicFile.h"
#include "datafiles/JournalFormat.h"
#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

namespace corvin::datafiles {

class RecoveryOffer {
public:
    static const QString kSaveButton;
    static const QString kKeepButton;
    static const QString kDiscardButton;
    enum Choice { Save = 0, Keep = 1, Discard = 2 };

    // `recoveryFolder` holds the journals; the save dialog starts in `dataFolder`. `files` must
    // outlive the offer.
    RecoveryOffer(QString recoveryFolder, QString dataFolder, platform::Dialogs& dialogs,
                  const AtomicFileFactory& files = kOrdinaryFiles);

    // Offers every journal of the folder in turn, oldest first.
    void run();
    // The test data files the offer saved, in the order saved.
    const QStringList& savedFiles() const { return m_saved; }

    // The words of the offer for one test.
    static QString offerText(const RecoveredTest& test);

private:
    static const AtomicFileFactory kOrdinaryFiles;

    void offer(const QString& path);
    // The save dialog and the save; true when the readings are on disc and the journal is gone.
    bool save(const QString& path, const RecoveredTest& test);
    // Asks once more; true when the journal was discarded.
    bool discard(const QString& path, const RecoveredTest& test);
    void removeJournal(const QString& path);

    QString m_recoveryFolder;
    QString m_dataFolder;
    platform::Dialogs& m_dialogs;
    const AtomicFileFactory& m_files;
    QStringList m_saved;
};

} // namespace corvin::datafiles

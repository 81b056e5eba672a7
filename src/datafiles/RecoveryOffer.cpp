#include "datafiles/RecoveryOffer.h"

#include "datafiles/RecoveryFiles.h"

#include <QDir>
#include <QFileInfo>

namespace corvin::datafiles {
namespace {

const QString kDataFileFilter = QStringLiteral("Data Files (*.DAT)|*.DAT");

QString StartText(const RecoveredTest& test) {
    return test.header.startTime.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString Readings(qsizetype n) {
    return n == 1 ? QStringLiteral("1 reading") : QStringLiteral("%1 readings").arg(n);
}

} // namespace

const QString RecoveryOffer::kSaveButton = QStringLiteral("Save as Test Data File…");
const QString RecoveryOffer::kKeepButton = QStringLiteral("Keep for Later");
const QString RecoveryOffer::kDiscardButton = QStringLiteral("Discard");
const AtomicFileFactory RecoveryOffer::kOrdinaryFiles;

RecoveryOffer::RecoveryOffer(QString recoveryFolder, QString dataFolder, platform::Dialogs& dialogs,
                             const AtomicFileFactory& files)
    : m_recoveryFolder(std::move(recoveryFolder)), m_dataFolder(std::move(dataFolder)), m_dialogs(dialogs),
      m_files(files) {}

QString RecoveryOffer::offerText(const RecoveredTest& test) {
    const QString probe =
        test.header.probeName.isEmpty() ? QStringLiteral("(no name)") : test.header.probeName;
    return QStringLiteral("A test logged on %1 with probe %2, %3 every %4 s, was not saved.")
               .arg(StartText(test), probe, Readings(qsizetype(test.rows.size())))
               .arg(test.header.intervalSeconds) +
           QStringLiteral("\n\nIts readings were kept on disc while it ran. Save them as a test data file "
                          "now, keep them for later, or discard them?");
}

void RecoveryOffer::run() {
    for (const QString& path : ListJournals(m_recoveryFolder)) {
        // Another Corvin still logging into it (it cannot happen in the same home, but a journal
        // being written is never ours to touch).
        if (!JournalInUse(path))
            offer(path);
    }
}

void RecoveryOffer::offer(const QString& path) {
    // A test that could not even start its journal (a full disc) left nothing to offer: the
    // file goes out of the way without a word, kept in case someone wants to look at it.
    if (JournalIsEmpty(path)) {
        QString aside;
        static_cast<void>(SetJournalAside(path, aside));
        return;
    }
    RecoveredTest test;
    if (Status read = ReadJournalFile(path, test); !read) {
        QString aside;
        const Status moved = SetJournalAside(path, aside);
        m_dialogs.critical(
            moved ? QStringLiteral("The recovery journal %1 cannot be read: %2. It was set aside as %3; "
                                   "nothing was deleted.")
                        .arg(path, read.message(), aside)
                  : QStringLiteral("The recovery journal %1 cannot be read: %2. It could not be set aside "
                                   "either (%3) and is left where it is.")
                        .arg(path, read.message(), moved.message()));
        return;
    }

    for (;;) {
        const platform::ChoiceBox box{offerText(test),
                                      platform::Icon::Question,
                                      {kSaveButton, kKeepButton, kDiscardButton},
                                      Save,
                                      Keep,
                                      {}};
        switch (m_dialogs.choose(box)) {
        case Save:
            if (save(path, test))
                return;
            break; // cancelled or failed: the offer again
        case Discard:
            if (discard(path, test))
                return;
            break;
        default:
            return; // kept for later: offered again at the next start
        }
    }
}

bool RecoveryOffer::save(const QString& path, const RecoveredTest& test) {
    platform::FileDialog dialog;
    dialog.filter = kDataFileFilter;
    // As after a test: the home's Data folder (created when missing; a folder that does not
    // exist would end up as the file name), and a name typed without an extension becomes a .DAT
    // file that File > Open finds.
    dialog.initialFolder = QDir().mkpath(m_dataFolder) ? m_dataFolder : QFileInfo(m_dataFolder).path();
    dialog.defaultSuffix = QStringLiteral("DAT");
    dialog.flags = platform::kDataFileDialogFlags;
    const std::optional<QString> target = m_dialogs.saveFile(dialog);
    if (!target || target->isEmpty())
        return false;
    if (Status s = SaveRecoveredTest(test, *target, m_files); !s) {
        m_dialogs.critical(QStringLiteral("Problems with writing %1 to disc\n%2\nThe readings are kept.")
                               .arg(*target, s.message()));
        return false;
    }
    removeJournal(path);
    m_saved << *target;
    m_dialogs.information(
        QStringLiteral("The %1 were saved to %2.").arg(Readings(qsizetype(test.rows.size())), *target));
    return true;
}

bool RecoveryOffer::discard(const QString& path, const RecoveredTest& test) {
    const QString question = QStringLiteral("Discard the %1 of the test logged on %2? They cannot be "
                                            "recovered afterwards.")
                                 .arg(Readings(qsizetype(test.rows.size())), StartText(test));
    if (!m_dialogs.askYesNo(question))
        return false;
    removeJournal(path);
    return true;
}

void RecoveryOffer::removeJournal(const QString& path) {
    if (Status s = RemoveJournal(path); !s)
        m_dialogs.critical(QStringLiteral("The recovery journal %1 could not be removed: %2. Its test "
                                          "will be offered again at the next start.")
                               .arg(path, s.message()));
}

} // namespace corvin::datafiles

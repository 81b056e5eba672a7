// The offer at start-up for tests that were logged but never saved.
#include "datafiles/RecoveryOffer.h"
#include "datafiles/RecoveryFiles.h"
#include "datafiles/TestDataFile.h"

#include "support/FailingFiles.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::FailingFiles;
using corvin::testing::TempHome;
using platform::Answer;

namespace {

class Offer : public ::testing::Test {
protected:
    TempHome home;
    QString folder = home.file(QStringLiteral("Recovery"));
    QString data = home.file(QStringLiteral("Data"));
    corvin::testing::ScriptedDialogs dialogs;

    // A journal of `rows` rows of a test started at 09:30:15 local time.
    QString journal(const QString& name, int rows, int16_t interval = 10) {
        JournalHeader h;
        h.startTime = QDateTime(QDate(2026, 5, 6), QTime(9, 30, 15));
        h.intervalSeconds = interval;
        h.plannedRows = 100;
        h.probeName = QStringLiteral("BENCH 3");
        h.channelNames = {"a", "b", "c", "d", "e", "f", "g"};
        QByteArray bytes = EncodeJournalHeader(h);
        for (int r = 0; r < rows; ++r)
            bytes += EncodeJournalFrame(uint32_t(r), {float(r), 1, 2, 3, 4, 5, 6});
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        EXPECT_TRUE(TempHome::write(path, bytes));
        return path;
    }

    void run(const AtomicFileFactory& files = AtomicFileFactory()) {
        RecoveryOffer(folder, data, dialogs, files).run();
    }

    QStringList journals() const { return ListJournals(folder); }
};

const QString kOffer = QStringLiteral(
    "A test logged on 2026-05-06 09:30:15 with probe BENCH 3, 12 readings every 10 s, was not saved.\n\n"
    "Its readings were kept on disc while it ran. Save them as a test data file now, keep them for "
    "later, or discard them?");

} // namespace

TEST_F(Offer, SaysWhatWasLoggedAndOffersThreeButtonsKeepingByDefault) {
    const QString path = journal(QStringLiteral("test-1.journal"), 12);
    run(); // the box is closed: kept
    ASSERT_EQ(dialogs.choiceBoxes.size(), 1u);
    const platform::ChoiceBox& box = dialogs.choiceBoxes[0];
    EXPECT_EQ(box.text, kOffer);
    EXPECT_EQ(box.icon, platform::Icon::Question);
    EXPECT_EQ(box.buttons, QStringList({QStringLiteral("Save as Test Data File…"),
                                        QStringLiteral("Keep for Later"), QStringLiteral("Discard")}));
    EXPECT_EQ(box.defaultButton, 0);
    EXPECT_EQ(box.escapeButton, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(journals(), QStringList{path});
}

TEST_F(Offer, SaveWritesTheTestDataFileAndRemovesTheJournal) {
    journal(QStringLiteral("test-1.journal"), 12);
    const QString target = home.file(QStringLiteral("saved.DAT"));
    dialogs.choices = {RecoveryOffer::Save};
    dialogs.saveFiles = {target};
    run();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs.fileDialogs[0].filter, QStringLiteral("Data Files (*.DAT)|*.DAT"));
    EXPECT_EQ(dialogs.messageTexts(), QStringList{"The 12 readings were saved to " + target + "."});
    PeriodicDataSet read;
    ASSERT_TRUE(ReadTestDataFile(target, read));
    EXPECT_EQ(read.SampleCapacity, 12);
    EXPECT_EQ(read.HeaderValues[0], 10);
    EXPECT_FLOAT_EQ(read.PeriodicData[0][11], 11.0f);
    EXPECT_TRUE(journals().isEmpty());
}

TEST_F(Offer, TheSaveDialogStartsInTheDataFolderMadeWhenMissingAndAddsDat) {
    journal(QStringLiteral("test-1.journal"), 1);
    dialogs.choices = {RecoveryOffer::Save, RecoveryOffer::Keep};
    run();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(dialogs.fileDialogs[0].initialFolder, data);
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_EQ(dialogs.fileDialogs[0].defaultSuffix, QStringLiteral("DAT"));
}

TEST_F(Offer, ACancelledOrFailedSaveKeepsTheJournalAndOffersAgain) {
    const QString path = journal(QStringLiteral("test-1.journal"), 3);
    const QString target = home.file(QStringLiteral("saved.DAT"));
    const FailingFiles full = FailingFiles::AtCommit();
    // Save, cancel the dialog; Save, the disc is full; Keep for Later.
    dialogs.choices = {RecoveryOffer::Save, RecoveryOffer::Save, RecoveryOffer::Keep};
    dialogs.saveFiles = {std::nullopt, target};
    run(full);
    EXPECT_EQ(dialogs.choiceBoxes.size(), 3u);
    EXPECT_EQ(dialogs.messageTexts(),
              QStringList{"Problems with writing " + target +
                          " to disc\nNo space left on device\nThe readings are kept."});
    EXPECT_EQ(dialogs.lastMessage().icon, platform::Icon::Critical);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(journals(), QStringList{path});
}

TEST_F(Offer, DiscardAsksOnceMoreBeforeTheJournalGoes) {
    const QString path = journal(QStringLiteral("test-1.journal"), 1);
    dialogs.choices = {RecoveryOffer::Discard, RecoveryOffer::Discard};
    dialogs.answers = {Answer::No, Answer::Yes};
    run();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Discard the 1 reading of the test logged on 2026-05-06 "
                             "09:30:15? They cannot be recovered afterwards."));
    EXPECT_EQ(dialogs.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(dialogs.messages[0].defaultButton, Answer::No);
    EXPECT_EQ(dialogs.choiceBoxes.size(), 2u); // No led back to the offer
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(Offer, EveryJournalIsOfferedOldestFirst) {
    journal(QStringLiteral("test-20260102-000000.journal"), 2);
    journal(QStringLiteral("test-20260101-000000.journal"), 1);
    run();
    ASSERT_EQ(dialogs.choiceBoxes.size(), 2u);
    EXPECT_TRUE(dialogs.choiceBoxes[0].text.contains(QStringLiteral(", 1 reading every")));
    EXPECT_TRUE(dialogs.choiceBoxes[1].text.contains(QStringLiteral(", 2 readings every")));
}

// A test started on a full disc could leave a journal without its header: nothing to offer or
// to alarm anyone with.
TEST_F(Offer, AJournalThatNeverGotItsHeaderIsSetAsideQuietly) {
    QDir().mkpath(folder);
    const QByteArray shapes[] = {QByteArray(), QByteArray(40, '\0'), QByteArray("CRVNJR"),
                                 QByteArray("CRVNJRNL\x01\x00\xb8")};
    int n = 0;
    for (const QByteArray& bytes : shapes) {
        const QString path = folder + QStringLiteral("/test-%1.journal").arg(++n);
        ASSERT_TRUE(TempHome::write(path, bytes));
    }
    run();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.choiceBoxes.empty());
    EXPECT_TRUE(ListJournals(folder).isEmpty());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 4);
}

TEST_F(Offer, AnUnreadableJournalIsSetAsideNeverDeleted) {
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/test-1.journal");
    ASSERT_TRUE(TempHome::write(path, QByteArray("not a journal at all")));
    run();
    EXPECT_TRUE(dialogs.choiceBoxes.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(
        dialogs.messages[0].text,
        "The recovery journal " + path +
            " cannot be read: it is 20 bytes long, too short to hold a journal header. It was set aside "
            "as " +
            path + ".unreadable; nothing was deleted.");
    EXPECT_EQ(TempHome::read(path + QStringLiteral(".unreadable")), QByteArray("not a journal at all"));
    // Set aside, it is not offered again.
    dialogs.messages.clear();
    run();
    EXPECT_TRUE(dialogs.messages.empty());
}

// Opening a stored test: the dialog, the extension check, the reader's refusals in the words of
// each path, and what reaches the recent-files list.
#include "playback/StoredTestOpener.h"

#include "playback/PlaybackFixtures.h"
#include "settings/cMRUFileList.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::playback;
using corvin::testing::TempHome;

namespace {

class Opening : public ::testing::Test {
protected:
    Opening() {
        state.folders.Home = home.path();
        recent.setMaxFileCount(4);
    }
    QString TestFile(const QString& name, int16_t rows = 3) {
        const QString path = home.file(name);
        EXPECT_TRUE(corvin::testing::WriteTest(path, rows));
        return path;
    }
    QStringList Recent() const {
        QStringList files;
        for (int i = 1; i <= recent.FileCount(); ++i)
            files << recent.file(i);
        return files;
    }

    TempHome home;
    SharedState state;
    corvin::testing::ScriptedDialogs dialogs;
    settings::cMRUFileList recent;
    StoredTestOpener opener{state, dialogs, recent};
};

} // namespace

// The dialog started in TESTS while the tests are saved to Data: it starts where the last test
// was saved or opened, in Data at first.
TEST_F(Opening, TheDialogStartsInTheDataFolderWhichIsMadeWhenMissing) {
    ASSERT_FALSE(QFileInfo::exists(home.file(QStringLiteral("Data"))));
    EXPECT_EQ(opener.openWithDialog(), OpenOutcome::Cancelled);
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("Data"))).isDir());
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    const platform::FileDialog& shown = dialogs.fileDialogs.front();
    EXPECT_EQ(shown.title, QStringLiteral("Select a Test File"));
    EXPECT_EQ(shown.filter, QStringLiteral("Data Files (*.DAT)|*.DAT"));
    EXPECT_EQ(shown.initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_EQ(shown.flags, 0x840A);
    EXPECT_TRUE(shown.fileName.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty()); // a cancel is silent
}

TEST_F(Opening, AFileOpenedThroughTheDialogIsReadAndHeadsTheRecentList) {
    const QString older = TestFile(QStringLiteral("older.DAT"));
    const QString run = TestFile(QStringLiteral("run.dat"), 30);
    recent.AddFile(older);
    dialogs.openFiles.push_back(run);
    EXPECT_EQ(opener.openWithDialog(), OpenOutcome::Opened);
    EXPECT_EQ(state.periodic.SampleCapacity, 30);
    EXPECT_EQ(state.periodic.SampleCount, 30);
    EXPECT_EQ(state.periodic.HeaderValues[0], 10);
    EXPECT_EQ(state.periodic.ChannelNames[4], QStringLiteral("Collector").leftJustified(20));
    EXPECT_EQ(Recent(), (QStringList{run, older}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Opening, TheNextDialogStartsInTheFolderOfTheLastTestSavedOrOpened) {
    QDir().mkpath(home.file(QStringLiteral("bench")));
    state.folders.LastTestFolder = home.file(QStringLiteral("bench")); // where a test was saved
    const QString run = TestFile(QStringLiteral("run.DAT"));
    dialogs.openFiles.push_back(run);
    EXPECT_EQ(opener.openWithDialog(), OpenOutcome::Opened);
    EXPECT_EQ(opener.openWithDialog(), OpenOutcome::Cancelled);
    ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs[0].initialFolder, home.file(QStringLiteral("bench")));
    EXPECT_EQ(dialogs.fileDialogs[1].initialFolder, home.path());
}

TEST_F(Opening, OpeningByNameLeavesTheRecentListAsItWas) {
    const QString a = TestFile(QStringLiteral("a.DAT"));
    const QString b = TestFile(QStringLiteral("b.DAT"));
    recent.AddFile(a);
    recent.AddFile(b);
    EXPECT_EQ(opener.openRecent(QStringLiteral("2")), OpenOutcome::Opened);
    EXPECT_EQ(opener.path(), a);
    EXPECT_EQ(Recent(), (QStringList{b, a}));
    EXPECT_EQ(opener.openByName(QStringLiteral("   ")), OpenOutcome::NotAsked);
    EXPECT_EQ(opener.openRecent(QStringLiteral("x")), OpenOutcome::NotAsked);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Opening, OnlyFilesEndingInDatAreTaken) {
    const QString wrong = TestFile(QStringLiteral("run.DATA"));
    dialogs.openFiles.push_back(wrong);
    EXPECT_EQ(opener.openWithDialog(), OpenOutcome::Failed);
    EXPECT_EQ(opener.openByName(wrong), OpenOutcome::Failed);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const platform::MessageBox& m : dialogs.messages) {
        EXPECT_EQ(m.text, QStringLiteral("File is not a Periodic Data File"));
        EXPECT_EQ(m.icon, platform::Icon::Critical);
        EXPECT_TRUE(m.title.isEmpty());
    }
    EXPECT_EQ(recent.FileCount(), 0);
}

// A file the reader refuses: each path has its own words for it, and the loaded test stays as it was.
TEST_F(Opening, AFileTheReaderRefusesIsReportedInEachPathsWords) {
    corvin::testing::LoadTest(state.periodic, 5);
    const QString shortFile = home.file(QStringLiteral("short.DAT"));
    ASSERT_TRUE(TempHome::write(shortFile, QByteArray(100, '\0')));
    QDir().mkpath(home.file(QStringLiteral("folder.DAT")));
    const QString notAFile = home.file(QStringLiteral("folder.DAT"));

    dialogs.openFiles.push_back(shortFile);
    EXPECT_EQ(opener.openWithDialog(), OpenOutcome::Failed);
    EXPECT_EQ(opener.openByName(shortFile), OpenOutcome::Failed);
    EXPECT_EQ(opener.openByName(notAFile), OpenOutcome::Failed);
    EXPECT_EQ(opener.openByName(home.file(QStringLiteral("gone.DAT"))), OpenOutcome::Failed);

    const QString head = QStringLiteral("Problems Reading File Back Corrupted Data ! \n");
    const QStringList texts = dialogs.messageTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].startsWith(head + QStringLiteral("VB Error generated= The file is 100 bytes long")))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith(head + QStringLiteral("Error =The file is 100 bytes long")));
    EXPECT_EQ(texts[2], head + QStringLiteral("Error =Not a plain file"));
    EXPECT_TRUE(texts[3].startsWith(head + QStringLiteral("Error =")));
    for (const platform::MessageBox& m : dialogs.messages)
        EXPECT_EQ(m.icon, platform::Icon::Critical);
    EXPECT_EQ(state.periodic.SampleCapacity, 5);
    EXPECT_EQ(state.periodic.PeriodicData[0].size(), 6u);
    EXPECT_EQ(recent.FileCount(), 0);
}

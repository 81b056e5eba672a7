// The "Create New Probe" dialog, driven with keys on its real boxes: the Enter-driven flow, the
// 16-character limit, the checks and their messages, and what is written where.
#include "probes/frmProbeConfig.h"

#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "settings/mdlRegistry.h"
#include "support/FailingFiles.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace corvin;
using corvin::probes::frmProbeConfig;
using platform::Icon;

namespace {

class ProbeCreation : public ::testing::Test {
protected:
    ProbeCreation() : store(home.file(QStringLiteral("registry.sqlite")), clock) {
        state.folders.Home = home.path();
        state.folders.ProbesFolder = home.file(QStringLiteral("Probes"));
        open();
    }

    void open(const AtomicFileFactory* files = nullptr) {
        dialog = std::make_unique<frmProbeConfig>(state, desk.dialogs, store, nullptr, files);
        dialog->show();
    }

    QLineEdit* nameBox() { return dialog->findChild<QLineEdit*>(QStringLiteral("txtProbeName")); }
    QLineEdit* box(int k) { return dialog->txtChannel(k); }
    QPushButton* button(const char* name) { return dialog->findChild<QPushButton*>(QLatin1String(name)); }

    static void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }

    // Types the name and the channels the way a user does: text, Enter, text, Enter, ...
    // An empty channel text is passed over with Enter alone.
    void typeProbe(const QString& name, const QStringList& channels) {
        QTest::keyClicks(nameBox(), name);
        enter(nameBox());
        for (int k = 1; k <= channels.size(); ++k) {
            QTest::keyClicks(box(k), channels.at(k - 1));
            enter(box(k));
        }
    }

    QString probeFile(const QString& name) { return home.file(QStringLiteral("Probes/") + name + ".prb"); }
    QStringList messageTexts() { return desk.dialogs.messageTexts(); }
    // The stored default probe exactly as written, spaces and all.
    QString rawDefault() {
        settings::RegKey key;
        if (store.OpenKey(settings::kHkeyLocalMachine, settings::kDefaultProbeKey, settings::kKeyAllAccess,
                          key) != settings::kErrorSuccess)
            return QStringLiteral("<no key>");
        QVariant value;
        settings::RegistryReadValue(key, settings::kDefaultProbeValue, value);
        return value.toString();
    }
    QStringList filesUnderHome() {
        QStringList files;
        QDirIterator it(home.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = QDir(home.path()).relativeFilePath(it.next());
            if (!file.startsWith(QStringLiteral("registry.sqlite"))) // the settings store and its lock
                files << file;
        }
        files.sort();
        return files;
    }

    corvin::testing::TempHome home;
    ManualClock clock;
    settings::RegistryStore store;
    SharedState state;
    corvin::testing::ScriptedDesktop desk;
    std::unique_ptr<frmProbeConfig> dialog;
};

} // namespace

// ---- The window as it opens -------------------------------------------------------------------

TEST_F(ProbeCreation, OpensWithTheNameBoxAndSevenClosedChannelBoxes) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Create New Probe"));
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblEnterProbeName"))->text(),
              QStringLiteral("Enter New Test Probe Name"));
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblChannel_%1").arg(k))->text(),
                  QStringLiteral("Channel%1").arg(k));
        EXPECT_FALSE(box(k)->isEnabled()) << k;
        EXPECT_FALSE(dialog->isHighlighted(k)) << k;
    }
    EXPECT_EQ(button("cmdConfirm")->text(), QStringLiteral("Confirm"));
    EXPECT_EQ(button("cmdConfirm")->toolTip(), QStringLiteral("Add to stored Probe Devices file"));
    EXPECT_EQ(button("cmdSaveAsDefault")->text(), QStringLiteral("Confirm as Default"));
    EXPECT_EQ(button("cmdSaveAsDefault")->toolTip(), QStringLiteral("Set as Default"));
    EXPECT_EQ(button("cmdClose")->text(), QStringLiteral("Cancel"));
    EXPECT_NE(dialog->findChild<QLabel*>(QStringLiteral("picTestProbe")), nullptr);
}

// ---- Enter moves from box to box ------------------------------------------------------------------

TEST_F(ProbeCreation, EnterOpensTheNextBoxAndAfterTheSeventhMovesToConfirm) {
    QTest::keyClicks(nameBox(), QStringLiteral("Board"));
    enter(nameBox());
    EXPECT_TRUE(box(1)->isEnabled());
    EXPECT_TRUE(dialog->isHighlighted(1));
    EXPECT_EQ(dialog->focusWidget(), box(1));
    EXPECT_FALSE(box(2)->isEnabled());
    for (int k = 1; k <= 6; ++k) {
        enter(box(k));
        EXPECT_TRUE(box(k + 1)->isEnabled()) << k + 1;
        EXPECT_TRUE(dialog->isHighlighted(k + 1)) << k + 1;
        EXPECT_EQ(dialog->focusWidget(), box(k + 1)) << k + 1;
        EXPECT_TRUE(box(k)->isEnabled() && dialog->isHighlighted(k)) << "passed boxes stay open";
    }
    enter(box(7));
    EXPECT_EQ(dialog->focusWidget(), button("cmdConfirm"));
    EXPECT_TRUE(button("cmdConfirm")->isEnabled());
    // Enter alone pressed no button on the way.
    EXPECT_TRUE(desk.dialogs.messages.empty());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ProbeCreation, LeavingTheNameBoxHighlightsBoxOneWithoutOpeningIt) {
    dialog->txtProbeName_LostFocus();
    EXPECT_TRUE(dialog->isHighlighted(1));
    EXPECT_FALSE(box(1)->isEnabled());
}

TEST_F(ProbeCreation, AChannelBoxKeepsSixteenCharacters) {
    typeProbe(QStringLiteral("Board"), {});
    QTest::keyClicks(box(1), QStringLiteral("ABCDEFGHIJKLMNOPQ"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    // A 17th character typed in the middle is the one taken off: the one before the caret.
    box(1)->setCursorPosition(3);
    QTest::keyClicks(box(1), QStringLiteral("x"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(box(1)->cursorPosition(), 3);
    // Pasted text keeps its first sixteen characters.
    box(1)->clear();
    box(1)->insert(QStringLiteral("0123456789abcdefghij"));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0123456789abcdef"));
}

// ---- The checks ---------------------------------------------------------------------------------

struct NameCase {
    const char* typed;
    const char* message; // nullptr: accepted
};

class ProbeNames : public ProbeCreation, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ProbeNames, AreThreeToSixteenCharactersOnceTrimmed) {
    const NameCase c = GetParam();
    typeProbe(QString::fromLatin1(c.typed), {QStringLiteral("one"), QStringLiteral("two")});
    button("cmdConfirm")->click();
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    const auto& shown = desk.dialogs.lastMessage();
    EXPECT_EQ(shown.icon, Icon::Information);
    const QString trimmed = QString::fromLatin1(c.typed).trimmed();
    if (c.message) {
        EXPECT_EQ(shown.text, QString::fromLatin1(c.message));
        EXPECT_EQ(nameBox()->text(), QString());
        EXPECT_EQ(dialog->probeName(), QString());
        EXPECT_EQ(dialog->focusWidget(), nameBox());
        EXPECT_TRUE(filesUnderHome().isEmpty());
    } else {
        EXPECT_EQ(shown.text, QStringLiteral(" Probe Spec ") + probeFile(trimmed) +
                                  QStringLiteral(" successfully written to disc"));
        cProbe read;
        ASSERT_TRUE(probes::ReadProbeFile(probeFile(trimmed), read).ok());
        EXPECT_EQ(read.Probe_Name(), trimmed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProbeNames,
    ::testing::Values(NameCase{"abc", nullptr}, NameCase{"  abc  ", nullptr},
                      NameCase{"0123456789abcdef", nullptr}, NameCase{" 0123456789abcdef ", nullptr},
                      NameCase{"ab", "Test Probe Device name must be at least 3 characters"},
                      NameCase{"   ab   ", "Test Probe Device name must be at least 3 characters"},
                      NameCase{"0123456789abcdefg",
                               "Test Probe Device name cannot be greater than 16 characters"}));

TEST_F(ProbeCreation, ChannelsOneAndSevenAloneAreEnough) {
    typeProbe(QStringLiteral("Sparse"),
              {QStringLiteral(" first "), {}, {}, {}, {}, {}, QStringLiteral("last")});
    button("cmdConfirm")->click();
    probes::ProbeRecord record;
    ASSERT_TRUE(probes::ReadProbeFile(probeFile(QStringLiteral("Sparse")), record).ok());
    EXPECT_EQ(record.Probe_Name, QStringLiteral("Sparse          "));
    EXPECT_EQ(record.Ch[0], QStringLiteral("first           "));
    EXPECT_EQ(record.Ch[1], QString(16, QLatin1Char(' ')));
    EXPECT_EQ(record.Ch[6], QStringLiteral("last            "));
}

TEST_F(ProbeCreation, OneChannelIsRefusedAndTheBoxesAreResetWithTheirTextsKept) {
    typeProbe(QStringLiteral("Lonely"), {{}, {}, QStringLiteral("only")});
    button("cmdConfirm")->click();
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("Need minimum of two fields for a Probe device")});
    EXPECT_EQ(desk.dialogs.lastMessage().icon, Icon::Information);
    EXPECT_TRUE(box(1)->isEnabled());
    EXPECT_TRUE(dialog->isHighlighted(1));
    EXPECT_EQ(dialog->focusWidget(), box(1));
    for (int k = 2; k <= 7; ++k) {
        EXPECT_FALSE(box(k)->isEnabled()) << k;
        EXPECT_FALSE(dialog->isHighlighted(k)) << k;
    }
    EXPECT_EQ(box(3)->text(), QStringLiteral("only"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("Lonely"));
    EXPECT_TRUE(filesUnderHome().isEmpty());
}

TEST_F(ProbeCreation, AChannelTextOutsideWindows1252IsRefusedWhereItWasTyped) {
    typeProbe(QStringLiteral("Greek"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x")});
    box(3)->setText(QString::fromUtf16(u"Ω")); // typed with an input method: no key of its own
    button("cmdConfirm")->click();
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral(
                                  "Channel 3 can only hold characters of the Windows-1252 code page")});
    EXPECT_EQ(dialog->focusWidget(), box(3));
    EXPECT_EQ(box(3)->text(), QString::fromUtf16(u"Ω"));
    EXPECT_TRUE(filesUnderHome().isEmpty());
}

// ---- Writing -------------------------------------------------------------------------------------

TEST_F(ProbeCreation, ConfirmingTwiceOverwritesWithoutAsking) {
    typeProbe(QStringLiteral("Twice"), {QStringLiteral("old 1"), QStringLiteral("old 2")});
    button("cmdConfirm")->click();
    box(1)->setText(QStringLiteral("new 1"));
    button("cmdConfirm")->click();
    ASSERT_EQ(desk.dialogs.messages.size(), 2u);
    for (const auto& m : desk.dialogs.messages) {
        EXPECT_EQ(m.icon, Icon::Information);
        EXPECT_EQ(m.buttons, platform::Buttons::Ok);
    }
    cProbe read;
    ASSERT_TRUE(probes::ReadProbeFile(probeFile(QStringLiteral("Twice")), read).ok());
    EXPECT_EQ(read.Ch1(), QStringLiteral("new 1"));
    EXPECT_EQ(filesUnderHome(), QStringList{QStringLiteral("Probes/Twice.prb")});
    EXPECT_TRUE(dialog->isVisible()); // stays open for the next probe
}

TEST_F(ProbeCreation, ConfirmAsDefaultStoresTheNameBoxTextUntrimmed) {
    ASSERT_TRUE(settings::WriteDefaultProbeName(store, QStringLiteral("Earlier")).ok());
    typeProbe(QStringLiteral("  Spaced  "), {QStringLiteral("a"), QStringLiteral("b")});
    button("cmdSaveAsDefault")->click();
    EXPECT_EQ(rawDefault(), QStringLiteral("  Spaced  "));
    EXPECT_EQ(settings::ReadDefaultProbeName(store), QStringLiteral("Spaced"));
    EXPECT_TRUE(QFile::exists(probeFile(QStringLiteral("Spaced"))));
}

TEST_F(ProbeCreation, ConfirmAloneLeavesTheDefaultProbe) {
    ASSERT_TRUE(settings::WriteDefaultProbeName(store, QStringLiteral("Earlier")).ok());
    typeProbe(QStringLiteral("Plain"), {QStringLiteral("a"), QStringLiteral("b")});
    button("cmdConfirm")->click();
    EXPECT_EQ(rawDefault(), QStringLiteral("Earlier"));
}

TEST_F(ProbeCreation, CancelClosesTheDialog) {
    button("cmdClose")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// ---- Failures ------------------------------------------------------------------------------------

// A name that would leave the probes folder is refused like any other write failure, and
// neither a file nor the default probe is written.
TEST_F(ProbeCreation, AnUnsafeNameIsRefusedAndNothingIsWritten) {
    ASSERT_TRUE(settings::WriteDefaultProbeName(store, QStringLiteral("Earlier")).ok());
    for (const QString& name : {QStringLiteral("../x"), QStringLiteral("a/b")}) {
        desk.dialogs.messages.clear();
        nameBox()->setText(name);
        box(1)->setText(QStringLiteral("one"));
        box(2)->setText(QStringLiteral("two"));
        button("cmdSaveAsDefault")->click();
        ASSERT_EQ(desk.dialogs.messages.size(), 1u) << name.toStdString();
        EXPECT_EQ(desk.dialogs.lastMessage().icon, Icon::Critical);
        EXPECT_TRUE(desk.dialogs.lastMessage().text.startsWith(QStringLiteral("Problems with writing ")));
        EXPECT_TRUE(desk.dialogs.lastMessage().text.contains(QStringLiteral(" to disc\n")));
    }
    EXPECT_TRUE(filesUnderHome().isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(home.path()).filePath(QStringLiteral("../x.prb"))));
    EXPECT_EQ(rawDefault(), QStringLiteral("Earlier"));
}

TEST_F(ProbeCreation, AFailedWriteSaysWhereAndWhyAndKeepsTheOldProbe) {
    typeProbe(QStringLiteral("Kept"), {QStringLiteral("good 1"), QStringLiteral("good 2")});
    button("cmdConfirm")->click();
    auto failing = corvin::testing::FailingFiles::AtCommit();
    open(&failing);
    desk.dialogs.messages.clear();
    typeProbe(QStringLiteral("Kept"), {QStringLiteral("bad 1"), QStringLiteral("bad 2")});
    button("cmdSaveAsDefault")->click();
    EXPECT_EQ(messageTexts(),
              QStringList{QStringLiteral("Problems with writing ") + probeFile(QStringLiteral("Kept")) +
                          QStringLiteral(" to disc\nNo space left on device")});
    EXPECT_EQ(desk.dialogs.lastMessage().icon, Icon::Critical);
    cProbe read;
    ASSERT_TRUE(probes::ReadProbeFile(probeFile(QStringLiteral("Kept")), read).ok());
    EXPECT_EQ(read.Ch1(), QStringLiteral("good 1"));
    EXPECT_EQ(rawDefault(), QStringLiteral("<no key>"));
}

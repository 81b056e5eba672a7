#include "SettingsTestSupport.h"

#include "common/SharedState.h"
#include "settings/BarColourFile.h"
#include "settings/frmGraphColor.h"
#include "support/ScriptedDesktop.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::settings;
namespace ct = corvin::testing;
using corvin::testing::TempHome;

namespace {

QByteArray Grey7() {
    QByteArray bytes;
    for (int k = 0; k < 7; ++k)
        bytes.append("\xC0\xC0\xC0\x00", 4);
    return bytes;
}

// Seven different colours, record k = bytes k, 0x10 * k, 0x20 + k, 0.
QByteArray Distinct7() {
    QByteArray bytes;
    for (int k = 1; k <= 7; ++k)
        bytes.append(static_cast<char>(k))
            .append(static_cast<char>(0x10 * k))
            .append(static_cast<char>(0x20 + k))
            .append('\0');
    return bytes;
}

// ---- The colour file ------------------------------------------------------------------------------

class BarColourFileTest : public ::testing::Test {
protected:
    TempHome home;
    QString path = home.file("BAR.CFG");
    cBarColors colours;
};

TEST_F(BarColourFileTest, FirstStartCreatesTheFileInLightGrey) {
    ASSERT_TRUE(BarColourFile::Load(path, colours).ok());
    EXPECT_EQ(TempHome::read(path), Grey7());
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(colours.Ch(k), 0x00C0C0C0) << k;
}

TEST_F(BarColourFileTest, RecordKHoldsChannelK) {
    ASSERT_TRUE(TempHome::write(path, Distinct7()));
    ASSERT_TRUE(BarColourFile::Load(path, colours).ok());
    EXPECT_EQ(colours.Ch1(), 0x00211001);
    EXPECT_EQ(colours.Ch3(), 0x00233003);
    EXPECT_EQ(colours.Ch7(), 0x00277007);
    EXPECT_EQ(BarColourFile::encode(colours), Distinct7());
}

TEST_F(BarColourFileTest, AShortFileReadsWhatIsThereAndZeroForTheRest) {
    // Two whole records and half of the third.
    ASSERT_TRUE(TempHome::write(path, Distinct7().left(10)));
    ASSERT_TRUE(BarColourFile::Load(path, colours).ok());
    EXPECT_EQ(colours.Ch1(), 0x00211001);
    EXPECT_EQ(colours.Ch2(), 0x00222002);
    EXPECT_EQ(colours.Ch3(), 0x00003003);
    for (int k = 4; k <= 7; ++k)
        EXPECT_EQ(colours.Ch(k), 0) << k;
    EXPECT_EQ(TempHome::read(path).size(), 10); // the reader never writes an existing file
}

TEST_F(BarColourFileTest, AnEmptyFileGivesBlackAndALongOneItsFirstSevenRecords) {
    ASSERT_TRUE(TempHome::write(path, QByteArray()));
    colours.setCh(1, 0x123456);
    ASSERT_TRUE(BarColourFile::Load(path, colours).ok());
    EXPECT_EQ(colours, cBarColors());
    ASSERT_TRUE(TempHome::write(path, Distinct7() + QByteArray("\xFF\xFF\xFF\xFF")));
    ASSERT_TRUE(BarColourFile::Load(path, colours).ok());
    EXPECT_EQ(BarColourFile::encode(colours), Distinct7());
}

TEST_F(BarColourFileTest, AFileThatCannotBeReadIsReportedAndLeavesTheColours) {
    QDir().mkpath(path); // a folder where the file should be
    colours.setCh(2, 0x0000FF);
    const cBarColors before = colours;
    const Status s = BarColourFile::Load(path, colours);
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.message().contains(path));
    EXPECT_TRUE(s.message().contains(QStringLiteral("could not be read")));
    EXPECT_EQ(colours, before);
}

TEST_F(BarColourFileTest, AMissingFileThatCannotBeCreatedIsReportedAndTheBarsAreGrey) {
    const Status s =
        BarColourFile::Load(path, colours, ct::FailingFiles::AtCommit(ct::FailingFiles::Persistence::Always));
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.message().contains(QStringLiteral("No space left on device"))) << s.message().toStdString();
    EXPECT_EQ(colours.Ch5(), 0x00C0C0C0);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(BarColourFileTest, SaveWritesTwentyEightBytes) {
    for (int k = 1; k <= 7; ++k)
        colours.setCh(k, 0x00C0C0C0);
    colours.setCh(3, 0x000000FF);
    ASSERT_TRUE(BarColourFile::Save(path, colours).ok());
    QByteArray expected = Grey7();
    expected.replace(8, 4, QByteArray("\xFF\x00\x00\x00", 4));
    EXPECT_EQ(TempHome::read(path), expected);
}

// ---- The dialog -----------------------------------------------------------------------------------

class GraphColourDialogTest : public ::testing::Test {
protected:
    GraphColourDialogTest() {
        QObject::connect(&dialog, &frmGraphColor::saved, [this] { ++saved; });
        QObject::connect(&dialog, &frmGraphColor::cancelled, [this] { ++cancelled; });
    }
    QByteArray file() const { return TempHome::read(state.folders.barColourFile()); }

    // Start-up as the program does it: the home, then the colours, then the dialog.
    static bool StartUp(SharedState& state, const TempHome& home) {
        state.folders.Home = home.path();
        return BarColourFile::Load(state.folders.barColourFile(), state.BarColours).ok();
    }

    TempHome home;
    SharedState state;
    bool started = StartUp(state, home);
    ct::ScriptedDesktop desktop;
    frmGraphColor dialog{state, desktop.dialogs};
    int saved = 0;
    int cancelled = 0;
};

TEST_F(GraphColourDialogTest, ShowsItsControlsWithTheirTexts) {
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmGraphColor"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Graph Colour Preferences"));
    for (int k = 1; k <= 7; ++k) {
        auto* box = dialog.findChild<QWidget*>(QStringLiteral("Picture1_%1").arg(k));
        ASSERT_NE(box, nullptr) << k;
        EXPECT_EQ(box->toolTip(), QStringLiteral("Click on Bar to set colour"));
    }
    auto* save = dialog.findChild<QPushButton*>(QStringLiteral("cmdSaveOnExit"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cmdExit"));
    ASSERT_TRUE(save && cancel);
    EXPECT_EQ(save->text(), QStringLiteral(" Save Settings on Exit"));
    EXPECT_EQ(save->toolTip(), QStringLiteral("Writes changes to disc"));
    EXPECT_EQ(cancel->text(), QStringLiteral(" Cancel"));
    EXPECT_EQ(cancel->toolTip(), QStringLiteral("Changes not saved"));
}

TEST_F(GraphColourDialogTest, BoxesStartWithTheBarColours) {
    state.BarColours.setCh(6, 0x00123456);
    frmGraphColor fresh(state, desktop.dialogs);
    EXPECT_EQ(fresh.boxColour(6), 0x00123456);
    EXPECT_EQ(fresh.boxColour(1), 0x00C0C0C0);
}

TEST_F(GraphColourDialogTest, RedForChannel3ThenSaveWritesItAtOffset8) {
    desktop.dialogs.colours.push_back(QColor(255, 0, 0));
    QTest::mouseClick(dialog.findChild<QWidget*>(QStringLiteral("Picture1_3")), Qt::LeftButton);
    EXPECT_EQ(desktop.dialogs.colourDialogs, 1);
    EXPECT_EQ(dialog.boxColour(3), 0x000000FF);
    EXPECT_EQ(state.BarColours.Ch3(), 0x00C0C0C0); // nothing applied yet

    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdSaveOnExit")), Qt::LeftButton);
    EXPECT_EQ(file().mid(8, 4), QByteArray("\xFF\x00\x00\x00", 4));
    EXPECT_EQ(file().size(), 28);
    EXPECT_EQ(state.BarColours.Ch3(), 0x000000FF);
    EXPECT_EQ(state.BarColours.Ch4(), 0x00C0C0C0);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Regression: the chooser opened at black whatever the channel's colour.
TEST_F(GraphColourDialogTest, TheChooserOpensAtTheChannelsColour) {
    state.BarColours.setCh(4, 0x00336699); // Windows RGB: red 0x99, green 0x66, blue 0x33
    frmGraphColor fresh(state, desktop.dialogs);
    fresh.Picture1_Click(4);
    ASSERT_EQ(desktop.dialogs.colourInitials.size(), 1u);
    EXPECT_EQ(desktop.dialogs.colourInitials[0], QColor(0x99, 0x66, 0x33));
}

TEST_F(GraphColourDialogTest, CancelInTheColourChooserLeavesTheBox) {
    dialog.Picture1_Click(5); // no colour scripted: the chooser is cancelled
    EXPECT_EQ(desktop.dialogs.colourDialogs, 1);
    EXPECT_EQ(dialog.boxColour(5), 0x00C0C0C0);
}

TEST_F(GraphColourDialogTest, CancelInTheDialogDiscardsEveryChange) {
    const QByteArray before = file();
    desktop.dialogs.colours = {QColor(Qt::blue), QColor(Qt::green)};
    dialog.Picture1_Click(1);
    dialog.Picture1_Click(7);
    EXPECT_EQ(dialog.boxColour(7), 0x0000FF00);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(state.BarColours.Ch1(), 0x00C0C0C0);
    EXPECT_EQ(state.BarColours.Ch7(), 0x00C0C0C0);
    EXPECT_EQ(file(), before);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(GraphColourDialogTest, AFailedSaveIsReportedAndChangesNothing) {
    const ct::FailingFiles failing = ct::FailingFiles::AtCommit(ct::FailingFiles::Persistence::Always);
    dialog.setFileFactory(failing);
    dialog.show();
    desktop.dialogs.colours.push_back(QColor(255, 0, 0));
    dialog.Picture1_Click(3);
    const QByteArray before = file();
    dialog.cmdSaveOnExit_Click();

    ASSERT_EQ(desktop.dialogs.messages.size(), 1u);
    const auto& message = desktop.dialogs.lastMessage();
    EXPECT_EQ(message.icon, platform::Icon::Critical);
    EXPECT_EQ(message.buttons, platform::Buttons::Ok);
    EXPECT_TRUE(message.title.isEmpty());
    EXPECT_TRUE(message.text.contains(QStringLiteral("No space left on device")))
        << message.text.toStdString();
    EXPECT_EQ(state.BarColours.Ch3(), 0x00C0C0C0);
    EXPECT_EQ(file(), before);
    EXPECT_EQ(saved, 0);
    // Still open with the user's choice, so it can be saved again or cancelled.
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.boxColour(3), 0x000000FF);
    dialog.hide();
}

TEST_F(GraphColourDialogTest, AClickOnTheBackgroundFocusesBox1) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.findChild<QPushButton*>(QStringLiteral("cmdExit"))->setFocus();
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(dialog.findChild<QWidget*>(QStringLiteral("Picture1_1"))->hasFocus());
    EXPECT_EQ(desktop.dialogs.colourDialogs, 0);
    dialog.hide();
}

TEST_F(GraphColourDialogTest, NothingIsClippedOrOverlapping) {
    dialog.show();
    const QRect inside = dialog.rect();
    QList<QWidget*> widgets;
    for (int k = 1; k <= 7; ++k)
        widgets << dialog.findChild<QWidget*>(QStringLiteral("Picture1_%1").arg(k));
    widgets << dialog.findChild<QWidget*>(QStringLiteral("cmdSaveOnExit"))
            << dialog.findChild<QWidget*>(QStringLiteral("cmdExit"));
    for (QWidget* w : widgets) {
        EXPECT_TRUE(inside.contains(w->geometry())) << w->objectName().toStdString();
        EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
        for (QWidget* other : widgets) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()));
            }
        }
    }
    // The rendered box shows its colour.
    const QImage picture = dialog.grab().toImage();
    const QWidget* box3 = widgets[2];
    EXPECT_EQ(picture.pixelColor(box3->geometry().center()), QColor(0xC0, 0xC0, 0xC0));
    dialog.hide();
}

} // namespace

TEST_F(GraphColourDialogTest, TheGraphStyleShowsTheChoiceAndIsAppliedOnlyBySave) {
    EXPECT_EQ(dialog.graphStyle(), GraphStyleKind::Classic);
    auto* clear = dialog.findChild<QRadioButton*>(QStringLiteral("optGraphStyleClear"));
    ASSERT_NE(clear, nullptr);
    clear->click();
    dialog.cmdExit_Click();
    EXPECT_EQ(state.preferences.graphStyle, GraphStyleKind::Classic);

    frmGraphColor again(state, desktop.dialogs);
    again.setGraphStyle(GraphStyleKind::Clear);
    again.cmdSaveOnExit_Click();
    EXPECT_EQ(state.preferences.graphStyle, GraphStyleKind::Clear);
    EXPECT_EQ(frmGraphColor(state, desktop.dialogs).graphStyle(), GraphStyleKind::Clear);
}

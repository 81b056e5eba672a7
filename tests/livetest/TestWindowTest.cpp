// The test window and the range dialogs as the user meets them: controls by name, the range
// dialogs' captions, placement and refusals, keys, the pop-up menu, layouts and the pictures.
#include "livetest/TestWindowLayout.h"
#include "livetest/frmInstrumentRange.h"
#include "livetest/frmRangeScale.h"
#include "livetest/frmStdTestLogging.h"
#include "support/CountingPauser.h"
#include "support/FakeMainFrame.h"
#include "support/RecordingCard.h"
#include "support/ScriptedDesktop.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace corvin::livetest {
namespace {

class TestWindowTest : public ::testing::Test {
protected:
    SharedState state;
    testing::RecordingCard card;
    testing::CountingPauser pauser;
    testing::ScriptedDesktop desk;
    testing::FakeMainFrame frame;
    frmStdTestLogging* window = nullptr;

    void SetUp() override {
        state.instrument.BoardModel = 230;
        for (int k = 1; k <= kChannelCount; ++k)
            state.CurrentProbe.setCh(k, QStringLiteral("Electrode %1").arg(k));
        for (int k = 1; k <= kChannelCount; ++k)
            state.BarColours.setCh(k, 0x00C0C0C0);
        window = new frmStdTestLogging(state, card, pauser, desk.desktop, frame);
        window->resize(1000, 700);
        window->show();
    }
    void TearDown() override { delete window; }

    template <typename T> T* child(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // " HIGH/LOW", then HIGH or LOW, then OK with the option given.
    void chooseRange(bool high, bool option1 = true) {
        child<QPushButton>("Command6")->click();
        frmInstrumentRange* range = window->rangeDialog();
        ASSERT_NE(range, nullptr);
        range->findChild<QPushButton*>(high ? "Command1" : "Command2")->click();
        frmRangeScale* scale = window->scaleDialog();
        ASSERT_NE(scale, nullptr);
        scale->findChild<QRadioButton*>(option1 ? "Option1" : "Option2")->setChecked(true);
        scale->findChild<QPushButton*>("Command1")->click();
    }
};

// ---- controls -------------------------------------------------------------------------------

TEST_F(TestWindowTest, EveryControlCarriesItsName) {
    for (const char* name : {"frameCentre", "Picture1", "Label8", "Label9", "Label10", "Label11", "Label13"})
        EXPECT_NE(window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    for (const char* name : {"cmdStart", "cmdStop", "cmdExit", "Command6", "Command3", "cmdFreezeSplit",
                             "cmdFreezeUnsplit", "cmdPrintTest"})
        EXPECT_NE(window->findChild<QPushButton*>(QString::fromLatin1(name)), nullptr) << name;
    for (int k = 1; k <= kChannelCount; ++k) {
        EXPECT_NE(window->findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(k + 8)), nullptr) << k;
        EXPECT_NE(window->findChild<QLabel*>(QStringLiteral("Label%1").arg(k)), nullptr) << k;
        auto* image = window->findChild<QToolButton*>(QStringLiteral("Image%1").arg(k));
        ASSERT_NE(image, nullptr) << k;
        EXPECT_EQ(image->toolTip(), QStringLiteral("Electrode %1").arg(k));
    }
    EXPECT_EQ(child<QLabel>("Label13")->text(), QStringLiteral("Tarvik CORVIN"));
    EXPECT_EQ(child<QPushButton>("Command6")->text(), QStringLiteral(" HIGH/LOW"));
    EXPECT_EQ(child<QPushButton>("Command6")->toolTip(), QStringLiteral("Set Instrument Range"));
    EXPECT_EQ(child<QPushButton>("cmdPrintTest")->text(), QStringLiteral("Now"));
    EXPECT_EQ(child<QLabel>("Label8")->text(), QStringLiteral(" 00:00:00"));
    EXPECT_FALSE(child<QLabel>("Label10")->isVisible());
    EXPECT_FALSE(child<QPushButton>("Command3")->isVisible());

    auto* popup = child<QMenu>("mnupopup");
    QStringList items;
    for (QAction* a : popup->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char('=') + a->text());
    EXPECT_EQ(items, QStringList({"mnuCopy=Copy to Clipboard", "mnuPrint=Print Test", "-", "mnuClose=Stop"}));
    EXPECT_EQ(child<QTimer>("Timer1")->interval(), 250);
    EXPECT_EQ(frame.childWindows, 1);
}

TEST_F(TestWindowTest, OpensWithStartAndStopDisabledAndAllLampsOff) {
    EXPECT_FALSE(child<QPushButton>("cmdStart")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdStop")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("cmdExit")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdFreezeSplit")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>("optPeriodicDataOn")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("optPeriodicDataOff")->isChecked());
    for (bool on : state.display.ChannelEnabled)
        EXPECT_FALSE(on);
    // The message area is grey until a scale is chosen.
    EXPECT_EQ(window->chart().image().pixelColor(5, 5), QColor(0xC0, 0xC0, 0xC0));
}

TEST_F(TestWindowTest, LampButtonSwitchesTheChannelAndShowsItsName) {
    child<QToolButton>("Image2")->click();
    EXPECT_TRUE(state.display.ChannelEnabled[1]);
    EXPECT_EQ(child<QLabel>("Label2")->text(), QStringLiteral("Electrode 2"));
    child<QToolButton>("Image2")->click();
    EXPECT_FALSE(state.display.ChannelEnabled[1]);
    EXPECT_EQ(child<QLabel>("Label2")->text(), QString());
}

// Regression: "ABCDEFGHIJKLMNOP" showed as ")EFGHIJKLM" under its reading box. The window sizes
// are the main window's client area at 1280x800 and 1920x1080.
TEST_F(TestWindowTest, EveryNameAProbeHoldsShowsWholeUnderItsReadingBox) {
    const QStringList names{"WWWWWWWWWWWWWWWW", "ABCDEFGHIJKLMNOP", "Guard electrode", "MMMMMMMM MMMMMMM"};
    for (int k = 1; k <= kChannelCount; ++k)
        state.CurrentProbe.setCh(k, names[(k - 1) % names.size()]);
    for (int k = 1; k <= kChannelCount; ++k)
        child<QToolButton>(qPrintable(QStringLiteral("Image%1").arg(k)))->click();
    for (QSize size : {QSize(1280, 690), QSize(1920, 970)}) {
        window->resize(size);
        QApplication::processEvents();
        for (int k = 1; k <= kChannelCount; ++k) {
            SCOPED_TRACE(size.width() * 10 + k);
            const QLabel* label = child<QLabel>(qPrintable(QStringLiteral("Label%1").arg(k)));
            ASSERT_EQ(label->text(), names[(k - 1) % names.size()]);
            const QSizeF box = label->contentsRect().size();
            const QFont shown = FontToFit(label->font(), label->text(), box);
            const QSizeF text = WrappedTextSize(shown, label->text(), box.width());
            EXPECT_LE(text.width(), box.width());
            EXPECT_LE(text.height(), box.height());
            EXPECT_GE(shown.pointSizeF(), 6.0) << "still readable";
            EXPECT_LT(label->geometry().bottom(),
                      child<QToolButton>(qPrintable(QStringLiteral("Image%1").arg(k)))->geometry().top());
        }
    }
}

// ---- range dialogs ---------------------------------------------------------------------------

TEST_F(TestWindowTest, RangeDialogsCaptionsOptionsAndPlacement) {
    child<QPushButton>("Command6")->click();
    frmInstrumentRange* range = window->rangeDialog();
    ASSERT_NE(range, nullptr);
    EXPECT_TRUE(range->isVisible());
    EXPECT_EQ(range->windowTitle(), QStringLiteral(" SET INSTRUMENT RANGE"));
    EXPECT_EQ(range->findChild<QPushButton*>("Command1")->text(), QStringLiteral(" HIGH"));
    EXPECT_EQ(range->findChild<QPushButton*>("Command2")->text(), QStringLiteral(" LOW"));
    const QRect screen = range->screen()->geometry();
    EXPECT_EQ(range->pos(), DialogPosition(screen, range->size()));

    range->findChild<QPushButton*>("Command2")->click();
    EXPECT_FALSE(range->isVisible());
    frmRangeScale* low = window->scaleDialog();
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(low->objectName(), QStringLiteral("frmRangeLow"));
    EXPECT_EQ(low->windowTitle(), QStringLiteral(" LOW RANGE"));
    EXPECT_EQ(low->findChild<QRadioButton*>("Option1")->text(), QStringLiteral(" 1mA Full Scale"));
    EXPECT_EQ(low->findChild<QRadioButton*>("Option2")->text(), QStringLiteral("100µA Full Scale"));
    EXPECT_TRUE(low->findChild<QRadioButton*>("Option1")->isChecked()); // the larger scale
    EXPECT_EQ(low->pos(), DialogPosition(screen, low->size()));
    EXPECT_FALSE(state.instrument.HighRangeSelected);
}

TEST_F(TestWindowTest, ScaleDialogsGiveTheirScreenScales) {
    const struct {
        bool high, option1;
        int16_t scale;
    } table[] = {{true, true, 2}, {true, false, 1}, {false, true, 4}, {false, false, 3}};
    for (const auto& row : table) {
        chooseRange(row.high, row.option1);
        EXPECT_EQ(state.instrument.ScreenScale, row.scale);
        EXPECT_EQ(window->scaleDialog()->objectName(),
                  row.high ? QStringLiteral("frmRangeHigh") : QStringLiteral("frmRangeLow"));
    }
    EXPECT_EQ(window->scaleDialog()->windowTitle(), QStringLiteral(" LOW RANGE"));
}

TEST_F(TestWindowTest, WhileTheRangeIsChosenTheWindowAndTheMainWindowAreDisabled) {
    child<QPushButton>("Command6")->click();
    EXPECT_FALSE(window->isEnabled());
    EXPECT_FALSE(frame.frameEnabled);
    window->rangeDialog()->findChild<QPushButton*>("Command1")->click();
    EXPECT_FALSE(window->isEnabled());
    EXPECT_FALSE(frame.frameEnabled);
    window->scaleDialog()->findChild<QPushButton*>("Command1")->click();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(frame.frameEnabled);
    EXPECT_FALSE(window->scaleDialog()->isVisible());
    EXPECT_TRUE(child<QPushButton>("cmdStart")->isEnabled());
    EXPECT_EQ(frame.status(QStringLiteral("miStatus")),
              QStringLiteral("Ready Hit START to proceed with test"));
}

TEST_F(TestWindowTest, RangeDialogsRefuseTheCloseBoxAndEscape) {
    child<QPushButton>("Command6")->click();
    frmInstrumentRange* range = window->rangeDialog();
    EXPECT_FALSE(range->close());
    QTest::keyClick(range, Qt::Key_Escape);
    EXPECT_TRUE(range->isVisible());

    range->findChild<QPushButton*>("Command1")->click();
    frmRangeScale* high = window->scaleDialog();
    EXPECT_FALSE(high->close());
    QTest::keyClick(high, Qt::Key_Escape);
    EXPECT_TRUE(high->isVisible());
    EXPECT_FALSE(frame.frameEnabled);
}

TEST_F(TestWindowTest, EnterRunsOkOfTheScaleDialog) {
    child<QPushButton>("Command6")->click();
    window->rangeDialog()->findChild<QPushButton*>("Command1")->click();
    frmRangeScale* high = window->scaleDialog();
    high->findChild<QRadioButton*>("Option2")->setFocus();
    QTest::keyClick(high->findChild<QRadioButton*>("Option2"), Qt::Key_Return);
    EXPECT_FALSE(high->isVisible());
    EXPECT_TRUE(high->OkPressed());
    EXPECT_EQ(state.instrument.ScreenScale, 2); // Option1 was still the one selected
    EXPECT_TRUE(frame.frameEnabled);
}

TEST_F(TestWindowTest, ScaleWhileSplitUnsplits) {
    chooseRange(true);
    child<QPushButton>("cmdStart")->click();
    child<QPushButton>("cmdFreezeSplit")->click();
    EXPECT_TRUE(window->chart().splitMode());
    EXPECT_TRUE(child<QPushButton>("cmdFreezeUnsplit")->isEnabled());
    chooseRange(true, false);
    EXPECT_FALSE(window->chart().splitMode());
    EXPECT_FALSE(child<QPushButton>("cmdStart")->isEnabled()); // the test still runs
    EXPECT_TRUE(child<QPushButton>("cmdStop")->isEnabled());
}

// ---- keys and timers -------------------------------------------------------------------------

TEST_F(TestWindowTest, FunctionKeysSwitchChannelsOnlyWhileATestRuns) {
    chooseRange(true);
    QTest::keyClick(child<QPushButton>("Command6"), Qt::Key_F1);
    EXPECT_FALSE(state.display.ChannelEnabled[0]);

    child<QPushButton>("cmdStart")->click();
    QTest::keyClick(child<QPushButton>("Command6"), Qt::Key_F1);
    QTest::keyClick(child<QPushButton>("cmdStop"), Qt::Key_F7);
    EXPECT_TRUE(state.display.ChannelEnabled[0]);
    EXPECT_TRUE(state.display.ChannelEnabled[6]);
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_FALSE(state.display.ChannelEnabled[0]);
}

TEST_F(TestWindowTest, KeypadPlusOnTheRangeButtonOpensTheRangeDialog) {
    QTest::keyClick(child<QPushButton>("Command6"), Qt::Key_Plus, Qt::KeypadModifier);
    ASSERT_NE(window->rangeDialog(), nullptr);
    EXPECT_TRUE(window->rangeDialog()->isVisible());
}

TEST_F(TestWindowTest, TimersFollowTheTest) {
    chooseRange(true);
    auto* timer1 = child<QTimer>("Timer1");
    auto* timer2 = child<QTimer>("Timer2");
    child<QRadioButton>("optPeriodicDataOn")->click();
    desk.dialogs.inputs = {QStringLiteral("10"), QStringLiteral("1")};
    child<QPushButton>("cmdStart")->click();
    EXPECT_TRUE(timer1->isActive());
    EXPECT_TRUE(timer2->isActive());
    EXPECT_EQ(timer2->interval(), 10'000);

    desk.dialogs.answers = {platform::Answer::No};
    child<QPushButton>("cmdStop")->click();
    EXPECT_FALSE(timer1->isActive());
    EXPECT_FALSE(timer2->isActive());
    EXPECT_FALSE(child<QPushButton>("cmdStart")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("Text1_12")->text(), QStringLiteral("0.0"));
}

TEST_F(TestWindowTest, LiveTickWritesTheReadingBoxes) {
    card.setCount(13, 3276); // channel 5: 1.1 µA on HIGH
    chooseRange(true);
    child<QPushButton>("cmdStart")->click();
    window->session().Timer1_Timer();
    EXPECT_EQ(child<QLineEdit>("Text1_13")->text(), QStringLiteral("1.1"));
    EXPECT_EQ(child<QLineEdit>("Text1_9")->text(), QStringLiteral("0.0"));
}

// ---- closing ---------------------------------------------------------------------------------

// Regression: the window used to free the card as it went, so that with a real driver every later
// test window read zeros on handle 0. The card stays registered until the program ends.
TEST_F(TestWindowTest, ExitClosesTheWindowAndLeavesTheCardRegistered) {
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    card.clearLog();
    child<QPushButton>("cmdExit")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(card.calls("DIOsetData").size(), 24);
    delete window;
    window = nullptr;
    EXPECT_EQ(frame.childWindows, 0);
    EXPECT_TRUE(card.calls("FreeBoard").isEmpty());
}

TEST_F(TestWindowTest, WindowRefusesToCloseUnderARunningTest) {
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    chooseRange(true);
    child<QPushButton>("cmdStart")->click();
    EXPECT_FALSE(window->close());
    child<QPushButton>("cmdStop")->click();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(frame.commandBar.isEnabled("mnuTest", "mTStandard")); // the EXIT clean-up ran
}

// ---- layouts ---------------------------------------------------------------------------------

TEST_F(TestWindowTest, ChartGrowsWithTheWindowAndKeepsItsBars) {
    chooseRange(true);
    child<QToolButton>("Image1")->click();
    child<QPushButton>("cmdStart")->click();
    card.setCount(9, 16000);
    window->session().Timer1_Timer();
    ASSERT_GT(window->chart().lastBarValue(1), 5.0);

    window->resize(1900, 1000);
    auto* picture = child<QWidget>("Picture1");
    EXPECT_GT(picture->width(), 617);
    EXPECT_EQ(window->chart().size(), picture->size());
    // The relayout restarts the bars from zero on the redrawn chart.
    EXPECT_EQ(window->chart().lastBarValue(1), 0.0);
    // The zero line is back under the bar.
    const QPoint zero = window->chart().toPixel(0.8, 0.0).toPoint();
    int ink = 0;
    for (int dy = -2; dy <= 2; ++dy)
        ink += window->chart().image().pixelColor(zero + QPoint(0, dy)) != QColor(Qt::white);
    EXPECT_GT(ink, 0);
}

TEST_F(TestWindowTest, FullScreenLayoutShowsOnlyTheChartAndNormalRestoresTheDesign) {
    window->resize(797, 630);
    chooseRange(true);
    child<QPushButton>("cmdStart")->click();
    state.display.FullScreenMode = true;
    window->showFullScreenLayout();
    auto* picture = child<QWidget>("Picture1");
    EXPECT_EQ(picture->geometry(), QRect(QPoint(0, 0), window->size()));
    EXPECT_FALSE(child<QPushButton>("cmdStop")->isVisible());
    EXPECT_FALSE(child<QLineEdit>("Text1_9")->isVisible());
    EXPECT_TRUE(child<QWidget>("frameCentre")->isVisible());
    EXPECT_EQ(window->chart().size(), window->size());

    state.display.FullScreenMode = false;
    window->showNormalLayout();
    EXPECT_EQ(picture->geometry(), QRect(159, 25, 617, 355));
    EXPECT_TRUE(child<QPushButton>("cmdStop")->isVisible());
    EXPECT_FALSE(child<QPushButton>("Command3")->isVisible());
    EXPECT_FALSE(child<QLabel>("Label10")->isVisible());
}

TEST_F(TestWindowTest, BarColourDialogClearsTheChartAndSavingDisablesStart) {
    chooseRange(true);
    window->barColoursCancelled();
    EXPECT_TRUE(child<QPushButton>("cmdStart")->isEnabled());
    EXPECT_EQ(window->chart().image().pixelColor(3, 3), QColor(Qt::white));
    window->barColoursSaved();
    EXPECT_FALSE(child<QPushButton>("cmdStart")->isEnabled());
}

} // namespace
} // namespace corvin::livetest

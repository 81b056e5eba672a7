// The probe selection window: listing, the default probe's check mark, Go and double-click, and
// what reaches the registry and the status bar.
#include "probes/frmStandardSignOn.h"

#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "support/FakeMainFrame.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace corvin;
using corvin::probes::frmStandardSignOn;

namespace {

// A main window stand-in that also notes the default probe stored at the moment the test
// window was asked for.
class RecordingFrame : public corvin::testing::FakeMainFrame {
public:
    explicit RecordingFrame(settings::RegistryStore& store) : m_store(store) {}
    void openTestWindow() override {
        FakeMainFrame::openTestWindow();
        defaultWhenTestOpened = settings::ReadDefaultProbeName(m_store);
    }
    QString defaultWhenTestOpened = QStringLiteral("<not asked>");

private:
    settings::RegistryStore& m_store;
};

class ProbeSelection : public ::testing::Test {
protected:
    ProbeSelection() : store(home.file(QStringLiteral("registry.sqlite")), clock), frame(store) {
        state.folders.Home = home.path();
        state.folders.ProbesFolder = home.file(QStringLiteral("Probes"));
    }

    // A probe file exactly as the dialog writes it.
    void addProbe(const QString& name, const QStringList& channels) {
        cProbe p;
        p.setProbe_Name(name);
        for (int k = 1; k <= channels.size(); ++k)
            p.setCh(k, channels.at(k - 1));
        ASSERT_TRUE(probes::WriteProbeFile(state.folders.ProbesFolder, p).ok());
    }
    void setStoredDefault(const QString& name) {
        ASSERT_TRUE(settings::WriteDefaultProbeName(store, name).ok());
    }
    QString storedDefault() { return settings::ReadDefaultProbeName(store); }

    // Opens the window as the main window does: made, shown, sized to the client area.
    frmStandardSignOn& open(QSize size = QSize(1280, 700)) {
        window = std::make_unique<frmStandardSignOn>(state, desk.dialogs, frame, store);
        window->resize(size);
        window->show();
        return *window;
    }
    QTreeWidgetItem* entry(const QString& trimmedName) {
        for (int i = 0; i < window->lvmain()->topLevelItemCount(); ++i)
            if (window->lvmain()->topLevelItem(i)->text(0).trimmed() == trimmedName)
                return window->lvmain()->topLevelItem(i);
        return nullptr;
    }
    QStringList checkedEntries() {
        QStringList names;
        for (int i = 0; i < window->lvmain()->topLevelItemCount(); ++i)
            if (window->lvmain()->topLevelItem(i)->checkState(0) == Qt::Checked)
                names << window->lvmain()->topLevelItem(i)->text(0).trimmed();
        return names;
    }
    void select(const QString& trimmedName) {
        QTreeWidgetItem* item = entry(trimmedName);
        ASSERT_NE(item, nullptr) << trimmedName.toStdString();
        window->lvmain()->setCurrentItem(item);
    }
    QString label() { return window->findChild<QLabel*>(QStringLiteral("lblProbeSelect"))->text(); }
    QString status(const char* pane) { return frame.status(QLatin1String(pane)); }

    corvin::testing::TempHome home;
    ManualClock clock;
    settings::RegistryStore store;
    SharedState state;
    corvin::testing::ScriptedDesktop desk;
    RecordingFrame frame;
    std::unique_ptr<frmStandardSignOn> window;
};

} // namespace

// ---- Opening: the list, the check mark, the status bar ------------------------------------------

TEST_F(ProbeSelection, ListsEveryProbeWithItsStoredFieldsAndNamesTheColumns) {
    addProbe(QStringLiteral("Board A"), {QStringLiteral("Pin 1"), QStringLiteral("Pin 2")});
    open();
    QTreeWidget* list = window->lvmain();
    EXPECT_EQ(window->objectName(), QStringLiteral("frmStandardSignOn"));
    ASSERT_EQ(list->columnCount(), 8);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Probe ID"));
    EXPECT_EQ(list->headerItem()->text(7), QStringLiteral("Channel7"));
    ASSERT_EQ(list->topLevelItemCount(), 1);
    // The entry is the 16-character field as stored, padding and all.
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Board A         "));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("Pin 2           "));
    EXPECT_EQ(list->topLevelItem(0)->text(3), QString(16, QLatin1Char(' ')));
    EXPECT_EQ(label(), QStringLiteral("Current Probe Selection= Board A.Prb"));
    EXPECT_EQ(status("miStatus"), QStringLiteral("Waiting Probe selection"));
}

TEST_F(ProbeSelection, AnEmptyFolderShowsThePlaceholderEntry) {
    open();
    ASSERT_EQ(window->lvmain()->topLevelItemCount(), 1);
    EXPECT_EQ(window->lvmain()->topLevelItem(0)->text(0), QStringLiteral(" <No Probe Devices Available> "));
}

TEST_F(ProbeSelection, ALowerCaseDefaultNameChecksTheUpperCaseEntry) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    addProbe(QStringLiteral("BETA"), {QStringLiteral("a"), QStringLiteral("b")});
    setStoredDefault(QStringLiteral("  alpha "));
    open();
    EXPECT_EQ(checkedEntries(), QStringList{QStringLiteral("ALPHA")});
    EXPECT_EQ(status("miDefaultProbe"), QStringLiteral("ALPHA"));
    EXPECT_EQ(state.DefaultProbeName, QStringLiteral("alpha"));
}

TEST_F(ProbeSelection, ADefaultMatchingNoFileChecksNothingButIsShownAndWrittenBack) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    setStoredDefault(QStringLiteral("Ghost"));
    open();
    EXPECT_TRUE(checkedEntries().isEmpty());
    EXPECT_EQ(status("miDefaultProbe"), QStringLiteral("GHOST"));
    setStoredDefault(QStringLiteral("changed behind its back"));
    window->close();
    EXPECT_EQ(storedDefault(), QStringLiteral("Ghost"));
}

// ---- Check marks ----------------------------------------------------------------------------------

TEST_F(ProbeSelection, CheckingAnEntryMakesItTheOnlyDefaultAndTheCloseStoresIt) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    addProbe(QStringLiteral("Beta"), {QStringLiteral("a"), QStringLiteral("b")});
    setStoredDefault(QStringLiteral("ALPHA"));
    open();
    entry(QStringLiteral("Beta"))->setCheckState(0, Qt::Checked);
    EXPECT_EQ(checkedEntries(), QStringList{QStringLiteral("Beta")});
    EXPECT_EQ(state.DefaultProbeName, QStringLiteral("Beta"));
    EXPECT_EQ(status("miDefaultProbe"), QStringLiteral("BETA"));
    EXPECT_EQ(storedDefault(), QStringLiteral("ALPHA")); // not yet: only when the window closes
    window->close();
    EXPECT_EQ(storedDefault(), QStringLiteral("Beta"));
}

// Regression: the window could be left only by Go. Escape closes it as its close box does: the
// default probe is stored and the main window is told probe selection was left.
TEST_F(ProbeSelection, EscapeClosesTheWindowAndStoresTheDefault) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    addProbe(QStringLiteral("Beta"), {QStringLiteral("a"), QStringLiteral("b")});
    open();
    entry(QStringLiteral("Beta"))->setCheckState(0, Qt::Checked);
    QTest::keyClick(window->lvmain(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedDefault(), QStringLiteral("Beta"));
    EXPECT_EQ(frame.events, std::vector<ShellEvent>{ShellEvent::ProbeSelectionClosed});
}

TEST_F(ProbeSelection, UncheckingLeavesTheDefaultAndTheCloseStoresTheSameName) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    setStoredDefault(QStringLiteral("alpha"));
    open();
    entry(QStringLiteral("ALPHA"))->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(checkedEntries().isEmpty());
    EXPECT_EQ(state.DefaultProbeName, QStringLiteral("alpha"));
    EXPECT_EQ(status("miDefaultProbe"), QStringLiteral("ALPHA"));
    window->close();
    EXPECT_EQ(storedDefault(), QStringLiteral("alpha"));
}

TEST_F(ProbeSelection, ClickingAnEntryNamesItAsTheSelection) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    addProbe(QStringLiteral("Beta"), {QStringLiteral("a"), QStringLiteral("b")});
    open();
    window->lvmain_ItemClick(entry(QStringLiteral("Beta")));
    EXPECT_EQ(label(), QStringLiteral("Current Probe Selection= Beta.Prb"));
    EXPECT_EQ(window->selectedFile(), QStringLiteral("Beta.Prb"));
}

// ---- Go and double-click ------------------------------------------------------------------------

TEST_F(ProbeSelection, GoLoadsTheProbeTrimmedStoresTheDefaultFirstAndOpensTheTestWindow) {
    addProbe(QStringLiteral("Board A"), {QStringLiteral("Pin 1"), {}, QStringLiteral("Guard")});
    setStoredDefault(QStringLiteral("Board A"));
    open();
    entry(QStringLiteral("Board A"))->setCheckState(0, Qt::Unchecked); // the default stays anyway
    window->cmdGO_Click();
    EXPECT_EQ(state.CurrentProbe.Probe_Name(), QStringLiteral("Board A"));
    EXPECT_EQ(state.CurrentProbe.Ch1(), QStringLiteral("Pin 1"));
    EXPECT_EQ(state.CurrentProbe.Ch2(), QString());
    EXPECT_EQ(state.CurrentProbe.Ch3(), QStringLiteral("Guard"));
    EXPECT_EQ(status("miProbeLoaded"), QStringLiteral("Probe Board A loaded"));
    EXPECT_EQ(status("miStatus"), QStringLiteral("Waitng RANGE selection"));
    EXPECT_EQ(frame.calls, QStringList{QStringLiteral("openTestWindow")});
    EXPECT_EQ(frame.defaultWhenTestOpened, QStringLiteral("Board A"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(frame.childWindows, 0);
}

TEST_F(ProbeSelection, DoubleClickDoesNotStoreTheDefaultAtOnceButTheCloseDoes) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    addProbe(QStringLiteral("BETA"), {QStringLiteral("c"), QStringLiteral("d")});
    setStoredDefault(QStringLiteral("ALPHA"));
    open();
    entry(QStringLiteral("BETA"))->setCheckState(0, Qt::Checked);
    select(QStringLiteral("BETA"));
    window->lvmain_DblClick();
    EXPECT_EQ(state.CurrentProbe.Ch1(), QStringLiteral("c"));
    EXPECT_EQ(frame.defaultWhenTestOpened, QStringLiteral("ALPHA"));
    EXPECT_EQ(storedDefault(), QStringLiteral("BETA"));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ProbeSelection, GoOnThePlaceholderLeavesCurrentProbeAndAsksForAProbe) {
    state.CurrentProbe.setProbe_Name(QStringLiteral("untouched"));
    frame.commandBar.setEnabled(QStringLiteral("mnuTest"), QStringLiteral("mTStandard"), false);
    open();
    window->cmdGO_Click();
    EXPECT_EQ(state.CurrentProbe.Probe_Name(), QStringLiteral("untouched"));
    EXPECT_EQ(status("miProbeLoaded"), QStringLiteral("No probe loaded"));
    EXPECT_EQ(status("miStatus"), QStringLiteral("Create a Probe device"));
    EXPECT_TRUE(frame.commandBar.isEnabled(QStringLiteral("mnuTest"), QStringLiteral("mTStandard")));
    EXPECT_TRUE(frame.calls.isEmpty()); // no test window
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(frame.childWindows, 0);
}

TEST_F(ProbeSelection, AProbeFileGoneSinceTheListingIsReportedAndNothingStarts) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    state.CurrentProbe.setProbe_Name(QStringLiteral("untouched"));
    open();
    ASSERT_TRUE(QFile::remove(home.file(QStringLiteral("Probes/ALPHA.prb"))));
    window->cmdGO_Click();
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Critical);
    EXPECT_EQ(state.CurrentProbe.Probe_Name(), QStringLiteral("untouched"));
    EXPECT_TRUE(frame.calls.isEmpty());
    EXPECT_TRUE(window->isVisible());
}

// ---- The window in the main window ------------------------------------------------------------------

TEST_F(ProbeSelection, CountsItselfOnceWhenShownAndUncountsAtOnceWhenClosed) {
    open();
    EXPECT_EQ(frame.childWindows, 1);
    window->hide();
    window->show(); // shown again: still one window
    EXPECT_EQ(frame.childWindows, 1);
    window->close();
    EXPECT_EQ(frame.childWindows, 0);
    window->close();
    EXPECT_EQ(frame.childWindows, 0);
}

TEST_F(ProbeSelection, GoClosesTheSubWindowThatHoldsIt) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    QMdiArea area;
    area.resize(1280, 700);
    area.show();
    auto* selection = new frmStandardSignOn(state, desk.dialogs, frame, store);
    selection->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = area.addSubWindow(selection, Qt::FramelessWindowHint | Qt::SubWindow);
    sub->show();
    EXPECT_EQ(frame.childWindows, 1);
    selection->cmdGO_Click();
    EXPECT_FALSE(sub->isVisible());
    EXPECT_EQ(frame.childWindows, 0);
    EXPECT_EQ(frame.calls, QStringList{QStringLiteral("openTestWindow")});
}

// Go stands 500 twips above the frame at its left edge, the label 400 twips above the frame and
// 100 twips right of Go; the frame is centred. 15 twips to the pixel.
TEST_F(ProbeSelection, LaysItselfOutAroundTheCentredFrame) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    for (QSize size : {QSize(1280, 700), QSize(1900, 1000)}) {
        open(size);
        const QRect frameRect = window->findChild<QGroupBox*>(QStringLiteral("frameProbeList"))->geometry();
        const QRect go = window->findChild<QPushButton*>(QStringLiteral("cmdGO"))->geometry();
        const QRect lbl = window->findChild<QLabel*>(QStringLiteral("lblProbeSelect"))->geometry();
        EXPECT_LE(std::abs(frameRect.center().x() - size.width() / 2), 1);
        EXPECT_LE(std::abs(frameRect.center().y() - size.height() / 2), 1);
        EXPECT_EQ(go.left(), frameRect.left());
        EXPECT_EQ(go.top(), frameRect.top() - 500 / 15);
        EXPECT_EQ(lbl.top(), frameRect.top() - 400 / 15);
        EXPECT_EQ(lbl.left(), go.right() + 1 + 100 / 15);
        EXPECT_TRUE(window->rect().contains(frameRect));
        EXPECT_EQ(window->focusWidget(), window->lvmain());
    }
}

TEST_F(ProbeSelection, ASmallClientAreaKeepsGoAndTheFrameInside) {
    addProbe(QStringLiteral("ALPHA"), {QStringLiteral("a"), QStringLiteral("b")});
    open(QSize(640, 300));
    const QRect go = window->findChild<QPushButton*>(QStringLiteral("cmdGO"))->geometry();
    EXPECT_GE(go.top(), 0);
    EXPECT_GE(go.left(), 0);
}

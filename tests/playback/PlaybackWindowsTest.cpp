// The two playback windows offscreen: choosing channels, plotting, zoom and readout, printing on
// the PDF printer, the clipboard, saving, ReSelect and Exit back to idle.
#include "playback/frmPeriodDataSetup.h"
#include "playback/frmPeriodicDataGraph.h"

#include "platform/QtPrinters.h"
#include "playback/GraphDrawing.h"
#include "playback/PlaybackFixtures.h"
#include "playback/StoredTestOpener.h"
#include "settings/cMRUFileList.h"
#include "support/FakeMainFrame.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace corvin;
using namespace corvin::playback;
using corvin::testing::TempHome;

namespace {

// A main window stand-in whose FileClose closes the graph window, as the main window closes its
// active child.
class PlaybackFrame : public corvin::testing::FakeMainFrame {
public:
    QPointer<frmPeriodicDataGraph> graph;
    void FileClose() override {
        FakeMainFrame::FileClose();
        if (childWindows != 0 && graph) {
            graph->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
};

class Playback : public ::testing::Test {
protected:
    Playback() : printers(home.file(QStringLiteral("Printouts"))) {
        state.folders.Home = home.path();
        for (int k = 1; k <= kChannelCount; ++k)
            state.BarColours.setCh(k, 0x00FF8000 + k);
        recent.setMaxFileCount(4);
    }
    ~Playback() override { delete frame.graph.data(); }

    // Opens a written test through File > Open as the main window does.
    void OpenTest(int16_t rows) {
        QDir().mkpath(home.file(QStringLiteral("TESTS")));
        const QString path = home.file(QStringLiteral("TESTS/run.DAT"));
        ASSERT_TRUE(corvin::testing::WriteTest(path, rows));
        desk.dialogs.openFiles.push_back(path);
        StoredTestOpener opener(state, desk.dialogs, recent);
        ASSERT_EQ(opener.openWithDialog(), OpenOutcome::Opened);
    }
    // The selection window with the main window's answer to its OK: a graph window.
    std::unique_ptr<frmPeriodDataSetup> Selection() {
        auto setup = std::make_unique<frmPeriodDataSetup>(state, desk.dialogs, frame);
        QObject::connect(setup.get(), &frmPeriodDataSetup::graphRequested, [this] {
            auto* graph = new frmPeriodicDataGraph(state, desktop, frame);
            graph->setAttribute(Qt::WA_DeleteOnClose);
            graph->resize(1200, 720);
            graph->show();
            frame.graph = graph;
        });
        setup->show();
        return setup;
    }
    template <typename T> T* Child(QWidget* window, const QString& name) {
        T* child = window->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    void click(QWidget* window, const QString& name) {
        QTest::mouseClick(Child<QWidget>(window, name), Qt::LeftButton);
    }
    // Chooses channels in the selection window and presses OK.
    void ChooseAndOk(frmPeriodDataSetup& setup, std::initializer_list<int> channels) {
        for (int k : channels)
            click(&setup, QStringLiteral("Picture1_%1").arg(k));
        click(&setup, QStringLiteral("cmdOK"));
    }
    QStringList Printouts() const {
        return QDir(home.file(QStringLiteral("Printouts"))).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    }

    TempHome home;
    SharedState state;
    corvin::testing::ScriptedDesktop desk;
    platform::QtPrinters printers;
    platform::Desktop desktop{desk.dialogs, printers, desk.clipboard, desk.help, desk.clock};
    PlaybackFrame frame;
    settings::cMRUFileList recent;
};

int PdfPages(const QByteArray& pdf) {
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
        pages += pdf.mid(at, 12) != "/Type /Pages" ? 1 : 0;
    return pages;
}

} // namespace

TEST_F(Playback, SelectPlotPrintCopyAndExitBackToIdle) {
    OpenTest(600);
    auto setup = Selection();
    EXPECT_EQ(Child<QLabel>(setup.get(), QStringLiteral("Label6_4"))->text(),
              QStringLiteral("Collector").leftJustified(20));
    ChooseAndOk(*setup, {5, 2, 7});
    EXPECT_FALSE(setup->isVisible());
    ASSERT_TRUE(frame.graph);
    frmPeriodicDataGraph& graph = *frame.graph;
    EXPECT_EQ(frame.childWindows, 1);
    EXPECT_EQ(state.playback.PlotSetCount, 3);

    // Title box keeps 20 of 25 typed characters; "Lines and Symbols", Apply.
    auto* title = Child<QLineEdit>(&graph, QStringLiteral("txtGraphTitle"));
    QTest::keyClicks(title, QStringLiteral("Leakage run twelve ABCDE"));
    EXPECT_EQ(title->text(), QStringLiteral("Leakage run twelve A"));
    click(&graph, QStringLiteral("Option2"));
    click(&graph, QStringLiteral("Command6"));
    QCustomPlot* plot = graph.graph();
    ASSERT_EQ(plot->graphCount(), 3);
    EXPECT_EQ(plot->graph(0)->pen().color(), QColor(128, 0, 0));
    EXPECT_TRUE(plot->graph(0)->name().startsWith(QStringLiteral("Collector")));
    EXPECT_EQ(plot->graph(0)->scatterStyle().shape(), QCPScatterStyle::ssDisc);
    EXPECT_EQ(graph.drawing().titleElement()->text(), QStringLiteral("Leakage run twelve A"));
    EXPECT_EQ(plot->xAxis->range(), QCPRange(1, 600));

    // Zoom with the wheel, then a double-click shows the whole test again.
    const QPoint middle = plot->axisRect()->rect().center();
    QWheelEvent wheel(middle, plot->mapToGlobal(middle), {}, QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    EXPECT_LT(plot->xAxis->range().size(), 599.0);
    EXPECT_GE(plot->xAxis->range().lower, 1.0);
    // During the wheel burst the lines are drawn without antialiasing; once the view rests they
    // are smooth again.
    EXPECT_TRUE(graph.viewChanging());
    graph.settleView();
    EXPECT_FALSE(graph.viewChanging());
    QTest::mouseDClick(plot, Qt::LeftButton, {}, middle);
    EXPECT_EQ(plot->xAxis->range(), QCPRange(1, 600));

    // The readout names the sample under the mouse.
    const int x = int(plot->xAxis->coordToPixel(300));
    graph.Graph1_MouseMove(QPoint(x, middle.y()));
    EXPECT_TRUE(graph.readout().startsWith(QStringLiteral("Sample 300   3000 s (0:50:00)   1: 52.990 ")))
        << graph.readout().toStdString();

    click(&graph, QStringLiteral("cmdPrintGraph"));
    ASSERT_EQ(Printouts().size(), 1) << "one printout on the PDF printer";
    EXPECT_EQ(PdfPages(TempHome::read(home.file(QStringLiteral("Printouts/") + Printouts().front()))), 1);
    EXPECT_EQ(frame.notices, QStringList(QStringLiteral("Printout written to ") +
                                         home.file(QStringLiteral("Printouts/") + Printouts().front())));
    click(&graph, QStringLiteral("cmdSavetoClipboard"));
    ASSERT_EQ(desk.clipboard.images.size(), 1u);
    EXPECT_EQ(desk.clipboard.images.front().size(), plot->size());
    EXPECT_TRUE(desk.dialogs.messages.empty());
    EXPECT_EQ(frame.notices.back(), QStringLiteral("Graph copied to the clipboard"));

    click(&graph, QStringLiteral("cmdExit"));
    EXPECT_FALSE(frame.graph);
    EXPECT_EQ(frame.childWindows, 0);
    EXPECT_EQ(frame.calls, QStringList{QStringLiteral("FileClose")});
    EXPECT_TRUE(frame.commandBar.isEnabled(QStringLiteral("ToolBar"), QStringLiteral("miTAuto")));
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());
    EXPECT_EQ(state.playback.PlotChannelClicks, 0);
}

TEST_F(Playback, OkWithoutChannelsSaysSoAndKeepsTheWindowOpen) {
    OpenTest(20);
    auto setup = Selection();
    click(setup.get(), QStringLiteral("Picture1_3"));
    click(setup.get(), QStringLiteral("cmdCancelSel"));
    click(setup.get(), QStringLiteral("cmdOK"));
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    EXPECT_EQ(desk.dialogs.lastMessage().text, QStringLiteral("No channels selected to graph"));
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Information);
    EXPECT_TRUE(setup->isVisible());
    EXPECT_FALSE(frame.graph);
    EXPECT_EQ(setup->selection().selectedCount(), 0);
    // Its close box does not close it; Exit does, ending playback.
    setup->close();
    EXPECT_TRUE(setup->isVisible());
    click(setup.get(), QStringLiteral("cmdExit"));
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(frame.calls, QStringList{QStringLiteral("FileClose")});
    EXPECT_TRUE(state.periodic.PeriodicData[4].empty());
}

TEST_F(Playback, ATestOfOneSampleIsNotPlottedButCanBePrinted) {
    OpenTest(1);
    auto setup = Selection();
    ChooseAndOk(*setup, {1});
    click(frame.graph, QStringLiteral("cmdPlotGraph"));
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    EXPECT_EQ(desk.dialogs.lastMessage().text, QStringLiteral("Less than 2 data_points"));
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Critical);
    EXPECT_EQ(frame.graph->graph()->graphCount(), 0);
    click(frame.graph, QStringLiteral("cmdPrintGraph"));
    EXPECT_EQ(desk.dialogs.messages.size(), 1u);
    EXPECT_EQ(Printouts().size(), 1);
}

TEST_F(Playback, APrinterThatFailsIsReportedInTheProgramsWords) {
    OpenTest(20);
    auto setup = Selection();
    ChooseAndOk(*setup, {1});
    // The data gone under the window: the print's plot routine fails and says why.
    state.periodic.PeriodicData[0].clear();
    click(frame.graph, QStringLiteral("cmdPrintGraph"));
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    const platform::MessageBox& m = desk.dialogs.lastMessage();
    EXPECT_TRUE(m.text.startsWith(QStringLiteral("Problems with Printer Setup...\nSet a Default Printer from "
                                                 "PrinterOptions\nError Description=Channel 1 holds 0")));
    EXPECT_EQ(m.icon, platform::Icon::None);
    EXPECT_EQ(m.buttons, platform::Buttons::Ok);
}

TEST_F(Playback, SaveGraphAsWritesAPngOrAPdf) {
    OpenTest(50);
    auto setup = Selection();
    ChooseAndOk(*setup, {2});
    click(frame.graph, QStringLiteral("cmdPlotGraph"));
    desk.dialogs.saveFiles.push_back(home.file(QStringLiteral("graph")));
    desk.dialogs.saveFiles.push_back(home.file(QStringLiteral("graph.PDF")));
    desk.dialogs.saveFiles.push_back(home.file(QStringLiteral("no/such/folder/g.png")));
    for (int i = 0; i < 3; ++i)
        click(frame.graph, QStringLiteral("cmdSaveGraphAs"));
    EXPECT_EQ(desk.dialogs.fileDialogs.back().title, QStringLiteral("Save Graph As"));
    EXPECT_EQ(desk.dialogs.fileDialogs.back().defaultSuffix, QStringLiteral("png"));
    QImage png(home.file(QStringLiteral("graph.png")));
    EXPECT_EQ(png.size(), frame.graph->graph()->size());
    EXPECT_TRUE(TempHome::read(home.file(QStringLiteral("graph.PDF"))).startsWith("%PDF"));
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    EXPECT_TRUE(desk.dialogs.lastMessage().text.startsWith(QStringLiteral("Problems saving the graph to ")));
    // The status bar names each file written, and only those; the dialog starts where the test
    // was opened from.
    EXPECT_EQ(frame.notices,
              QStringList({QStringLiteral("Graph saved to ") + home.file(QStringLiteral("graph.png")),
                           QStringLiteral("Graph saved to ") + home.file(QStringLiteral("graph.PDF"))}));
    EXPECT_EQ(desk.dialogs.fileDialogs.back().initialFolder, home.file(QStringLiteral("TESTS")));
}

// ReSelect shows the selection modally; its Exit ends playback, closing the graph window under
// the open selection.
TEST_F(Playback, ReselectThenExitClosesTheGraphWindow) {
    OpenTest(20);
    auto setup = Selection();
    ChooseAndOk(*setup, {4});
    click(frame.graph, QStringLiteral("cmdPlotGraph"));
    bool selectionShown = false;
    QTimer::singleShot(0, [&] {
        auto* again = qobject_cast<frmPeriodDataSetup*>(QApplication::activeModalWidget());
        ASSERT_NE(again, nullptr);
        selectionShown = true;
        EXPECT_EQ(again->selection().selectedCount(), 0);
        EXPECT_EQ(state.playback.PlotChannelClicks, 0);
        QTest::mouseClick(again->findChild<QWidget*>(QStringLiteral("cmdExit")), Qt::LeftButton);
    });
    click(frame.graph, QStringLiteral("cmdReselect"));
    EXPECT_TRUE(selectionShown);
    EXPECT_FALSE(frame.graph);
    EXPECT_EQ(frame.childWindows, 0);
    EXPECT_EQ(frame.calls, QStringList{QStringLiteral("FileClose")});
}

TEST_F(Playback, ReselectThenOkKeepsTheGraphUntilPlottedAgain) {
    OpenTest(20);
    auto setup = Selection();
    ChooseAndOk(*setup, {4});
    QPointer<frmPeriodicDataGraph> first = frame.graph;
    click(first, QStringLiteral("cmdPlotGraph"));
    QTimer::singleShot(0, [&] {
        auto* again = qobject_cast<frmPeriodDataSetup*>(QApplication::activeModalWidget());
        ASSERT_NE(again, nullptr);
        for (const char* name : {"Picture1_6", "Picture1_1", "cmdOK"})
            QTest::mouseClick(again->findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    });
    click(first, QStringLiteral("cmdReselect"));
    ASSERT_TRUE(first);
    EXPECT_EQ(frame.graph, first) << "no second graph window";
    EXPECT_EQ(frame.childWindows, 1);
    EXPECT_EQ(first->graph()->graphCount(), 1);
    // Printing draws the new choice; a zoomed view stays, the values fit the new sets.
    QCustomPlot* plot = first->graph();
    plot->xAxis->setRange(5, 10);
    click(first, QStringLiteral("cmdPrintGraph"));
    ASSERT_EQ(plot->graphCount(), 2);
    EXPECT_TRUE(plot->graph(0)->name().startsWith(QStringLiteral("Base")));
    EXPECT_EQ(plot->xAxis->range(), QCPRange(5, 10));
    EXPECT_TRUE(plot->yAxis->range().contains(corvin::testing::Reading(6, 19)));
    click(first, QStringLiteral("cmdPlotGraph"));
    EXPECT_EQ(plot->xAxis->range(), QCPRange(1, 20));
}

TEST_F(Playback, CompareWithAReferenceThenReadAndCopyTheStatistics) {
    OpenTest(600); // every 10 s
    const QString reference = home.file(QStringLiteral("TESTS/ref.DAT"));
    ASSERT_TRUE(corvin::testing::WriteTest(reference, 100, 30)); // every 30 s
    auto setup = Selection();
    ChooseAndOk(*setup, {5, 2});
    frmPeriodicDataGraph& graph = *frame.graph;
    click(&graph, QStringLiteral("cmdPlotGraph"));

    // A cancelled dialog changes nothing; then the reference is drawn.
    click(&graph, QStringLiteral("cmdCompare"));
    EXPECT_EQ(graph.reference(), nullptr);
    desk.dialogs.openFiles.push_back(reference);
    click(&graph, QStringLiteral("cmdCompare"));
    ASSERT_NE(graph.reference(), nullptr);
    QCustomPlot* plot = graph.graph();
    ASSERT_EQ(plot->graphCount(), 6); // two sets, their two references, the two file entries
    QCPGraph* dashed = plot->graph(2);
    EXPECT_EQ(dashed->pen().style(), Qt::DashLine);
    EXPECT_EQ(dashed->pen().color(), plot->graph(0)->pen().color());
    // Row 1 of the reference, 30 s after START, sits at sample 3 of this test.
    EXPECT_EQ(dashed->data()->at(0)->key, 3.0);
    EXPECT_EQ(plot->legend->itemCount(), 4);
    EXPECT_EQ(plot->graph(4)->name(), QStringLiteral("run.DAT"));
    EXPECT_EQ(plot->graph(5)->name(), QStringLiteral("ref.DAT"));

    // Statistics over the whole test: channel 5 of the test runs 50.00 .. 55.99.
    click(&graph, QStringLiteral("cmdStatistics"));
    EXPECT_TRUE(graph.statisticsShown());
    graph.setStatisticsOverWholeTest(true);
    const std::vector<StatisticsRow> rows = graph.statisticsRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].set, QStringLiteral("1 Collector"));
    EXPECT_EQ(rows[0].file, QStringLiteral("run.DAT"));
    EXPECT_EQ(rows[0].numbers.count, 600);
    EXPECT_NEAR(rows[0].numbers.first, 50.0, 1e-5);
    EXPECT_NEAR(rows[0].numbers.last, 55.99, 1e-5);
    EXPECT_EQ(rows[2].file, QStringLiteral("ref.DAT"));
    EXPECT_EQ(rows[2].numbers.count, 100);
    // Over the visible range once zoomed in.
    graph.setStatisticsOverWholeTest(false);
    plot->xAxis->setRange(101, 200);
    EXPECT_EQ(graph.statisticsRows()[0].numbers.count, 100);

    click(&graph, QStringLiteral("cmdCopyStatistics"));
    ASSERT_EQ(desk.clipboard.texts.size(), 1u);
    EXPECT_TRUE(desk.clipboard.texts[0].startsWith(QStringLiteral("Set\tFile\tReadings\t")));
    EXPECT_EQ(desk.clipboard.texts[0].count(QLatin1Char('\n')), 5);
}

// Pictures of the graph window for looking at by hand (not run by default):
// CORVIN_SHOTS=DIR xvfb-run corvin_playback_tests --gtest_also_run_disabled_tests
//   --gtest_filter='*Screenshots*' with QT_QPA_PLATFORM=xcb.
TEST_F(Playback, DISABLED_Screenshots) {
    const QString folder = qEnvironmentVariable("CORVIN_SHOTS");
    ASSERT_FALSE(folder.isEmpty());
    OpenTest(720);
    const QString reference = home.file(QStringLiteral("TESTS/ref.DAT"));
    ASSERT_TRUE(corvin::testing::WriteTest(reference, 200, 30));
    for (QSize size : {QSize(1280, 700), QSize(1920, 980)}) {
        for (GraphStyleKind style : {GraphStyleKind::Classic, GraphStyleKind::Clear}) {
            state.preferences.graphStyle = style;
            auto setup = Selection();
            ChooseAndOk(*setup, {1, 2, 3, 4, 5, 6, 7});
            frmPeriodicDataGraph& graph = *frame.graph;
            graph.resize(size);
            click(&graph, QStringLiteral("cmdPlotGraph"));
            QApplication::processEvents();
            const QString name = QStringLiteral("%1/playback-%2-%3x%4")
                                     .arg(folder, GraphStyle::nameOf(style))
                                     .arg(size.width())
                                     .arg(size.height());
            graph.grab().save(name + QStringLiteral(".png"));
            desk.dialogs.openFiles.push_back(reference);
            click(&graph, QStringLiteral("cmdCompare"));
            click(&graph, QStringLiteral("cmdStatistics"));
            graph.graph()->xAxis->setRange(100, 400);
            graph.settleView();
            QApplication::processEvents();
            graph.grab().save(name + QStringLiteral("-compare-statistics.png"));
            graph.close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            frame.childWindows = 0;
        }
    }
}

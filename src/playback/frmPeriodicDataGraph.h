#pragma once
// The playback graph: the chosen channels of the loaded test plotted against the sample number,
// one set per channel in the order they were chosen. The user re-plots with another graph type
// or title, prints the graph, copies it to the clipboard, saves it as PNG or PDF, goes back to
// the channel choice, or leaves playback. Wheel and drag zoom and pan along the sample axis,
// a double-click or "Reset View" shows the whole test again, and the line under the graph reads
// out the sample under the mouse. A child window of the main window, filling its client area.

#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "platform/Desktop.h"
#include "playback/PlotRoutine.h"
#include "playback/ReferenceRun.h"
#include "playback/SetStatistics.h"

#include <QWidget>
#include <array>
#include <memory>

class QCustomPlot;
class QCPItemStraightLine;
class QCPRange;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QComboBox;
class QTableWidget;

namespace corvin::playback {

class GraphDrawing;

class frmPeriodicDataGraph : public QWidget {
    Q_OBJECT
public:
    frmPeriodicDataGraph(SharedState& state, platform::Desktop& desktop, MainFrame& frame,
                         QWidget* parent = nullptr);
    ~frmPeriodicDataGraph() override;

    // The handlers, callable directly; the controls call them too.
    void cmdPlotGraph_Click();
    void Command6_Click(); // "Apply"
    void Option_Click(GraphType type);
    void cmdReselect_Click();
    void cmdPrintGraph_Click();
    // The stored test has a record: the title bar names its probe and start, and a "Test Record"
    // button shows `lines` (all its fields).
    void showTestRecord(const QString& caption, const QStringList& lines);
    // The data file the stored test came from: a "Test Report..." button makes its report.
    void setStoredTestFile(const QString& datPath);
    void cmdSavetoClipboard_Click();
    void cmdSaveGraphAs_Click();
    void cmdResetView_Click();
    void cmdExit_Click();
    // A wheel step or drag of the view: until the view rests, the lines are drawn without
    // antialiasing, which keeps a repaint of seven long sets under a screen refresh on a full-HD
    // screen; SettleView, when the settle timer runs out, draws them smooth again once.
    void beginViewChange();
    void settleView();
    bool viewChanging() const;

    // "Compare with...": a second test data file chosen in the file dialog, its readings of the
    // channels drawn dashed on the same axes (placed by time). A cancel changes nothing; a file
    // that cannot be read is reported and the graph stays as it was.
    void cmdCompare_Click();
    // "Statistics": shows or hides the table of the sets drawn under the graph.
    void cmdStatistics_Click();
    // The table as tab-separated text on the clipboard.
    void cmdCopyStatistics_Click();
    // The table's rows over the visible part of the axis or the whole test, as chosen.
    std::vector<StatisticsRow> statisticsRows() const;
    void setStatisticsOverWholeTest(bool whole);
    bool statisticsShown() const;
    const ReferenceRun* reference() const { return m_reference.get(); }

    // Preferences changed the graph style: a drawn graph is drawn again in it.
    void graphStyleChanged();
    // The mouse at a pixel of the graph widget: the readout and the cursor line follow it.
    void Graph1_MouseMove(const QPoint& position);

    QCustomPlot* graph() const { return m_graph; }
    const GraphDrawing& drawing() const { return *m_drawing; }
    const GraphSettings& settings() const { return m_settings; }
    QString readout() const;

    static QString printerFailureMessage(const QString& description);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void Form_Activate();
    void layOut();
    // The plot routine: false when it stopped with a message.
    bool runPlotRoutine(bool checkPointCount);
    // Draws the routine's result in the chosen style, with the reference over it when there is one.
    void drawSpec(const GraphSpec& spec);
    void updateStatistics();
    void keepViewInTest(const QCPRange& range);
    void hideCursor();
    QWidget* dialogParent();
    // The main window's count of child windows goes down once, as soon as the window closes.
    void uncount();

    SharedState& m_state;
    platform::Desktop& m_desktop;
    MainFrame& m_frame;
    GraphSettings m_settings;
    bool m_created = false;
    bool m_uncounted = false;

    QFrame* m_frameCentre = nullptr;
    QCustomPlot* m_graph = nullptr;
    std::unique_ptr<GraphDrawing> m_drawing;
    QCPItemStraightLine* m_cursorLine = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_picture1 = nullptr;
    QLineEdit* m_txtGraphTitle = nullptr;
    std::array<QRadioButton*, 3> m_options{};
    QPushButton* m_cmdPlotGraph = nullptr;
    QTimer* m_settleTimer = nullptr;
    std::unique_ptr<ReferenceRun> m_reference;
    QWidget* m_statsPanel = nullptr;
    QTableWidget* m_statsTable = nullptr;
    QComboBox* m_statsRange = nullptr;
};

} // namespace corvin::playback

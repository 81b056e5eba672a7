#pragma once
// The test window: the live bar chart of the seven channels with their readings, lamps and
// legend, the START / STOP / EXIT buttons, range selection, freeze and split, periodic logging
// and the printout. The behaviour lives in TestSession; this class builds the controls (each
// carries its name as objectName), mirrors the session's control state into them, runs the two
// QTimers and lays the controls out for the normal and the full-screen display.
//
// The main window places it in its MDI area and calls showFullScreenLayout() /
// showNormalLayout() from DisplayFullscreen / DisplayNormal, and barColoursSaved() /
// barColoursCancelled() from the bar colour dialog.

#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "instrument/CardLibrary.h"
#include "livetest/BarChart.h"
#include "livetest/TestSession.h"
#include "platform/Desktop.h"

#include <QFont>
#include <QWidget>
#include <array>
#include <memory>

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace corvin::livetest {

class TrendStripPanel;
class frmInstrumentRange;
class frmRangeScale;

class frmStdTestLogging : public QWidget {
    Q_OBJECT
public:
    frmStdTestLogging(SharedState& state, instrument::CardLibrary& card, instrument::Pauser& pauser,
                      platform::Desktop& desktop, MainFrame& frame, QWidget* parent = nullptr);
    ~frmStdTestLogging() override;

    TestSession& session() { return *m_session; }
    BarChart& chart() { return *m_chart; }
    TrendStripPanel& trendStrip() { return *m_trend; }

    // DisplayFullscreen's work on this window: every control hidden but the chart, which fills the
    // window; the chart redrawn. The main window sets FullScreenMode and the View tools itself.
    void showFullScreenLayout();
    // DisplayNormal's work on this window: the controls shown again (the written-file labels and
    // the bar test button hidden), the chart back in its place under the design layout, redrawn.
    void showNormalLayout();
    bool fullScreenLayout() const { return m_fullScreen; }

    // The bar colour dialog saved (START disabled, chart cleared to white) or cancelled (chart
    // cleared to white).
    void barColoursSaved();
    void barColoursCancelled();

    // " HIGH/LOW": opens the range dialog; the test window and the main window stay disabled
    // until a scale dialog's OK.
    void Command6_Click();
    // EXIT: the session's exit steps, then the window closes.
    void cmdExit_Click();

    // The range dialogs while they exist (for the main window's and the tests' use).
    frmInstrumentRange* rangeDialog() const { return m_rangeDialog.get(); }
    frmRangeScale* scaleDialog() const { return m_scaleDialog.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void connectControls();
    void syncControls();
    void syncTimers();
    void relayout(bool redrawChart);
    void placeDesign(QWidget* widget, double scale);
    void applyFonts(double scale);
    bool handleKey(QObject* watched, QKeyEvent* event);
    void scaleOk(int16_t screenScale);
    // The desktop's font at this window's layout scale, for the range dialogs.
    QFont dialogFont() const;
    // WindowDestroyed, once, when the window closes (or goes without closing).
    void uncount();

    SharedState& m_state;
    instrument::CardLibrary& m_card;
    MainFrame& m_frame;
    std::unique_ptr<BarChart> m_chart;
    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<frmInstrumentRange> m_rangeDialog;
    std::unique_ptr<frmRangeScale> m_scaleDialog;
    TrendStripPanel* m_trend = nullptr;

    QFrame* m_frameCentre = nullptr;
    QWidget* m_picture1 = nullptr;
    std::array<QLineEdit*, kChannelCount> m_text1{};
    std::array<QLabel*, kChannelCount> m_labels{};
    std::array<QToolButton*, kChannelCount> m_images{};
    std::array<int, kChannelCount> m_lampShown{}; // 0 unknown, 1 off, 2 on
    QGroupBox* m_frameRange = nullptr;
    QGroupBox* m_frameControl = nullptr;
    QGroupBox* m_frameOption = nullptr;
    QGroupBox* m_framePrint = nullptr;
    QPushButton* m_command6 = nullptr;
    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QPushButton* m_cmdFreezeSplit = nullptr;
    QPushButton* m_cmdFreezeUnsplit = nullptr;
    QPushButton* m_cmdPrintTest = nullptr;
    QPushButton* m_command3 = nullptr;
    QRadioButton* m_optOn = nullptr;
    QRadioButton* m_optOff = nullptr;
    QButtonGroup* m_optGroup = nullptr;
    QLabel* m_label8 = nullptr;
    QLabel* m_label9 = nullptr;
    QLabel* m_label10 = nullptr;
    QLabel* m_label11 = nullptr;
    QPushButton* m_cmdTestReport = nullptr;
    QLabel* m_label13 = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_mnuCopy = nullptr;
    QAction* m_mnuPrint = nullptr;
    QAction* m_mnuClose = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;

    bool m_fullScreen = false;
    bool m_created = false;   // WindowCreated called
    bool m_uncounted = false; // WindowDestroyed called
    bool m_exited = false;    // EXIT ran
    bool m_keyPreview = true; // F1..F7 reach the window whatever has the focus; EXIT ends it
    double m_scale = 1.0;
    double m_baseFontPoints = 9.0;
};

} // namespace corvin::livetest

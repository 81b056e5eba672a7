#pragma once
// The main window: the frame of the program, its menus, toolbar and status bar with the
// recent-files entries, and the client area that holds one child window at a time (probe
// selection, the test window, the playback graph).

#include "app/CommandBar.h"
#include "app/QtCommandBar.h"
#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "datafiles/TestRecord.h"
#include "history/frmTestHistory.h"
#include "instrument/CardLibrary.h"
#include "platform/Desktop.h"
#include "settings/cMRUFileList.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTimer;

namespace corvin::settings {
class RegistryStore;
}
namespace corvin::history {
class TestHistory;
} // namespace corvin::history
namespace corvin::livetest {
class frmStdTestLogging;
}
namespace corvin::playback {
class frmPeriodicDataGraph;
enum class OpenOutcome;
} // namespace corvin::playback

namespace corvin::app {

// Everything the main window and its children work with; owned by main().
struct AppServices {
    SharedState& state;
    instrument::CardLibrary& card;
    instrument::Pauser& pauser;
    platform::Desktop& desktop;
    settings::RegistryStore& registry;
    // A lab's shared test history named on the command line or in CORVIN_HISTORY; empty: the
    // one set in Preferences, if any.
    QString historyServer = {};
};

class MainWindow : public QMainWindow, public MainFrame {
    Q_OBJECT
public:
    explicit MainWindow(AppServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up of the program, up to showing the window. False when the program must end
    // (no printer installed); the caller then quits without showing the window.
    bool Form_Load();

    // A click on a tool of the menus or the toolbar: the tool's command (MainCommands.cpp). A
    // name that is no command stops the program with a message.
    void ActiveBar21_ToolClick(const QString& toolName, const QString& tag = {});

    // The toolbar changed the client area: the child window fills it again (in full screen
    // after passing through the normal layout).
    void bandChanged();

    // Saves what the program keeps between runs and releases the card: the unload.
    void Form_Unload();

    // A test data file named from outside the program (its command line, or another start of
    // Corvin for the same home): opened by name, as a recent file is, when the main window is
    // idle; otherwise the user is told it was not opened and nothing changes. Before the
    // start-up has finished, the file waits for its end.
    void openTestDataFile(const QString& path);
    // Brings the window to the front (another start of Corvin asked for it).
    void bringToFront();

    CommandBar& bar() { return m_bar; }

    // MainFrame
    void report(ShellEvent event) override;
    void showStatus(const QString& pane, const QString& text) override;
    void showNotice(const QString& text) override;
    QWidget* dialogParent() const override { return const_cast<MainWindow*>(this); }
    void DisplayFullscreen() override;
    void DisplayNormal() override;
    void enableRecentFiles() override;
    void disableRecentFiles() override;
    int16_t ChildWindowCount() const override { return m_childWindows; }
    void WindowCreated() override { ++m_childWindows; }
    void WindowDestroyed() override { --m_childWindows; }
    void FileClose() override;
    void setFrameEnabled(bool enabled) override;
    void openTestWindow() override;
    void processEvents() override;
    void testSaved(const QString& path) override;

    // The test history of the home, made by Form_Load.
    history::TestHistory* testHistory() const { return m_history.get(); }
    history::frmTestHistory* historyWindow() const { return m_historyWindow; }

    QtCommandBar& commandBarView() { return *m_barView; }
    QMdiArea* clientArea() const { return m_client; }
    // The child window in front, or null.
    QWidget* activeChild() const;
    livetest::frmStdTestLogging* testWindow() const;
    playback::frmPeriodicDataGraph* graphWindow() const;
    const settings::cMRUFileList& recentFiles() const { return m_recent; }

    static QString notOpenedWhileBusyMessage(const QString& path);

    // The last notice to show once the window is up (e.g. a damaged settings store set aside).
    void setStartupNotice(const QString& notice) { m_startupNotice = notice; }

signals:
    // Every event that changes which commands are available (Report); applyEnablingRule, and
    // nothing else, switches the tools in answer.
    void shellEvent(ShellEvent event);
    // The scale at which the test window draws its controls in the client area changed; the
    // desktop's dialogs follow it so their text matches.
    void textScaleChanged(double scale);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyEnablingRule(ShellEvent event);
    // While a test window exists, Auto and Standard only bring it to the front.
    bool bringTestWindowForward();
    // The handler of every command, by tool name.
    void makeCommands();
    void standardTest();
    void autoTest();
    void exitCommand();
    void printerSetup();
    void showBarColours();
    void showHelpContents();
    void showAbout();
    void showProbeCreation();
    // File > Open and the recent-files entries.
    void openWithDialog();
    void openRecentFile(const QString& tag);
    void openByName(const QString& path);
    // After a successful open by name: the stored-test menus, then playback.
    void openedByName(playback::OpenOutcome outcome, const QString& path);
    // Reads the record of a stored test just opened and says what it holds (or why not).
    void noteTestRecord(const QString& path);
    // The channel selection, modally; its OK opens (or brings forward) the graph window.
    void showPlayback();
    void showGraph();
    void showToday();
    // Test > History: the History window, one at a time.
    void showHistory();
    // The history's rescan at start-up, and its answer.
    void startHistory();
    // Stores the lab history server chosen in Preferences, when it changed and can be used.
    void storeHistoryServer(const QString& before);
    // Whether nothing is open or running that a stored test opened from outside would upset.
    bool idleForStoredTest() const;
    // The recent-files entries of the File menu follow the list.
    void rebuildRecentFiles();
    // The program's own dialogs take the text size of the test window, as the desktop's do.
    void matchTestWindowText(QWidget& dialog) const;

    QMdiSubWindow* frontSubWindow() const;
    template <typename Window> Window* childWindow() const;
    // Puts a child window into the client area, filling it; with a title bar and close box
    // when the window can be left by its own close.
    void addChild(QWidget* child, bool closeBox = false);
    void fitChildren();

    AppServices m_services;
    CommandBar m_bar;
    std::map<QString, std::function<void(const QString& tag)>> m_commands;
    QtCommandBar* m_barView = nullptr;
    // Passing notes (what was written where) in a pane of their own, so the panes the program
    // keeps writing (the elapsed time) never draw over them.
    QLabel* m_notice = nullptr;
    QTimer* m_noticeTimer = nullptr;
    QMdiArea* m_client = nullptr;
    int16_t m_childWindows = 0;
    settings::cMRUFileList m_recent;
    QString m_openPath;                    // the stored test last opened
    datafiles::RecordReading m_openRecord; // and its record
    // Whether the recent-files entries are enabled (enableRecentFiles) or disabled (disableRecentFiles); an
    // entry the rebuild shows for the first time takes this state.
    bool m_recentEnabled = true;
    bool m_loaded = false;
    bool m_unloaded = false;
    QString m_pendingFile; // named from outside before the start-up had finished
    QString m_startupNotice;
    double m_textScale = 0.0;
    std::unique_ptr<history::TestHistory> m_history;
    QPointer<history::frmTestHistory> m_historyWindow;
    QString m_lastServerState;
};

} // namespace corvin::app

#pragma once
// The main window: the frame of the program, its menus, toolbar and status bar, and the client
// area that holds one child window at a time (probe selection, the test window, playback).

#include "app/QtCommandBar.h"
#include "common/CommandBar.h"
#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "instrument/CardLibrary.h"
#include "platform/Desktop.h"

#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;

namespace corvin::settings {
class RegistryStore;
}
namespace corvin::livetest {
class frmStdTestLogging;
}

namespace corvin::app {

// Everything the main window and its children work with; owned by main().
struct AppServices {
    SharedState& state;
    instrument::CardLibrary& card;
    instrument::Pauser& pauser;
    platform::Desktop& desktop;
    settings::RegistryStore& registry;
};

class MainWindow : public QMainWindow, public MainFrame {
    Q_OBJECT
public:
    explicit MainWindow(AppServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up of the program, up to showing the window. False when the program must end
    // (no printer installed); the caller then quits without showing the window.
    bool Form_Load();

    // A click on a tool of the menus or the toolbar.
    void ActiveBar21_ToolClick(const QString& toolName, const QString& tag = {});

    // The toolbar changed the client area: the child window fills it again (in full screen
    // after passing through the normal layout).
    void BandChanged();

    // Saves what the program keeps between runs and releases the card: the unload.
    void Form_Unload();

    CommandBar& bar() { return m_bar; }

    // MainFrame
    void Report(ShellEvent event) override;
    void ShowStatus(const QString& pane, const QString& text) override;
    void ShowNotice(const QString& text) override;
    QWidget* dialogParent() const override { return const_cast<MainWindow*>(this); }
    void DisplayFullscreen() override;
    void DisplayNormal() override;
    void EnableMRU() override;
    void DissableMRU() override;
    int16_t ChildWindowCount() const override { return m_childWindows; }
    void WindowCreated() override { ++m_childWindows; }
    void WindowDestroyed() override { --m_childWindows; }
    void FileClose() override;
    void setFrameEnabled(bool enabled) override;
    void OpenTestWindow() override;
    void ProcessEvents() override;

    QtCommandBar& commandBarView() { return *m_barView; }
    QMdiArea* clientArea() const { return m_client; }
    // The child window in front, or null.
    QWidget* activeChild() const;
    livetest::frmStdTestLogging* testWindow() const;

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
    void StandardTest();
    void AutoTest();
    void ExitCommand();
    void PrinterSetup();
    void ShowBarColours();
    void ShowHelpContents();
    void ShowAbout();
    void ShowProbeCreation();
    void NotAvailableYet(const QString& what);
    // The program's own dialogs take the text size of the test window, as the desktop's do.
    void matchTestWindowText(QWidget& dialog) const;

    QMdiSubWindow* frontSubWindow() const;
    // Puts a child window into the client area, filling it; with a title bar and close box
    // when the window can be left by its own close.
    void addChild(QWidget* child, bool closeBox = false);
    void fitChildren();

    AppServices m_services;
    CommandBar m_bar;
    QtCommandBar* m_barView = nullptr;
    QMdiArea* m_client = nullptr;
    int16_t m_childWindows = 0;
    bool m_unloaded = false;
    QString m_startupNotice;
    double m_textScale = 0.0;
};

} // namespace corvin::app

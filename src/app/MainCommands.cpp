// The main window's commands: one handler per tool, made once beside the bar that holds the tools.
// ActiveBar21_ToolClick only looks the handler up. The enabling table (EnablingRules.cpp) says
// when each tool is enabled; the handlers below also refuse what must not start during a test,
// since a tool can be clicked before its disabled state reaches the screen.

#include "app/MainWindow.h"
#include "app/ToolNames.h"
#include "datafiles/frmDataEntry.h"
#include "datafiles/frmTestOptions.h"
#include "playback/frmPeriodicDataGraph.h"

namespace corvin::app {

void MainWindow::makeCommands() {
    const auto unlessTestRuns = [this](void (MainWindow::*run)()) {
        return [this, run](const QString&) {
            if (!m_services.state.session.TestRunning())
                (this->*run)();
        };
    };
    const auto always = [this](void (MainWindow::*run)()) {
        return [this, run](const QString&) { (this->*run)(); };
    };

    m_commands = {
        {tool::mFOpen, always(&MainWindow::openWithDialog)},
        {tool::mFClose, always(&MainWindow::FileClose)},
        {tool::mFCreateProbe, unlessTestRuns(&MainWindow::showProbeCreation)},
        {tool::miTProbe, unlessTestRuns(&MainWindow::showProbeCreation)},
        {tool::mFExit, unlessTestRuns(&MainWindow::exitCommand)},
        // A second Standard or Auto brings the test window there is to the front.
        {tool::mTStandard,
         [this](const QString&) {
             if (!bringTestWindowForward())
                 standardTest();
         }},
        {tool::miTAuto,
         [this](const QString&) {
             if (!m_services.state.session.TestRunning() && !bringTestWindowForward())
                 autoTest();
         }},
        {tool::mTHistory, always(&MainWindow::showHistory)},
        {tool::miFullScreen, always(&MainWindow::DisplayFullscreen)},
        {tool::miNormal, always(&MainWindow::DisplayNormal)},
        {tool::mOPreferences, always(&MainWindow::showBarColours)},
        {tool::mOExcelDataExport,
         [this](const QString&) {
             datafiles::frmDataEntry window(m_services.state, m_services.desktop, this);
             window.exec();
         }},
        {tool::mOTestOptions,
         [this](const QString&) {
             datafiles::frmTestOptions dialog(m_services.state.options, this);
             dialog.exec();
         }},
        {tool::mOPrinterOptions, always(&MainWindow::printerSetup)},
        {tool::miHContents, unlessTestRuns(&MainWindow::showHelpContents)},
        {tool::miHAbout, unlessTestRuns(&MainWindow::showAbout)},
        // Enabled only while a graph is open: it prints that graph.
        {tool::mFPrintGraph,
         [this](const QString&) {
             if (playback::frmPeriodicDataGraph* graph = graphWindow())
                 graph->cmdPrintGraph_Click();
         }},
        // Group tests and the help search have no action.
        {tool::mTIndependent, [](const QString&) {}},
        {tool::miHSearch, [](const QString&) {}},
    };
    // A recent-files entry opens the file its tag names.
    for (int n = 1; n <= tool::kRecentFileTools; ++n)
        m_commands.emplace(tool::miFMRU(n), [this](const QString& tag) { openRecentFile(tag); });
}

void MainWindow::ActiveBar21_ToolClick(const QString& toolName, const QString& tag) {
    const auto handler = m_commands.find(toolName);
    if (handler == m_commands.end())
        qFatal("The main window has no command named \"%s\"", qPrintable(toolName));
    handler->second(tag);
}

} // namespace corvin::app

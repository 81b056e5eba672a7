#include "app/CommandBar.h"

#include <QtGlobal>

namespace corvin::app {

QAction* CommandBar::command(const QString& name, const QString& caption, const QString& category,
                             const QString& tooltip, const QString& description) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setProperty("category", category);
    if (!tooltip.isEmpty())
        a->setToolTip(tooltip);
    a->setStatusTip(description);
    a->setData(QString());
    connect(a, &QAction::triggered, this,
            [this, a] { emit toolClicked(a->objectName(), a->data().toString()); });
    return a;
}

QAction* CommandBar::separator(const QString& name) {
    auto* a = new QAction(this);
    a->setObjectName(name);
    a->setSeparator(true);
    return a;
}

QAction* CommandBar::pane(const QString& name, const QString& caption) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    return a;
}

CommandBar::CommandBar(QObject* parent) : QObject(parent) {
    using S = QString;
    QAction* file = command(tool::mnuFile, S("&File"));
    QAction* test = command(tool::mnuTest, S("&Test"));
    QAction* view = command(tool::mnuView, S("&View"));
    QAction* options = command(tool::mnuOptions, S("&Options"));
    QAction* help = command(tool::mnuHelp, S("&Help"));
    m_bands.push_back({band::mnuMain, S("Main Menu"), {file, test, view, options, help}});

    QAction* open = command(tool::mFOpen, S("&Open"), S("File"), S("Open"), S("Opens or finds a file"));
    QList<QAction*> fileTools{open,
                              command(tool::mFClose, S("&Close"), S("File")),
                              separator(tool::mnuSep),
                              command(tool::mFCreateProbe, S("Create Probe Device")),
                              separator(tool::mnuSep),
                              command(tool::mFPrintGraph, S("Print Graph"), S("File")),
                              separator(tool::miFMRUSep)};
    fileTools.back()->setVisible(false); // shown while the recent-files list holds files
    for (int n = 1; n <= tool::kRecentFileTools; ++n) {
        QAction* recent = command(tool::miFMRU(n), S());
        recent->setVisible(false); // shown once the recent-files list gives them a file
        fileTools << recent;
    }
    fileTools << separator(tool::mnuSep) << command(tool::mFExit, S("&Exit"), S("File"));
    m_bands.push_back({band::mnuFile, S("File"), fileTools});

    QAction* history = command(tool::mTHistory, S("&History..."), S("Test"), S("Test History"),
                               S("Every saved test, by probe, date and verdict"));
    m_bands.push_back(
        {band::mnuTest,
         S("&Test"),
         {command(tool::mTStandard, S("Standard"), S("Test")), separator(tool::mSep),
          command(tool::mTIndependent, S("Group"), S("Test")), separator(tool::mSep), history}});
    m_bands.push_back({band::mnuOptions,
                       S("&Options"),
                       {command(tool::mOPreferences, S("Preferences"), S("Options")), separator(tool::mSep),
                        command(tool::mOExcelDataExport, S("ExcelDataExport")),
                        command(tool::mOTestOptions, S("Test Options")),
                        command(tool::mOPrinterOptions, S("Printer Options"))}});
    m_bands.push_back(
        {band::mnuView,
         S("&View"),
         {command(tool::miFullScreen, S("Full Screen"), S("View"), S("Full Screen"), S("View full screen")),
          command(tool::miNormal, S("Normal"), S("View"), S("Normal"), S("View normal"))}});
    QAction* contents = command(tool::miHContents, S("&Contents"), S("Help"), S("Help Contents"));
    QAction* about = command(tool::miHAbout, S("&About"), S("Help"), S("About this application"));
    m_bands.push_back({band::mnuHelp, S("&Help"), {contents, about}});
    m_bands.push_back(
        {band::sb,
         S("Status Bar"),
         {pane(pane::miProbeLoaded, S("Test Probe")), separator(tool::miSeparator),
          pane(pane::miDefaultProbe, S("Default Probe")), separator(tool::miSeperator),
          pane(pane::miStatus, S()), pane(pane::miTimeElapsed, S()), pane(pane::tDate, S("2/17/2006"))}});
    // The toolbar's History, Open, Contents and About are the menu entries themselves.
    m_bands.push_back({band::ToolBar,
                       S("Tools"),
                       {command(tool::miTProbe, S("New Probe"), S("Tools"), S("Create Probe Spec")),
                        command(tool::miTAuto, S("Auto"), S("Tools"), S("Default Test/Probe")), history,
                        separator(tool::miSeparator), open, contents,
                        command(tool::miHSearch, S("&Search"), S("Help")), about}});
}

const Band& CommandBar::band(const QString& bandName) const {
    for (const Band& b : m_bands) {
        if (b.name == bandName)
            return b;
    }
    qFatal("CommandBar: no band named %s", qPrintable(bandName));
}

QAction* CommandBar::action(const QString& bandName, const QString& toolName) const {
    for (QAction* a : band(bandName).tools) {
        if (a->objectName() == toolName)
            return a;
    }
    qFatal("CommandBar: band %s has no tool named %s", qPrintable(bandName), qPrintable(toolName));
}

void CommandBar::setEnabled(const QString& bandName, const QString& toolName, bool enabled) {
    action(bandName, toolName)->setEnabled(enabled);
}

void CommandBar::setVisible(const QString& bandName, const QString& toolName, bool visible) {
    action(bandName, toolName)->setVisible(visible);
}

void CommandBar::setCaption(const QString& bandName, const QString& toolName, const QString& caption) {
    action(bandName, toolName)->setText(caption);
}

void CommandBar::setTag(const QString& bandName, const QString& toolName, const QString& tag) {
    action(bandName, toolName)->setData(tag);
}

bool CommandBar::isEnabled(const QString& bandName, const QString& toolName) const {
    return action(bandName, toolName)->isEnabled();
}

bool CommandBar::isVisible(const QString& bandName, const QString& toolName) const {
    return action(bandName, toolName)->isVisible();
}

QString CommandBar::caption(const QString& bandName, const QString& toolName) const {
    return action(bandName, toolName)->text();
}

QString CommandBar::tag(const QString& bandName, const QString& toolName) const {
    return action(bandName, toolName)->data().toString();
}

QString CommandBar::category(const QString& bandName, const QString& toolName) const {
    return action(bandName, toolName)->property("category").toString();
}

void CommandBar::showStatus(const QString& paneName, const QString& text) {
    QAction* a = action(band::sb, paneName);
    a->setEnabled(true);
    a->setText(text);
}

} // namespace corvin::app

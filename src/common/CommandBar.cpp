#include "common/CommandBar.h"

namespace corvin {
namespace {

Tool Item(QString name, QString caption, QString category = {}, QString tooltip = {},
          QString description = {}) {
    Tool t;
    t.name = std::move(name);
    t.caption = std::move(caption);
    t.category = std::move(category);
    t.tooltip = std::move(tooltip);
    t.description = std::move(description);
    return t;
}

Tool Separator(QString name) {
    Tool t;
    t.name = std::move(name);
    t.separator = true;
    return t;
}

} // namespace

std::vector<Band> CommandBar::StandardLayout() {
    using S = QString;
    std::vector<Band> bands;
    bands.push_back(
        {S("mnuMain"),
         S("Main Menu"),
         {Item(S("mnuFile"), S("&File")), Item(S("mnuTest"), S("&Test")), Item(S("mnuView"), S("&View")),
          Item(S("mnuOptions"), S("&Options")), Item(S("mnuHelp"), S("&Help"))}});

    Band file{S("mnuFile"), S("File"), {}};
    file.tools = {Item(S("mFOpen"), S("&Open"), S("File"), S("Open"), S("Opens or finds a file")),
                  Item(S("mFClose"), S("&Close"), S("File")),
                  Separator(S("mnuSep")),
                  Item(S("mFCreateProbe"), S("Create Probe Device")),
                  Separator(S("mnuSep")),
                  Item(S("mFPrintGraph"), S("Print Graph"), S("File")),
                  Separator(S("miFMRUSep"))};
    file.tools.back().visible = false; // shown while the recent-files list holds files
    for (int i = 1; i <= 4; ++i) {
        Tool mru = Item(S("miFMRU%1").arg(i), S());
        mru.visible = false; // shown once the recent-files list gives them a file
        file.tools.push_back(mru);
    }
    file.tools.push_back(Separator(S("mnuSep")));
    file.tools.push_back(Item(S("mFExit"), S("&Exit"), S("File")));
    bands.push_back(file);

    bands.push_back({S("mnuTest"),
                     S("&Test"),
                     {Item(S("mTStandard"), S("Standard"), S("Test")), Separator(S("mSep")),
                      Item(S("mTIndependent"), S("Group"), S("Test"))}});
    bands.push_back(
        {S("mnuOptions"),
         S("&Options"),
         {Item(S("mOPreferences"), S("Preferences"), S("Options")), Separator(S("mSep")),
          Item(S("mOExcelDataExport"), S("ExcelDataExport")), Item(S("mOTestOptions"), S("Test Options")),
          Item(S("mOPrinterOptions"), S("Printer Options"))}});
    bands.push_back(
        {S("mnuView"),
         S("&View"),
         {Item(S("miFullScreen"), S("Full Screen"), S("View"), S("Full Screen"), S("View full screen")),
          Item(S("miNormal"), S("Normal"), S("View"), S("Normal"), S("View normal"))}});
    bands.push_back({S("mnuHelp"),
                     S("&Help"),
                     {Item(S("miHContents"), S("&Contents"), S("Help"), S("Help Contents")),
                      Item(S("miHAbout"), S("&About"), S("Help"), S("About this application"))}});
    bands.push_back(
        {S("sb"),
         S("Status Bar"),
         {Item(S("miProbeLoaded"), S("Test Probe")), Separator(S("miSeparator")),
          Item(S("miDefaultProbe"), S("Default Probe")), Separator(S("miSeperator")),
          Item(S("miStatus"), S()), Item(S("miTimeElapsed"), S()), Item(S("tDate"), S("2/17/2006"))}});
    bands.push_back(
        {S("ToolBar"),
         S("Tools"),
         {Item(S("miTProbe"), S("New Probe"), S("Tools"), S("Create Probe Spec")),
          Item(S("miTAuto"), S("Auto"), S("Tools"), S("Default Test/Probe")), Separator(S("miSeparator")),
          Item(S("mFOpen"), S("&Open"), S("File"), S("Open"), S("Opens or finds a file")),
          Item(S("miHContents"), S("&Contents"), S("Help"), S("Help Contents")),
          Item(S("miHSearch"), S("&Search"), S("Help")),
          Item(S("miHAbout"), S("&About"), S("Help"), S("About this application"))}});
    return bands;
}

CommandBar::CommandBar(std::vector<Band> bands, QObject* parent)
    : QObject(parent), m_bands(std::move(bands)) {}

const Band* CommandBar::band(const QString& bandName) const {
    for (const Band& b : m_bands) {
        if (b.name == bandName)
            return &b;
    }
    return nullptr;
}

const Tool* CommandBar::tool(const QString& bandName, const QString& toolName) const {
    const Band* b = band(bandName);
    if (!b)
        return nullptr;
    for (const Tool& t : b->tools) {
        if (t.name == toolName)
            return &t;
    }
    return nullptr;
}

Tool* CommandBar::find(const QString& bandName, const QString& toolName) {
    return const_cast<Tool*>(std::as_const(*this).tool(bandName, toolName));
}

void CommandBar::setEnabled(const QString& bandName, const QString& toolName, bool enabled) {
    if (Tool* t = find(bandName, toolName); t && t->enabled != enabled) {
        t->enabled = enabled;
        emit toolChanged(bandName, toolName);
    }
    // The toolbar's Open, Contents and About are the menu entries of the same name on a button:
    // they follow the menu's enabled state, so the toolbar never offers what the menu refuses.
    if (bandName == QLatin1String("mnuFile") || bandName == QLatin1String("mnuHelp")) {
        if (Tool* mirror = find(QStringLiteral("ToolBar"), toolName); mirror && mirror->enabled != enabled) {
            mirror->enabled = enabled;
            emit toolChanged(QStringLiteral("ToolBar"), toolName);
        }
    }
}

void CommandBar::setVisible(const QString& bandName, const QString& toolName, bool visible) {
    if (Tool* t = find(bandName, toolName); t && t->visible != visible) {
        t->visible = visible;
        emit toolChanged(bandName, toolName);
    }
}

void CommandBar::setCaption(const QString& bandName, const QString& toolName, const QString& caption) {
    if (Tool* t = find(bandName, toolName); t && t->caption != caption) {
        t->caption = caption;
        emit toolChanged(bandName, toolName);
    }
}

void CommandBar::setTag(const QString& bandName, const QString& toolName, const QString& tag) {
    if (Tool* t = find(bandName, toolName))
        t->tag = tag;
}

bool CommandBar::isEnabled(const QString& bandName, const QString& toolName) const {
    const Tool* t = tool(bandName, toolName);
    return t && t->enabled;
}

bool CommandBar::isVisible(const QString& bandName, const QString& toolName) const {
    const Tool* t = tool(bandName, toolName);
    return t && t->visible;
}

QString CommandBar::caption(const QString& bandName, const QString& toolName) const {
    const Tool* t = tool(bandName, toolName);
    return t ? t->caption : QString();
}

void CommandBar::showStatus(const QString& pane, const QString& text) {
    setEnabled(QStringLiteral("sb"), pane, true);
    setCaption(QStringLiteral("sb"), pane, text);
}

} // namespace corvin

#pragma once
// The names of the main window's bands and tools, written once. Every piece of code that
// addresses a tool uses these; CommandBar refuses a name it does not hold. (The status panes,
// which the other windows write too, are named in common/StatusPanes.h.)

#include <QLatin1String>
#include <QString>

namespace corvin::app {

namespace band {
inline constexpr QLatin1String mnuMain("mnuMain");
inline constexpr QLatin1String mnuFile("mnuFile");
inline constexpr QLatin1String mnuTest("mnuTest");
inline constexpr QLatin1String mnuOptions("mnuOptions");
inline constexpr QLatin1String mnuView("mnuView");
inline constexpr QLatin1String mnuHelp("mnuHelp");
inline constexpr QLatin1String sb("sb");
inline constexpr QLatin1String ToolBar("ToolBar");
} // namespace band

namespace tool {
// Menu bar: each opens the band of the same name, and is named as it is.
inline constexpr QLatin1String mnuFile = band::mnuFile;
inline constexpr QLatin1String mnuTest = band::mnuTest;
inline constexpr QLatin1String mnuView = band::mnuView;
inline constexpr QLatin1String mnuOptions = band::mnuOptions;
inline constexpr QLatin1String mnuHelp = band::mnuHelp;
// File
inline constexpr QLatin1String mFOpen("mFOpen");
inline constexpr QLatin1String mFClose("mFClose");
inline constexpr QLatin1String mFCreateProbe("mFCreateProbe");
inline constexpr QLatin1String mFPrintGraph("mFPrintGraph");
inline constexpr QLatin1String miFMRUSep("miFMRUSep");
inline constexpr QLatin1String mFExit("mFExit");
// The recent-files entries miFMRU1 .. miFMRU4.
constexpr int kRecentFileTools = 4;
inline QString miFMRU(int n) {
    return QStringLiteral("miFMRU%1").arg(n);
}
// Test
inline constexpr QLatin1String mTStandard("mTStandard");
inline constexpr QLatin1String mTIndependent("mTIndependent");
inline constexpr QLatin1String mTHistory("mTHistory");
// Options
inline constexpr QLatin1String mOPreferences("mOPreferences");
inline constexpr QLatin1String mOExcelDataExport("mOExcelDataExport");
inline constexpr QLatin1String mOTestOptions("mOTestOptions");
inline constexpr QLatin1String mOPrinterOptions("mOPrinterOptions");
// View
inline constexpr QLatin1String miFullScreen("miFullScreen");
inline constexpr QLatin1String miNormal("miNormal");
// Help
inline constexpr QLatin1String miHContents("miHContents");
inline constexpr QLatin1String miHAbout("miHAbout");
inline constexpr QLatin1String miHSearch("miHSearch");
// Toolbar
inline constexpr QLatin1String miTProbe("miTProbe");
inline constexpr QLatin1String miTAuto("miTAuto");
// Separators (not commands; several share a name)
inline constexpr QLatin1String mnuSep("mnuSep");
inline constexpr QLatin1String mSep("mSep");
inline constexpr QLatin1String miSeparator("miSeparator");
inline constexpr QLatin1String miSeperator("miSeperator");
} // namespace tool

} // namespace corvin::app

#include "app/EnablingRules.h"

namespace corvin::app {
namespace {

const QString kFile = QStringLiteral("mnuFile");
const QString kTest = QStringLiteral("mnuTest");
const QString kView = QStringLiteral("mnuView");
const QString kOptions = QStringLiteral("mnuOptions");
const QString kToolBar = QStringLiteral("ToolBar");

void DisableMenusForTest(CommandBar& bar) {
    for (const char* t : {"mFOpen", "mFClose", "mFCreateProbe"})
        bar.setEnabled(kFile, QLatin1String(t), false);
    for (const char* t : {"mTStandard", "mTIndependent"})
        bar.setEnabled(kTest, QLatin1String(t), false);
    for (const char* t : {"miFullScreen", "miNormal"})
        bar.setEnabled(kView, QLatin1String(t), false);
    for (const char* t : {"mOPreferences", "mOExcelDataExport", "mOTestOptions", "mOPrinterOptions"})
        bar.setEnabled(kOptions, QLatin1String(t), false);
}

} // namespace

void ToolsAtStartup(CommandBar& bar) {
    bar.setEnabled(kFile, QStringLiteral("mFClose"), false);
}

void ToolsForStandardTest(CommandBar& bar) {
    DisableMenusForTest(bar);
    bar.setEnabled(kToolBar, QStringLiteral("miTProbe"), false);
    bar.setEnabled(kToolBar, QStringLiteral("miTAuto"), false);
}

void ToolsForAutoTest(CommandBar& bar) {
    DisableMenusForTest(bar);
}

void ToolsForFullScreen(CommandBar& bar) {
    bar.setEnabled(kView, QStringLiteral("miNormal"), true);
    bar.setEnabled(kView, QStringLiteral("miFullScreen"), false);
}

void ToolsForNormal(CommandBar& bar) {
    bar.setEnabled(kView, QStringLiteral("miFullScreen"), true);
    bar.setEnabled(kView, QStringLiteral("miNormal"), false);
    bar.setEnabled(QStringLiteral("sb"), QStringLiteral("miTimeElapsed"), false);
    bar.setCaption(QStringLiteral("sb"), QStringLiteral("miTimeElapsed"), QString());
}

void ToolsForStoredTest(CommandBar& bar) {
    bar.setEnabled(kFile, QStringLiteral("mFOpen"), false);
    bar.setEnabled(kFile, QStringLiteral("mFClose"), true);
    bar.setEnabled(kFile, QStringLiteral("mFCreateProbe"), true);
    bar.setEnabled(kTest, QStringLiteral("mTStandard"), false);
    bar.setEnabled(kView, QStringLiteral("miFullScreen"), false);
    bar.setEnabled(kView, QStringLiteral("miNormal"), false);
    bar.setEnabled(kToolBar, QStringLiteral("miTAuto"), false);
}

void ToolsAfterFileClose(CommandBar& bar, bool childWindowsLeft) {
    bar.setEnabled(kFile, QStringLiteral("mFOpen"), true);
    bar.setEnabled(kFile, QStringLiteral("mFClose"), false);
    if (childWindowsLeft)
        return;
    bar.setEnabled(kFile, QStringLiteral("mFCreateProbe"), true);
    bar.setEnabled(kTest, QStringLiteral("mTStandard"), true);
    bar.setEnabled(kView, QStringLiteral("miFullScreen"), false);
    bar.setEnabled(kView, QStringLiteral("miNormal"), false);
}

} // namespace corvin::app

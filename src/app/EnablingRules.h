#pragma once
// Which menu and toolbar tools each event of the program enables and disables, written with the
// tools' band and tool names so it reads like the program's enabling table.

#include "common/CommandBar.h"

namespace corvin::app {

// Start-up: every tool as laid out, File > Close disabled.
void ToolsAtStartup(CommandBar& bar);

// Test > Standard: the commands that would disturb probe selection are disabled.
void ToolsForStandardTest(CommandBar& bar);

// Auto: as the standard test, but the toolbar's New Probe and Auto stay enabled.
void ToolsForAutoTest(CommandBar& bar);

// The two layouts of the test window.
void ToolsForFullScreen(CommandBar& bar);
void ToolsForNormal(CommandBar& bar);

// A stored test is being opened / the opening failed or was cancelled (before FileClose runs).
void ToolsForStoredTest(CommandBar& bar);

// FileClose, with or without child windows left.
void ToolsAfterFileClose(CommandBar& bar, bool childWindowsLeft);

} // namespace corvin::app

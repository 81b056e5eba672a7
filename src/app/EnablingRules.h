#pragma once
// Which menu and toolbar tools each event of the program enables and disables, and the status
// texts it writes, as one table written with the tools' band and tool names, so the code reads
// like the program's enabling table. The recent-files entries and FileClose, which the table
// also names, are the main window's to carry out: the rule says what to do with them.

#include "app/CommandBar.h"
#include "common/ShellEvent.h"

namespace corvin::app {

enum class RecentFilesChange { Unchanged, Enable, Disable };

struct RuleOutcome {
    RecentFilesChange recentFiles = RecentFilesChange::Unchanged;
    bool runFileClose = false; // the event ends in FileClose
};

// Sets the tools and status panes the event's rule names; tools it does not name keep their state.
RuleOutcome ApplyEnablingRule(CommandBar& bar, ShellEvent event);

} // namespace corvin::app

#pragma once
// Opening a stored test: File > Open (a file dialog) or a recent-files entry (by name). The file
// must end in "DAT" and is read by the test data file reader into the shared periodic data;
// failures are reported here in the program's words. The menus are the main window's business:
// it applies them from the outcome (see each call), then shows the channel selection.

#include "common/SharedState.h"
#include "platform/Dialogs.h"

#include <QString>

namespace corvin::settings {
class cMRUFileList;
}

namespace corvin::playback {

enum class OpenOutcome {
    Opened,    // the test is in the shared state: show the channel selection, modally
    Cancelled, // the dialog was cancelled; nothing was shown
    Failed,    // the file was refused or could not be read; the message has been shown
    NotAsked,  // open by name without a name (or a recent-files tag naming no entry)
};

class StoredTestOpener {
public:
    StoredTestOpener(SharedState& state, platform::Dialogs& dialogs, settings::cMRUFileList& recent);

    // File > Open. The main window puts the menus into the stored-test state first. Opened: the
    // file now heads the recent-files list (rebuild its menu entries, let pending events run,
    // show the channel selection). Anything else: FileClose and Auto enabled again.
    // The dialog "Select a Test File" starts in the home's TESTS folder, made when missing.
    OpenOutcome openWithDialog();

    // Open by name. Opened: the main window puts the menus into the stored-test state and shows
    // the channel selection; the recent-files list keeps its order. Failed or NotAsked: the menus
    // stay as they are.
    OpenOutcome openByName(const QString& path);

    // A recent-files entry chosen: the entry its tag names ("1".."4") is opened by name.
    OpenOutcome openRecent(const QString& tag);

    // The file of the last attempt.
    const QString& path() const { return m_path; }

    static QString notADataFileMessage();
    // The reader's failure, in the words of the dialog path and of the open by name.
    static QString dialogReadFailure(const QString& description);
    static QString byNameReadFailure(const QString& description);

    static const QString kDialogTitle;
    static const QString kDialogFilter;

private:
    enum class Path { Dialog, ByName };
    // The extension check and the read. False when the user was told why not.
    bool checkAndRead(const QString& path, Path via);

    SharedState& m_state;
    platform::Dialogs& m_dialogs;
    settings::cMRUFileList& m_recent;
    QString m_path;
};

} // namespace corvin::playback

#include "playback/StoredTestOpener.h"

#include "datafiles/TestDataFile.h"
#include "settings/RecentFilesMenu.h"
#include "settings/cMRUFileList.h"

#include <QDir>
#include <QFileInfo>

namespace corvin::playback {

const QString StoredTestOpener::kDialogTitle = QStringLiteral("Select a Test File");
const QString StoredTestOpener::kDialogFilter = QStringLiteral("Data Files (*.DAT)|*.DAT");

StoredTestOpener::StoredTestOpener(SharedState& state, platform::Dialogs& dialogs,
                                   settings::cMRUFileList& recent)
    : m_state(state), m_dialogs(dialogs), m_recent(recent) {}

QString StoredTestOpener::notADataFileMessage() {
    return QStringLiteral("File is not a Periodic Data File");
}

QString StoredTestOpener::dialogReadFailure(const QString& description) {
    return QStringLiteral("Problems Reading File Back Corrupted Data ! ") + QLatin1Char('\n') +
           QStringLiteral("VB Error generated= ") + description;
}

QString StoredTestOpener::byNameReadFailure(const QString& description) {
    return QStringLiteral("Problems Reading File Back Corrupted Data ! ") + QLatin1Char('\n') +
           QStringLiteral("Error =") + description;
}

OpenOutcome StoredTestOpener::openWithDialog() {
    const QString folder = m_state.folders.testFilesFolder();
    QDir().mkpath(folder); // where it cannot be made, the dialog starts wherever it can
    platform::FileDialog dialog;
    dialog.title = kDialogTitle;
    dialog.filter = kDialogFilter;
    dialog.initialFolder = folder;
    dialog.flags = platform::kDataFileDialogFlags;
    const std::optional<QString> chosen = m_dialogs.openFile(dialog);
    if (!chosen)
        return OpenOutcome::Cancelled;
    m_path = *chosen;
    if (!checkAndRead(m_path, Path::Dialog))
        return OpenOutcome::Failed;
    m_recent.AddFile(m_path);
    m_state.folders.LastTestFolder = QFileInfo(m_path).absolutePath();
    return OpenOutcome::Opened;
}

OpenOutcome StoredTestOpener::openByName(const QString& path) {
    if (path.trimmed().isEmpty())
        return OpenOutcome::NotAsked;
    m_path = path;
    return checkAndRead(path, Path::ByName) ? OpenOutcome::Opened : OpenOutcome::Failed;
}

OpenOutcome StoredTestOpener::openRecent(const QString& tag) {
    return openByName(m_recent.file(settings::RecentFilesMenu::indexFromTag(tag)));
}

bool StoredTestOpener::checkAndRead(const QString& path, Path via) {
    if (path.right(3).trimmed().toUpper() != QLatin1String("DAT")) {
        m_dialogs.critical(notADataFileMessage());
        return false;
    }
    // The reader refuses what is not a plain file or whose length no test data file has, and
    // leaves the loaded test as it was when it fails.
    m_state.periodic.SampleCount = 0;
    if (Status read = datafiles::ReadTestDataFile(path, m_state.periodic); !read) {
        m_dialogs.critical(via == Path::Dialog ? dialogReadFailure(read.message())
                                               : byNameReadFailure(read.message()));
        return false;
    }
    m_state.playback.playbackFile = path;
    return true;
}

} // namespace corvin::playback

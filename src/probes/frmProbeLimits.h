#pragma once
// "Limits": a probe's limits per channel (min, marginal min, marginal max, max in µA, settling
// time in s), each optional. OK checks every channel where it was typed and stores the limits
// beside the probe file; a channel that makes no sense is named in a message and nothing is
// stored. Opened from probe creation and from probe selection.

#include "common/AtomicFile.h"
#include "probes/ProbeLimits.h"

#include <QDialog>
#include <array>

class QLineEdit;

namespace corvin::platform {
class Dialogs;
}

namespace corvin::probes {

class frmProbeLimits : public QDialog {
    Q_OBJECT
public:
    // `limitsPath` is the file read and written; `names` the channel texts shown beside the boxes.
    frmProbeLimits(const QString& probeName, const QString& limitsPath, const std::array<QString, kChannelCount>& names,
                   platform::Dialogs& dialogs, QWidget* parent = nullptr,
                   const AtomicFileFactory* files = nullptr);

    // The box of channel k (1..7), field 0..4 (min, marginal min, marginal max, max, settle).
    QLineEdit* box(int k, int field) const { return m_boxes[std::size_t(k - 1)][std::size_t(field)]; }
    // OK: checked, written; false (the dialog stays open) when a channel is refused or the write fails.
    bool cmdOK_Click();

private:
    QString m_path;
    platform::Dialogs& m_dialogs;
    AtomicFileFactory m_ordinaryFiles;
    const AtomicFileFactory* m_files;
    std::array<std::array<QLineEdit*, 5>, kChannelCount> m_boxes{};
};

// The Limits dialog for the probe `name` of `probesFolder`; says where the limits went once written.
void EditProbeLimits(const QString& name, const QString& probesFolder, const std::array<QString, kChannelCount>& channelNames,
                     platform::Dialogs& dialogs, QWidget* parent, const AtomicFileFactory* files = nullptr);

} // namespace corvin::probes

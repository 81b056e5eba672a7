#pragma once
// The "Create New Probe" dialog: the user types a probe name and up to seven channel names and
// the dialog writes the probe file into the probes folder; "Confirm as Default" also makes the
// probe the default probe. It stays open after a write so that several probes can be created in
// one visit; Cancel closes it.
//
// The channel boxes are reached in order with Enter: Enter in the name box opens box 1, Enter in
// box k opens box k + 1, and Enter in box 7 moves on to Confirm.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "platform/Dialogs.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvin::settings {
class RegistryStore;
}

namespace corvin::probes {

class frmProbeConfig : public QDialog {
    Q_OBJECT
public:
    // `files` makes the files the probes are written through (tests hand in one whose files
    // fail); null: ordinary files. It must outlive the dialog.
    frmProbeConfig(SharedState& state, platform::Dialogs& dialogs, settings::RegistryStore& registry,
                   QWidget* parent = nullptr, const AtomicFileFactory* files = nullptr);

    static constexpr int kChannelTextLimit = 16;

    // The handlers, callable directly; the widgets call them too.
    void txtProbeName_KeyUp(int key);
    void txtProbeName_LostFocus();
    void txtChannel_KeyUp(int k, int key);
    void txtChannel_Change(int k);
    void cmdConfirm_Click();
    void cmdSaveAsDefault_Click();
    void cmdClose_Click();

    // All seven channel boxes disabled with the button-face background, then box 1 enabled,
    // highlighted and focused. The texts stay.
    void resetChannelBoxes();

    // The name as typed (kept in step with the name box) and the path of the last probe written.
    const QString& probeName() const { return m_probeName; }
    const QString& lastWrittenPath() const { return m_lastPath; }

    QLineEdit* txtChannel(int k) const { return m_txtChannel.at(k - 1); }
    // Whether box k shows the highlight of a box that has been reached.
    bool isHighlighted(int k) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void setHighlighted(int k, bool on);
    // Confirm and Confirm as Default: checks, writes the probe and, for the default, the
    // registry. False when nothing was written.
    bool confirm(bool asDefault);
    void clearName();

    SharedState& m_state;
    platform::Dialogs& m_dialogs;
    settings::RegistryStore& m_registry;
    AtomicFileFactory m_ordinaryFiles;
    const AtomicFileFactory* m_files;

    QString m_probeName;
    QString m_lastPath;

    QGroupBox* m_frameProbeName = nullptr;
    QGroupBox* m_frameProbeSetup = nullptr;
    QLabel* m_lblEnterProbeName = nullptr;
    QLineEdit* m_txtProbeName = nullptr;
    QLabel* m_picTestProbe = nullptr;
    std::array<QLabel*, kChannelCount> m_lblChannel{};
    std::array<QLineEdit*, kChannelCount> m_txtChannel{};
    QPushButton* m_cmdLimits = nullptr;
    void editLimits();
    QPushButton* m_cmdConfirm = nullptr;
    QPushButton* m_cmdSaveAsDefault = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

} // namespace corvin::probes

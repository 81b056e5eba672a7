#pragma once
// "Periodic Data Playback": the channels of the loaded test, each with a box to click. The boxes
// clicked take their channel's bar colour and show their place in the click order, which becomes
// the order of the graph's sets. " OK" hands the choice to the graph window, " Cancel Selection"
// starts again, " Exit" leaves playback and forgets the loaded test. Shown modally, after a
// stored test was opened and again from the graph window's " ReSelect"; it closes only through
// its buttons.

#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "platform/Dialogs.h"
#include "playback/ChannelSelection.h"

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

namespace corvin::playback {

class frmPeriodDataSetup : public QDialog {
    Q_OBJECT
public:
    frmPeriodDataSetup(SharedState& state, platform::Dialogs& dialogs, MainFrame& frame,
                       QWidget* parent = nullptr);
    ~frmPeriodDataSetup() override;

    // The handlers, callable directly; the controls call them too.
    void Picture1_Click(int k);
    void cmdCancelSel_Click();
    void cmdOK_Click();
    void cmdExit_Click();

    const ChannelSelection& selection() const { return m_selection; }

    static QString noChannelsMessage() { return QStringLiteral("No channels selected to graph"); }

signals:
    // " OK" with channels chosen: the graph window is wanted (made, or brought forward when it
    // is already open). Emitted after this window has closed itself.
    void graphRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void Form_Load();
    void showSelection();

    SharedState& m_state;
    platform::Dialogs& m_dialogs;
    MainFrame& m_frame;
    ChannelSelection m_selection;
    bool m_closing = false; // set while a button closes the window

    std::array<QWidget*, kChannelCount> m_pictures{};
    std::array<QLabel*, kChannelCount> m_names{};
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancelSel = nullptr;
    QPushButton* m_cmdExit = nullptr;
};

} // namespace corvin::playback

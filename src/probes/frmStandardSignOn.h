#pragma once
// The probe selection window of a standard test: a child of the main window that lists every
// probe file of the probes folder, marks the default probe with a check mark, lets the user pick
// the probe for the test (Go or a double-click) and change the default probe by checking another
// entry. Go loads the chosen probe into CurrentProbe and asks the main window for the test
// window. The window's own close (its close box, Escape) leaves probe selection. The default
// probe name is written back to the registry whichever way the window is left.

#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "platform/Dialogs.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvin::settings {
class RegistryStore;
}

namespace corvin::probes {

class frmStandardSignOn : public QWidget {
    Q_OBJECT
public:
    // Lists the probes, checks the default probe and writes the status panes at once.
    frmStandardSignOn(SharedState& state, platform::Dialogs& dialogs, MainFrame& frame,
                      settings::RegistryStore& registry, QWidget* parent = nullptr);
    ~frmStandardSignOn() override;

    // The entry shown when the folder holds no probe.
    static QString noProbesText() { return QStringLiteral(" <No Probe Devices Available> "); }

    // The handlers, callable directly; the widgets call them too.
    void Form_Activate();
    void lvmain_ItemClick(QTreeWidgetItem* item);
    void lvmain_ItemCheck(QTreeWidgetItem* item);
    void lvmain_DblClick();
    void cmdGO_Click();

    QTreeWidget* lvmain() const { return m_lvmain; }
    // The probe name of the entry last clicked with ".Prb" appended.
    const QString& selectedFile() const { return m_selectedFile; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void Form_Load();
    void layOut();
    // Go and the double-click: load the selected probe and open the test window. `saveDefault`
    // writes the default probe name now (Go) rather than when the window closes.
    void loadSelectedProbe(bool saveDefault);
    void showSelection(QTreeWidgetItem* item);
    void saveDefaultProbeName();
    // Closes the window, or the sub-window of the main window that holds it.
    void closeWindow();

    SharedState& m_state;
    platform::Dialogs& m_dialogs;
    MainFrame& m_frame;
    settings::RegistryStore& m_registry;

    QString m_selectedFile;
    bool m_goPressed = false;
    bool m_leaving = false; // Go, a double-click or the no-probe Go closes the window
    bool m_registered = false;
    bool m_closed = false;
    bool m_checking = false; // guards the check-mark handler while it changes check marks itself

    QGroupBox* m_frameProbeList = nullptr;
    QPushButton* m_cmdLimits = nullptr;
    void editLimits();
    QTreeWidget* m_lvmain = nullptr;
    QLabel* m_lblProbeSelect = nullptr;
    QPushButton* m_cmdGO = nullptr;
};

} // namespace corvin::probes

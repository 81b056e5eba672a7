#pragma once
// "Test Options": where the logged samples of a stopped test go (a test data file or a
// spreadsheet) and whether new test windows start with periodic logging selected, for the rest of
// this run only. The dialog always opens on "Default (.Dat)" with the check box clear, whatever the
// options are; a click on the check box switches the logging default on at once, tick or clear,
// and nothing switches it off again.

#include "common/SharedState.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace corvin::datafiles {

class frmTestOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmTestOptions(TestOptions& options, QWidget* parent = nullptr);

    // The handlers, callable directly; the widgets call them too.
    void chkPeriodicDataLogging_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    TestOptions& m_options;

    QGroupBox* m_frameOutputOptions = nullptr;
    QRadioButton* m_optDefault = nullptr;
    QRadioButton* m_option1 = nullptr;
    QGroupBox* m_frameLoggingOptions = nullptr;
    QCheckBox* m_chkPeriodicDataLogging = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

} // namespace corvin::datafiles

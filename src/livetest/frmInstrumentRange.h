#pragma once
// " SET INSTRUMENT RANGE": HIGH or LOW. The choice is signalled (rangeChosen); the dialog then
// hides itself (the test window shows the matching scale dialog).

#include "livetest/QtRangeDialog.h"

class QPushButton;

namespace corvin::livetest {

class frmInstrumentRange : public QtRangeDialog {
    Q_OBJECT
public:
    explicit frmInstrumentRange(QWidget* parent = nullptr);

    void Command1_Click(); // " HIGH"
    void Command2_Click(); // " LOW"

signals:
    // true = HIGH, false = LOW.
    void rangeChosen(bool high);

private:
    void choose(bool high);

    QPushButton* m_command1;
    QPushButton* m_command2;
};

} // namespace corvin::livetest

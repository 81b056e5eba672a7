#pragma once
// " SET INSTRUMENT RANGE": HIGH or LOW. The choice goes to `onRangeChosen`; the dialog then hides
// itself (the test window shows the matching scale dialog).

#include "livetest/QtRangeDialog.h"

#include <functional>

class QPushButton;

namespace corvin::livetest {

class frmInstrumentRange : public QtRangeDialog {
public:
    explicit frmInstrumentRange(QWidget* parent = nullptr);

    // true = HIGH, false = LOW.
    std::function<void(bool high)> onRangeChosen;

    void Command1_Click(); // " HIGH"
    void Command2_Click(); // " LOW"

private:
    void choose(bool high);

    QPushButton* m_command1;
    QPushButton* m_command2;
};

} // namespace corvin::livetest

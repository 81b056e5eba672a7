#pragma once
// The screen full scale for the chosen range: frmRangeHigh (" HIGH RANGE": 10 µA or 1 µA) and
// frmRangeLow (" LOW RANGE": 1 mA or 100 µA), one class with the range as a parameter. OK (also
// Enter) hands the ScreenScale to `onOk` and hides the dialog. Option1, the larger full scale, is
// selected when the dialog opens: readings of a range just switched on are then shown on screen
// rather than beyond its edge.

#include "livetest/QtRangeDialog.h"

#include <cstdint>
#include <functional>

class QPushButton;
class QRadioButton;

namespace corvin::livetest {

class frmRangeScale : public QtRangeDialog {
public:
    frmRangeScale(bool high, QWidget* parent = nullptr);

    bool high() const { return m_high; }
    // The ScreenScale the options give: Option1 → 2 (HIGH) or 4 (LOW), otherwise 1 or 3.
    int16_t chosenScale() const;

    std::function<void(int16_t screenScale)> onOk;

    void Command1_Click(); // " OK"
    bool OkPressed() const { return m_okPressed; }

private:
    const bool m_high;
    bool m_okPressed = false;
    QRadioButton* m_option1;
    QRadioButton* m_option2;
    QPushButton* m_command1;
};

} // namespace corvin::livetest

#pragma once
// The screen full scale for the chosen range: frmRangeHigh (" HIGH RANGE": 10 µA or 1 µA) and
// frmRangeLow (" LOW RANGE": 1 mA or 100 µA), one class with the range as a parameter. OK (also
// Enter) hides the dialog and signals the ScreenScale (okPressed). Option1, the larger full scale, is
// selected when the dialog opens: readings of a range just switched on are then shown on screen
// rather than beyond its edge.

#include "livetest/QtRangeDialog.h"

#include <cstdint>

class QPushButton;
class QRadioButton;

namespace corvin::livetest {

class frmRangeScale : public QtRangeDialog {
    Q_OBJECT
public:
    frmRangeScale(bool high, QWidget* parent = nullptr);

    // The ScreenScale the options give: Option1 → 2 (HIGH) or 4 (LOW), otherwise 1 or 3.
    int16_t chosenScale() const;

    void Command1_Click(); // " OK"
    bool OkPressed() const { return m_okPressed; }

signals:
    void okPressed(int16_t screenScale);

private:
    const bool m_high;
    bool m_okPressed = false;
    QRadioButton* m_option1;
    QRadioButton* m_option2;
    QPushButton* m_command1;
};

} // namespace corvin::livetest

#pragma once
// " SET INSTRUMENT RANGE": HIGH or LOW. The choice goes to `onRangeChosen`; the dialog then hides
// itself (the test window shows the matching scale dialog). It closes only through its buttons:
// the close box and Escape are refused, so the test window and the main window, disabled while it
// is open, cannot be left disabled.

#include <QDialog>
#include <functional>

class QPushButton;

namespace corvin::livetest {

class frmInstrumentRange : public QDialog {
public:
    explicit frmInstrumentRange(QWidget* parent = nullptr);

    // true = HIGH, false = LOW.
    std::function<void(bool high)> onRangeChosen;

    void Command1_Click(); // " HIGH"
    void Command2_Click(); // " LOW"

    void reject() override; // Escape: refused
protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void choose(bool high);

    QPushButton* m_command1;
    QPushButton* m_command2;
};

} // namespace corvin::livetest

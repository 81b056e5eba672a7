#pragma once
// What the three range dialogs share: they close only through their own buttons (the close box
// and Escape are refused, so the test window and the main window, disabled while one is open,
// cannot be left disabled); they belong to the main window and are modal to it, so they stay in
// front of it and are the only windows of it that take input until answered; and they place
// themselves at left = (screen width - width) / 2, top = (screen height - height) / 3.

#include <QDialog>

namespace corvin::livetest {

class QtRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit QtRangeDialog(QWidget* parent = nullptr);

    void reject() override; // Escape: refused

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace corvin::livetest

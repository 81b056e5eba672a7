#include "livetest/QtRangeDialog.h"

#include "livetest/TestWindowLayout.h"

#include <QCloseEvent>
#include <QScreen>

namespace corvin::livetest {

QtRangeDialog::QtRangeDialog(QWidget* parent) : QDialog(parent) {
    // No close box to offer: the dialog closes through its buttons only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::WindowModal);
}

void QtRangeDialog::reject() {}

void QtRangeDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void QtRangeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(DialogPosition(screen->geometry(), size()));
}

} // namespace corvin::livetest

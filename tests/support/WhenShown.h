#pragma once
// Drives the modal dialog a command opens. Once a window of type Dialog shows, `drive` runs on it
// from inside the dialog's own event loop; a dialog still open afterwards is closed, so a test
// that goes wrong fails instead of waiting for a click that never comes. It waits for the
// window itself, not for a pass of the event loop, so the command may let events run before it
// shows the dialog.

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace corvin::testing {

template <typename Dialog> class WhenShown : public QObject {
public:
    explicit WhenShown(std::function<void(Dialog&)> drive) : m_drive(std::move(drive)) {
        qApp->installEventFilter(this);
    }
    ~WhenShown() override { qApp->removeEventFilter(this); }

    // Whether the dialog showed and was driven.
    bool ran() const { return m_ran; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<Dialog*>(watched);
        if (m_armed && dialog && event->type() == QEvent::Show) {
            m_armed = false;
            QTimer::singleShot(0, this, [this, shown = QPointer<Dialog>(dialog)] {
                if (!shown)
                    return;
                m_ran = true;
                m_drive(*shown);
                if (shown && shown->isVisible())
                    shown->done(QDialog::Rejected);
            });
        }
        return false;
    }

private:
    std::function<void(Dialog&)> m_drive;
    bool m_armed = true;
    bool m_ran = false;
};

} // namespace corvin::testing

#pragma once
// The desktop's own dialogs behind the Dialogs seam.

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace corvin::platform {

class QtDialogs : public Dialogs {
public:
    // Dialogs open over `parent` (the main window), or over the active window when it is null.
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer message(const MessageBox& box) override;
    int choose(const ChoiceBox& box) override;
    std::optional<QString> input(const InputBox& box) override;
    std::optional<QString> openFile(const FileDialog& dialog) override;
    std::optional<QString> saveFile(const FileDialog& dialog) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QString> printSetup(const QString& currentPrinter) override;

private:
    QWidget* parent() const;
    QPointer<QWidget> m_parent;
};

} // namespace corvin::platform

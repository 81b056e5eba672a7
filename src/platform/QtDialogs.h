#pragma once
// The desktop's own dialogs behind the Dialogs seam.

#include "platform/Dialogs.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

namespace corvin::platform {

// The desktop's font at a scale (1 = the desktop's own size): the text of dialogs shown beside
// the test window, whose controls grow with the main window.
QFont TextAtScale(double scale);

class QtDialogs : public Dialogs {
public:
    // Dialogs open over `parent` (the main window), or over the active window when it is null.
    void setParent(QWidget* parent) { m_parent = parent; }
    // The dialogs' text size relative to the desktop's, so they match the test window, whose
    // controls grow with the main window (1 = the desktop's own size).
    void setTextScale(double scale) { m_textScale = scale; }

    Answer message(const MessageBox& box) override;
    int choose(const ChoiceBox& box) override;
    std::optional<QString> input(const InputBox& box) override;
    std::optional<QString> openFile(const FileDialog& dialog) override;
    std::optional<QString> saveFile(const FileDialog& dialog) override;
    std::optional<QString> chooseFolder(const FileDialog& dialog) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QString> printSetup(const QString& currentPrinter) override;

private:
    QWidget* parent() const;
    // The desktop's font at the text scale, for every dialog made here.
    void applyTextScale(QWidget& dialog) const;

    QPointer<QWidget> m_parent;
    double m_textScale = 1.0;
};

} // namespace corvin::platform

#include "platform/QtDialogs.h"

#include "platform/Printers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace corvin::platform {
namespace {

QMessageBox::Icon ToQtIcon(Icon icon) {
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ToQtButton(Answer answer) {
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Answer FromQtButton(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

// A question (Yes and No, no Cancel) is answered only with its buttons: Escape and the close
// box, which Qt would take for No, do nothing. A slip of a key must not give up a test's data.
class QuestionBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

// A window manager cuts a title wider than its window: the dialog is made wide enough for its
// whole title, allowing for a bold title font and the title bar's buttons.
void FitTitle(QWidget& dialog) {
    QFont font = dialog.font();
    font.setBold(true);
    // The desktop shows the program's name after the title.
    QString shown = dialog.windowTitle();
    if (!QGuiApplication::applicationDisplayName().isEmpty())
        shown += QStringLiteral(" \u2014 ") + QGuiApplication::applicationDisplayName();
    const int needed = QFontMetrics(font).horizontalAdvance(shown) + 150;
    // The dialog's layout keeps the dialog at its own minimum size, so the room is asked of it.
    if (QLayout* layout = dialog.layout()) {
        const QMargins margins = layout->contentsMargins();
        layout->addItem(new QSpacerItem(needed - margins.left() - margins.right(), 0, QSizePolicy::Fixed,
                                        QSizePolicy::Fixed));
        layout->activate();
    } else {
        dialog.setMinimumWidth(needed);
    }
}

// An input box as wide as its title: its layout is made only when it is shown.
class TitledInputDialog : public QInputDialog {
public:
    using QInputDialog::QInputDialog;

protected:
    void showEvent(QShowEvent* event) override {
        if (!m_fitted) {
            m_fitted = true;
            FitTitle(*this);
        }
        QInputDialog::showEvent(event);
    }

private:
    bool m_fitted = false;
};

void ApplyTextScale(QWidget& dialog, double scale) {
    dialog.setFont(TextAtScale(scale));
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialog& d, QFileDialog::AcceptMode mode,
                                     double textScale) {
    QFileDialog dialog(parent, d.title, d.initialFolder, ToQtFilter(d.filter));
    ApplyTextScale(dialog, textScale);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Asking before an existing file is replaced is what the program's flags ask for; Qt's
    // dialog does it unless told not to.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (d.flags & kOfnOverwritePrompt) == 0);
    if (!d.fileName.isEmpty())
        dialog.selectFile(d.fileName);
    if (!d.defaultSuffix.isEmpty()) {
        // A name typed without an extension gets the one of the type chosen in the dialog.
        dialog.setDefaultSuffix(d.defaultSuffix);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &d](const QString& filter) {
                             const QString suffix = SuffixOfQtFilter(filter);
                             dialog.setDefaultSuffix(suffix.isEmpty() ? d.defaultSuffix : suffix);
                         });
    }
    QLineEdit* note = nullptr;
    if (d.note) {
        // Qt's own dialog, whose grid takes one more row under the file type.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            note = new QLineEdit(&dialog);
            note->setObjectName(QStringLiteral("note"));
            note->setPlaceholderText(QStringLiteral("optional: what this test was for, anything unusual"));
            note->setMaxLength(2000);
            const int row = grid->rowCount();
            grid->addWidget(new QLabel(QStringLiteral("Note:"), &dialog), row, 0);
            grid->addWidget(note, row, 1, 1, grid->columnCount() - 1);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (note)
        *d.note = note->text().trimmed();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QFont TextAtScale(double scale) {
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

QWidget* QtDialogs::parent() const {
    // A modal window in front (the conversion utility, a range dialog) owns the dialogs it asks
    // for, so they open over it rather than behind it.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

void QtDialogs::applyTextScale(QWidget& dialog) const {
    ApplyTextScale(dialog, m_textScale);
}

Answer QtDialogs::message(const MessageBox& box) {
    const QString title = box.title.isEmpty() ? QApplication::applicationDisplayName() : box.title;
    std::unique_ptr<QMessageBox> dialog =
        box.buttons == Buttons::YesNo ? std::make_unique<QuestionBox>(ToQtIcon(box.icon), title, box.text,
                                                                      ToQtButtons(box.buttons), parent())
                                      : std::make_unique<QMessageBox>(ToQtIcon(box.icon), title, box.text,
                                                                      ToQtButtons(box.buttons), parent());
    applyTextScale(*dialog);
    dialog->setTextFormat(Qt::PlainText); // paths and names may hold '<' or '&'
    dialog->setDefaultButton(ToQtButton(box.defaultButton));
    return FromQtButton(dialog->exec());
}

int QtDialogs::choose(const ChoiceBox& box) {
    QMessageBox dialog(ToQtIcon(box.icon),
                       box.title.isEmpty() ? QApplication::applicationDisplayName() : box.title, box.text,
                       QMessageBox::NoButton, parent());
    dialog.setTextFormat(Qt::PlainText);
    QList<QPushButton*> buttons;
    for (const QString& text : box.buttons)
        buttons << dialog.addButton(text, QMessageBox::ActionRole);
    if (box.defaultButton >= 0 && box.defaultButton < buttons.size())
        dialog.setDefaultButton(buttons[box.defaultButton]);
    if (box.escapeButton >= 0 && box.escapeButton < buttons.size())
        dialog.setEscapeButton(buttons[box.escapeButton]);
    // Without an escape button the box offers no way out but its buttons.
    for (;;) {
        dialog.exec();
        const int chosen = int(buttons.indexOf(static_cast<QPushButton*>(dialog.clickedButton())));
        if (chosen >= 0)
            return chosen;
        if (box.escapeButton >= 0)
            return box.escapeButton;
    }
}

std::optional<QString> QtDialogs::input(const InputBox& box) {
    TitledInputDialog dialog(parent());
    applyTextScale(dialog);
    dialog.setWindowTitle(box.title.isEmpty() ? QApplication::applicationDisplayName() : box.title);
    dialog.setLabelText(QString(box.prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    dialog.setTextValue(box.defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtDialogs::openFile(const FileDialog& dialog) {
    return RunFileDialog(parent(), dialog, QFileDialog::AcceptOpen, m_textScale);
}

std::optional<QString> QtDialogs::saveFile(const FileDialog& dialog) {
    return RunFileDialog(parent(), dialog, QFileDialog::AcceptSave, m_textScale);
}

std::optional<QString> QtDialogs::chooseFolder(const FileDialog& dialog) {
    const QString folder = QFileDialog::getExistingDirectory(parent(), dialog.title, dialog.initialFolder);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QColor> QtDialogs::chooseColour(const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, parent());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtDialogs::printSetup(const QString& currentPrinter) {
    // A printer chooser of our own: Qt's print dialog always offers printing to a file, which
    // the program's print set-up leaves out.
    QDialog dialog(parent());
    applyTextScale(dialog);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Printer:"), &dialog));
    auto* printers = new QComboBox(&dialog);
    printers->setObjectName(QStringLiteral("printerName"));
    QStringList names = QPrinterInfo::availablePrinterNames();
    names << kPdfPrinterName;
    printers->addItems(names);
    printers->setCurrentText(currentPrinter);
    layout->addWidget(printers);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    FitTitle(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printers->currentText();
}

} // namespace corvin::platform

#include "platform/QtDialogs.h"

#include "platform/Printers.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

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

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialog& d, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, d.title, d.initialFolder, ToQtFilter(d.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Asking before an existing file is replaced is what the program's flags ask for; Qt's
    // dialog does it unless told not to.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (d.flags & kOfnOverwritePrompt) == 0);
    if (!d.fileName.isEmpty())
        dialog.selectFile(d.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

QWidget* QtDialogs::parent() const {
    return m_parent ? m_parent.data() : QApplication::activeWindow();
}

Answer QtDialogs::message(const MessageBox& box) {
    QMessageBox dialog(ToQtIcon(box.icon),
                       box.title.isEmpty() ? QApplication::applicationDisplayName() : box.title, box.text,
                       ToQtButtons(box.buttons), parent());
    dialog.setTextFormat(Qt::PlainText); // paths and names may hold '<' or '&'
    dialog.setDefaultButton(ToQtButton(box.defaultButton));
    return FromQtButton(dialog.exec());
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
    QInputDialog dialog(parent());
    dialog.setWindowTitle(box.title.isEmpty() ? QApplication::applicationDisplayName() : box.title);
    dialog.setLabelText(QString(box.prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    dialog.setTextValue(box.defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtDialogs::openFile(const FileDialog& dialog) {
    return RunFileDialog(parent(), dialog, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(const FileDialog& dialog) {
    return RunFileDialog(parent(), dialog, QFileDialog::AcceptSave);
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
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printers->currentText();
}

} // namespace corvin::platform

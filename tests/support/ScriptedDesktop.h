#pragma once
// A desktop for tests: dialogs answer from queues and record everything they were asked to show;
// printing, the clipboard and help are recorded instead of performed.

#include "platform/Desktop.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace corvin::testing {

class ScriptedDialogs : public platform::Dialogs {
public:
    // What each kind of dialog will answer next; an empty queue means the user cancels
    // (a message box with no scripted answer returns its default button).
    std::deque<platform::Answer> answers;
    std::deque<int> choices; // button indexes; an empty queue closes the box (its escape button)
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> openFiles;
    std::deque<std::optional<QString>> saveFiles;
    std::deque<std::optional<QString>> folders;
    // Typed into a save dialog's note line, one per dialog that has one.
    std::deque<QString> notes;
    std::deque<std::optional<QColor>> colours;
    std::deque<std::optional<QString>> printSetups;

    // What was shown, in order.
    std::vector<platform::MessageBox> messages;
    std::vector<platform::ChoiceBox> choiceBoxes;
    std::vector<platform::InputBox> inputBoxes;
    std::vector<platform::FileDialog> fileDialogs;
    int colourDialogs = 0;
    std::vector<QColor> colourInitials; // the colour each chooser opened at
    int printSetupDialogs = 0;
    // Called with every message box as it is shown, for a test that acts while it is open.
    std::function<void(const platform::MessageBox&)> onMessage;

    QStringList messageTexts() const;
    const platform::MessageBox& lastMessage() const { return messages.back(); }

    platform::Answer message(const platform::MessageBox& box) override;
    int choose(const platform::ChoiceBox& box) override;
    std::optional<QString> input(const platform::InputBox& box) override;
    std::optional<QString> openFile(const platform::FileDialog& dialog) override;
    std::optional<QString> saveFile(const platform::FileDialog& dialog) override;
    std::optional<QString> chooseFolder(const platform::FileDialog& dialog) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    std::optional<QString> printSetup(const QString& currentPrinter) override;
};

class RecordingPrinters : public platform::Printers {
public:
    QStringList installed{platform::kPdfPrinterName};
    QString defaultName = platform::kPdfPrinterName;
    QString pdfFolder = QStringLiteral("/printouts"); // where the PDF printer's jobs are said to go
    struct Job {
        QImage picture;
        platform::Orientation orientation;
        QString name;
        QString printer;
    };
    std::vector<Job> jobs;

    QStringList names() const override { return installed; }
    int orientation(const QString& printer) const override { return installed.contains(printer) ? 1 : 0; }
    QString defaultPrinter() const override { return defaultName; }
    void setDefaultPrinter(const QString& printer) override { defaultName = printer; }
    Status printImage(const QImage& picture, platform::Orientation orientation, const QString& jobName,
                      QString* pdfFile = nullptr) override;
};

class RecordingClipboard : public platform::Clipboard {
public:
    std::vector<QImage> images;
    std::vector<QString> texts;
    void setImage(const QImage& picture) override { images.push_back(picture); }
    void setText(const QString& text) override { texts.push_back(text); }
};

class RecordingHelp : public platform::Help {
public:
    QStringList pages;
    QStringList urls;
    void showHelp(const QString& page) override { pages << page; }
    void openUrl(const QUrl& url) override { urls << url.toString(); }
};

// Everything above in one place, handed to windows as a platform::Desktop.
struct ScriptedDesktop {
    ScriptedDialogs dialogs;
    RecordingPrinters printers;
    RecordingClipboard clipboard;
    RecordingHelp help;
    ManualClock clock;
    platform::Desktop desktop{dialogs, printers, clipboard, help, clock};
};

} // namespace corvin::testing

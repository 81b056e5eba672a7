#pragma once
// The seam to the desktop's dialogs: message boxes, input boxes, file, colour and print set-up
// dialogs. Windows ask for every dialog through this interface; the program uses the Qt
// implementation and tests use a scripted one that answers from a queue and records what it was
// asked to show. A cancelled dialog is its own outcome (an empty optional), never an exception.

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace corvin::platform {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageBox {
    MessageBox() = default;
    MessageBox(QString text_, Icon icon_ = Icon::None, Buttons buttons_ = Buttons::Ok, QString title_ = {},
               Answer defaultButton_ = Answer::Ok)
        : text(std::move(text_)), icon(icon_), buttons(buttons_), title(std::move(title_)),
          defaultButton(defaultButton_) {}

    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    QString title; // empty: the application's own title
    Answer defaultButton = Answer::Ok;
};

// A question with buttons of its own (for instance "Save as Test Data File…", "Keep for Later",
// "Discard").
struct ChoiceBox {
    QString text;
    Icon icon = Icon::Question;
    QStringList buttons;   // left to right
    int defaultButton = 0; // index into buttons
    int escapeButton = -1; // what closing the box or Escape means; -1: the box cannot be escaped
    QString title;         // empty: the application's own title
};

struct InputBox {
    QString prompt;
    QString title;
    QString defaultText;
};

// File dialog flags of the legacy program, kept so the dialogs behave alike.
constexpr int kOfnOverwritePrompt = 0x0002;
constexpr int kOfnNoChangeDir = 0x0008;
constexpr int kOfnNoReadOnlyReturn = 0x8000;
constexpr int kOfnExtensionDifferent = 0x0400;
constexpr int kDataFileDialogFlags = 0x840A; // all four above

struct FileDialog {
    QString title;         // empty: the toolkit's default title
    QString filter;        // "Description (*.EXT)|*.EXT", pairs separated by "|"
    QString initialFolder; // empty: wherever the toolkit starts
    QString fileName;      // initial text of the name field
    int flags = kDataFileDialogFlags;
    // Added to a name typed without an extension (empty: nothing); the save dialog's overwrite
    // question then asks about the completed name. A filter entry of one pattern "*.ext" that the
    // user picks makes "ext" the suffix instead.
    QString defaultSuffix;
    // When set, the save dialog also has an optional "Note" line; the text typed there ends up
    // here when the dialog is accepted (never required: an empty note is no note).
    QString* note = nullptr;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual Answer message(const MessageBox& box) = 0;
    // The index of the button chosen (the escape button's when the box is closed).
    virtual int choose(const ChoiceBox& box) = 0;
    // The text typed, or nothing when cancelled.
    virtual std::optional<QString> input(const InputBox& box) = 0;
    // The full path chosen, or nothing when cancelled.
    virtual std::optional<QString> openFile(const FileDialog& dialog) = 0;
    virtual std::optional<QString> saveFile(const FileDialog& dialog) = 0;
    // A folder (the dialog's title and initial folder are used); nothing when cancelled.
    virtual std::optional<QString> chooseFolder(const FileDialog& dialog) = 0;
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
    // Print set-up with printing to a file disabled: the printer name chosen, or nothing.
    virtual std::optional<QString> printSetup(const QString& currentPrinter) = 0;

    // Shorthands for the common message boxes (OK button, default title).
    void critical(const QString& text) { message({text, Icon::Critical, Buttons::Ok, {}, Answer::Ok}); }
    void information(const QString& text) { message({text, Icon::Information, Buttons::Ok, {}, Answer::Ok}); }
    // Yes/No with No the default, question icon.
    bool askYesNo(const QString& text) {
        return message({text, Icon::Question, Buttons::YesNo, {}, Answer::No}) == Answer::Yes;
    }
};

// "Data Files (*.DAT)|*.DAT" -> "Data Files (*.DAT)" entries in the form Qt's dialogs take.
QString ToQtFilter(const QString& legacyFilter);

// The extension a Qt filter entry stands for when it has one pattern "*.ext" (in one or both
// letter cases: "Data Files (*.XLS *.xls)" -> "xls"), or nothing.
QString SuffixOfQtFilter(const QString& qtFilterEntry);

} // namespace corvin::platform

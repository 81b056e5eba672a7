#include "support/ScriptedDesktop.h"

namespace corvin::testing {

namespace {
template <typename T> T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T v = queue.front();
    queue.pop_front();
    return v;
}
} // namespace

QStringList ScriptedDialogs::messageTexts() const {
    QStringList texts;
    for (const auto& m : messages)
        texts << m.text;
    return texts;
}

platform::Answer ScriptedDialogs::message(const platform::MessageBox& box) {
    messages.push_back(box);
    if (onMessage)
        onMessage(box);
    return Next(answers, box.defaultButton);
}

int ScriptedDialogs::choose(const platform::ChoiceBox& box) {
    choiceBoxes.push_back(box);
    return Next(choices, box.escapeButton);
}

std::optional<QString> ScriptedDialogs::input(const platform::InputBox& box) {
    inputBoxes.push_back(box);
    return Next(inputs, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::openFile(const platform::FileDialog& dialog) {
    fileDialogs.push_back(dialog);
    return Next(openFiles, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::saveFile(const platform::FileDialog& dialog) {
    fileDialogs.push_back(dialog);
    if (dialog.note)
        *dialog.note = Next(notes, QString());
    return Next(saveFiles, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::chooseFolder(const platform::FileDialog& dialog) {
    fileDialogs.push_back(dialog);
    return Next(folders, std::optional<QString>());
}

std::optional<QColor> ScriptedDialogs::chooseColour(const QColor& initial) {
    ++colourDialogs;
    colourInitials.push_back(initial);
    return Next(colours, std::optional<QColor>());
}

std::optional<QString> ScriptedDialogs::printSetup(const QString&) {
    ++printSetupDialogs;
    return Next(printSetups, std::optional<QString>());
}

Status RecordingPrinters::printImage(const QImage& picture, platform::Orientation orientation,
                                     const QString& jobName, QString* pdfFile) {
    jobs.push_back({picture, orientation, jobName, defaultName});
    if (pdfFile && defaultName == platform::kPdfPrinterName)
        *pdfFile = pdfFolder + QLatin1Char('/') + jobName + QStringLiteral(".pdf");
    return Status::success();
}

} // namespace corvin::testing

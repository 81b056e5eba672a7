#include "instrument/CardLibrary.h"

#include <array>

namespace corvin::instrument {

namespace {

struct CodeText {
    int16_t code;
    const char* text;
};

// Worded as the driver's makers worded them, capitals and all.
constexpr std::array<CodeText, 11> kCardErrorTexts{{
    {0, "Error code 0: OK!"},
    {-1, "Error code -1: Board/feature not supported"},
    {-2, "Error Code -2: Address already registered"},
    {-3, "Error Code -3: IRQ level already registered"},
    {-4, "Error Code -4: Board/resource not registered"},
    {-5, "Error Code -5: Invalid channel"},
    {-6, "Error Code -6: Invalid data"},
    {-7, "Error Code -7: Out of range"},
    {-8, "Error Code -8: Insufficient memory"},
    {-9, "Error Code -9: Buffer not registered"},
    {-10, "Error Code = -10: PC226E not found"},
}};

} // namespace

QString CardErrorText(int16_t code) {
    for (const auto& entry : kCardErrorTexts) {
        if (entry.code == code)
            return QString::fromLatin1(entry.text);
    }
    return QStringLiteral("Error Code ") + QString::number(code) + QStringLiteral(": Undefined code.");
}

} // namespace corvin::instrument

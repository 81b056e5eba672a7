#include "datafiles/ColumnWidths.h"

#include <algorithm>
#include <array>

namespace corvin::datafiles {
namespace {

// Pixel widths of the printable ASCII characters ' ' (32) to '~' (126).
using WidthTable = std::array<unsigned char, 95>;

// Arial 10 pt at 96 dpi: the font's advance widths (per 1000 of the em) at 13.33 pixels to the em,
// rounded.
constexpr WidthTable kArial10 = {
    4, 4, 5,  7,  7, 12, 9,  3,  4, 4, 5, 8, 4,  4,  4,  4, // space ! " # $ % & ' ( ) * + , - . /
    7, 7, 7,  7,  7, 7,  7,  7,  7, 7,                      // 0-9
    4, 4, 8,  8,  8, 7,  14,                                // : ; < = > ? @
    9, 9, 10, 10, 9, 8,  10, 10, 4, 7, 9, 7, 11, 10, 10, 9, 10, 10, 9, 8, 10, 9, 13, 9, 9, 8, // A-Z
    4, 4, 4,  6,  7, 4,                                                                       // [ \ ] ^ _ `
    7, 7, 7,  7,  7, 4,  7,  7,  3, 3, 7, 3, 11, 7,  7,  7, 7,  4,  7, 4, 7,  7, 10, 7, 7, 7, // a-z
    4, 3, 4,  8,                                                                              // { | } ~
};

// Calibri 11 pt at 96 dpi, as the spreadsheet program renders it.
constexpr WidthTable kCalibri11 = {
    3, 5, 6, 7, 7, 11, 10, 3, 5, 5, 7, 7, 4,  5,  4,  6, // space ! " # $ % & ' ( ) * + , - . /
    7, 7, 7, 7, 7, 7,  7,  7, 7, 7,                      // 0-9
    4, 4, 7, 7, 7, 7,  13,                               // : ; < = > ? @
    9, 8, 8, 9, 7, 7,  9,  9, 4, 5, 8, 6, 12, 10, 10, 8, 10, 8, 7, 7, 9, 9, 13, 8, 7, 7, // A-Z
    5, 6, 5, 7, 7, 4,                                                                    // [ \ ] ^ _ `
    7, 8, 6, 8, 8, 5,  7,  8, 4, 4, 7, 4, 12, 8,  8,  8, 8,  5, 6, 5, 8, 7, 11, 7, 7, 6, // a-z
    5, 7, 5, 7,                                                                          // { | } ~
};

// Characters beyond ASCII (accented letters, µ, the euro sign): about a lower-case letter.
constexpr int kOtherArial10 = 7;
constexpr int kOtherCalibri11 = 8;

// Every character has its width (a short list would leave zeros at the end).
static_assert(kArial10.back() != 0 && kCalibri11.back() != 0);
static_assert(kArial10['0' - ' '] == ColumnWidths::kMaxDigitWidth);
static_assert(kCalibri11['0' - ' '] == ColumnWidths::kMaxDigitWidth);

// The formats keep at most 255 digits of width.
constexpr int kMaxStoredWidth256 = 255 * 256;

} // namespace

int ColumnWidths::textPixels(QStringView text, DefaultFont font) {
    const WidthTable& table = font == DefaultFont::Arial10 ? kArial10 : kCalibri11;
    const int other = font == DefaultFont::Arial10 ? kOtherArial10 : kOtherCalibri11;
    int pixels = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 32 && u <= 126)
            pixels += table[u - 32];
        else if (!ch.isLowSurrogate() && u >= 32) // a pair counts once; controls take no room
            pixels += other;
    }
    return pixels;
}

int ColumnWidths::widestPixels(const QStringList& texts, DefaultFont font) {
    int widest = 0;
    for (const QString& t : texts)
        widest = std::max(widest, textPixels(t, font));
    return widest;
}

int ColumnWidths::storedWidth256(int textPixels) {
    const long long stored = (static_cast<long long>(textPixels) + kFitPadding) * 256 / kMaxDigitWidth;
    return int(std::min<long long>(stored, kMaxStoredWidth256));
}

} // namespace corvin::datafiles

#pragma once
// Fitting a column to its contents, as the spreadsheet programs do it: the widest text of the
// column measured in the workbook's default font, plus the cell padding. No spreadsheet program
// is at hand to measure for us, so each default font's character widths are tabled here, in
// pixels at 96 dpi (the widths the spreadsheet programs use for column sizes).

#include <QStringList>
#include <QStringView>

namespace corvin::datafiles {

enum class DefaultFont {
    Arial10,   // the default font of .xls workbooks
    Calibri11, // the default font of .xlsx workbooks
};

class ColumnWidths {
public:
    // Both fonts have digits 7 pixels wide: a column's width counts in those digits.
    static constexpr int kMaxDigitWidth = 7;
    // Pixels a fitted column adds to its widest text.
    static constexpr int kFitPadding = 7;

    // The width of `text` in pixels.
    static int textPixels(QStringView text, DefaultFont font);
    // The widest of `texts`, in pixels (0 for none).
    static int widestPixels(const QStringList& texts, DefaultFont font);

    // The width a column fitted to `textPixels` is stored with, in 1/256 of a digit's width:
    // the unit of both file formats' column records. Never more than the formats allow (255
    // digits).
    static int storedWidth256(int textPixels);
};

} // namespace corvin::datafiles

// The workbooks the export writes, read back by readers that share no code with ours: libfreexl
// and xlrd for .xls, openpyxl for .xlsx. Every cell kind and value of a small test, a test
// without rows, the column widths and the fit order, exact readings and awkward values.
#include "datafiles/ColumnWidths.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/XlsxWorkbook.h"

#include "WorkbookReaders.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::ReadBook;
using corvin::testing::ReadCell;
using corvin::testing::TempHome;

namespace {

const QDateTime kStart(QDate(2026, 3, 14), QTime(15, 9, 26));

// The small test: three rows at 10 s, a blank channel name, and readings that only a double
// widened from the float holds exactly.
PeriodicDataSet SmallTest() {
    PeriodicDataSet data;
    data.Size(3);
    data.SampleCount = 3;
    data.HeaderValues = {10, 3};
    const QStringList names = {"Anode", "Cathode µA", "", "a,b <&>", "Guard ring electrode", "x", "Seven"};
    for (int k = 0; k < kChannelCount; ++k)
        data.ChannelNames[std::size_t(k)] = names[k].leftJustified(20);
    const float rows[3][7] = {{0.1f, -2.5f, 100.0f, 0.0f, 1e-7f, 3.4028235e38f, 1.0f / 3.0f},
                              {1, 2, 3, 4, 5, 6, 7},
                              {0.14f, -0.14f, 9.99f, -0.0f, 1e-40f, 65504.0f, 123456.789f}};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[std::size_t(k)][std::size_t(r)] = rows[r][k];
    return data;
}

QString Column(int col) {
    return QString::fromLatin1(XlsxWorkbook::CellReference(0, col)).chopped(1);
}

QString Ref(int row, int col) {
    return QString::fromLatin1(XlsxWorkbook::CellReference(row, col));
}

bool SameBits(double a, double b) {
    return std::bit_cast<quint64>(a) == std::bit_cast<quint64>(b);
}

struct Format {
    WorkbookFormat format;
    const char* suffix;
};

void PrintTo(const Format& f, std::ostream* os) {
    *os << f.suffix;
}

class ReadBack : public ::testing::TestWithParam<Format> {
protected:
    TempHome home;

    QString write(const PeriodicDataSet& data, ExportCaller caller = ExportCaller::ConvertButton) {
        SheetCells sheet;
        EXPECT_TRUE(FillPeriodicSheet(data, kStart, caller, sheet));
        const QString path = home.file(QStringLiteral("book.") + QString::fromLatin1(GetParam().suffix));
        const Status s = WriteWorkbook(path, GetParam().format, sheet);
        EXPECT_TRUE(s) << s.message().toStdString();
        return path;
    }

    // The cells from libfreexl for .xls and openpyxl for .xlsx; widths and formats from Python.
    ReadBook readCells(const QString& path) {
        ReadBook book = GetParam().format == WorkbookFormat::Xls ? corvin::testing::ReadWithFreexl(path)
                                                                 : corvin::testing::ReadWithPython(path);
        EXPECT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        return book;
    }
};

const ReadCell* At(const ReadBook& book, const QString& ref) {
    auto it = book.cells.find(ref);
    return it == book.cells.end() ? nullptr : &it->second;
}

void ExpectText(const ReadBook& book, const QString& ref, const QString& text) {
    const ReadCell* c = At(book, ref);
    ASSERT_NE(c, nullptr) << ref.toStdString();
    EXPECT_EQ(c->kind, QStringLiteral("text")) << ref.toStdString();
    EXPECT_EQ(c->text, text) << ref.toStdString();
}

void ExpectNumber(const ReadBook& book, const QString& ref, double value) {
    const ReadCell* c = At(book, ref);
    ASSERT_NE(c, nullptr) << ref.toStdString();
    EXPECT_EQ(c->kind, QStringLiteral("number")) << ref.toStdString();
    EXPECT_TRUE(SameBits(c->number, value)) << ref.toStdString() << ": read " << c->text.toStdString()
                                            << " = " << c->number << ", wrote " << value;
}

// ---- every cell of a small test ----------------------------------------------------------------

TEST_P(ReadBack, EveryCellOfASmallTestHasItsKindAndValue) {
    const PeriodicDataSet data = SmallTest();
    const ReadBook book = readCells(write(data));
    EXPECT_EQ(book.sheets, QStringList({"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_TRUE(book.othersEmpty);

    ExpectText(book, "A1", "Periodic Data Import");
    ExpectText(book, "A2", GeneralDateTimeText(kStart));
    ExpectText(book, "A3", "Logging Time Inteval (s) =");
    ExpectText(book, "B3", "10");
    ExpectText(book, "A5", "Time Increment (s)");
    for (int k = 0; k < kChannelCount; ++k) {
        ExpectText(book, Ref(4, 1 + k), data.ChannelNames[std::size_t(k)]);
        EXPECT_EQ(At(book, Ref(4, 1 + k))->text.size(), 20);
    }
    ExpectText(book, "D5", QString(20, QLatin1Char(' '))); // the blank name
    ExpectText(book, "C5", QString::fromUtf8("Cathode µA          "));

    ExpectNumber(book, "A7", 10);
    ExpectNumber(book, "A8", 20);
    ExpectNumber(book, "A9", 30);
    ExpectNumber(book, "B7", 0.10000000149011612);
    ExpectNumber(book, "B9", 0.14000000059604645);
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < kChannelCount; ++k)
            ExpectNumber(book, Ref(6 + r, 1 + k), double(data.PeriodicData[std::size_t(k)][std::size_t(r)]));

    // Nothing else: rows 4 and 6 are empty, nothing beyond column H or row 9.
    EXPECT_EQ(book.cells.size(), 5u + 7u + 3u * 8u);
}

TEST_P(ReadBack, TheMenusConvertWritesADateTimeAndANumber) {
    const ReadBook book = readCells(write(SmallTest(), ExportCaller::ConvertMenu));
    const ReadCell* a2 = At(book, "A2");
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(a2->kind, QStringLiteral("datetime"));
    if (GetParam().format == WorkbookFormat::Xls)
        EXPECT_EQ(a2->text, QStringLiteral("2026-03-14 15:09:26")); // libfreexl's own form
    else
        EXPECT_EQ(a2->text, QStringLiteral("2026-03-14T15:09:26"));
    ExpectNumber(book, "B3", 10);
}

TEST_P(ReadBack, ATestWithoutRowsHasItsTitleBlockAndHeaderOnly) {
    PeriodicDataSet data = SmallTest();
    data.SampleCapacity = 0;
    const ReadBook book = readCells(write(data));
    EXPECT_EQ(book.cells.size(), 5u + 7u);
    EXPECT_EQ(At(book, "A7"), nullptr);
    ExpectText(book, "H5", "Seven               ");
}

// ---- exact readings ------------------------------------------------------------------------------

// Regression: libxlsxwriter alone prints 16 significant digits, and -0.14f widened came back as
// -0.1400000005960464 instead of -0.14000000059604645.
TEST_P(ReadBack, EveryReadingReadsBackAsExactlyTheWidenedFloat) {
    PeriodicDataSet data;
    data.Size(400);
    data.HeaderValues = {5, 400};
    std::uint32_t bits = 0x2545F491;
    for (int r = 0; r < 400; ++r) {
        for (int k = 0; k < kChannelCount; ++k) {
            bits = bits * 1664525u + 1013904223u;
            float v = std::bit_cast<float>(bits);
            data.PeriodicData[std::size_t(k)][std::size_t(r)] = std::isfinite(v) ? v : float(r) * 0.37f;
        }
    }
    const ReadBook book = readCells(write(data));
    int checked = 0;
    for (int r = 0; r < 400; ++r) {
        for (int k = 0; k < kChannelCount; ++k) {
            const ReadCell* c = At(book, Ref(6 + r, 1 + k));
            ASSERT_NE(c, nullptr);
            const double wrote = double(data.PeriodicData[std::size_t(k)][std::size_t(r)]);
            ASSERT_TRUE(SameBits(c->number, wrote)) << c->text.toStdString() << " for " << wrote;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2800);
    ExpectNumber(book, "A406", 2000); // 400 x 5
}

TEST_P(ReadBack, ReadingsThatAreNotNumbersBecomeTheErrorNum) {
    PeriodicDataSet data = SmallTest();
    data.PeriodicData[0][1] = std::numeric_limits<float>::quiet_NaN();
    data.PeriodicData[1][1] = std::numeric_limits<float>::infinity();
    const QString path = write(data);
    const ReadBook book = corvin::testing::ReadWithPython(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    for (const char* ref : {"B8", "C8"}) {
        ASSERT_NE(At(book, ref), nullptr);
        EXPECT_EQ(At(book, ref)->kind, QStringLiteral("error"));
        EXPECT_EQ(At(book, ref)->text, QStringLiteral("#NUM!"));
    }
    ExpectNumber(book, "D8", 3);
}

TEST_P(ReadBack, NamesBeyondLatin1Survive) {
    PeriodicDataSet data = SmallTest();
    data.ChannelNames[0] = QString::fromUtf8("€ 5 µA café").leftJustified(20);
    const ReadBook book = readCells(write(data));
    ExpectText(book, "B5", QString::fromUtf8("€ 5 µA café").leftJustified(20));
}

// ---- column widths ---------------------------------------------------------------------------------

// Column A is fitted to A1..A5 once A5 is written (not to the times below), columns B..H to the
// header row once it is written (not to the readings): a column is as wide as its widest text then,
// in the workbook's default font, plus the cell padding.
TEST_P(ReadBack, ColumnsAreFittedToTheTitleBlockAndTheNamesNotToTheRows) {
    PeriodicDataSet data = SmallTest();
    data.HeaderValues[0] = 30000; // long times, which the fit of column A never saw
    const ReadBook book = corvin::testing::ReadWithPython(write(data));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    const DefaultFont font =
        GetParam().format == WorkbookFormat::Xls ? DefaultFont::Arial10 : DefaultFont::Calibri11;
    const auto stored = [font](const QStringList& texts) {
        return ColumnWidths::StoredWidth256(ColumnWidths::WidestPixels(texts, font)) / 256.0;
    };
    ASSERT_EQ(book.widths.size(), 8u);
    EXPECT_DOUBLE_EQ(book.widths.at("A"), stored({"Periodic Data Import", GeneralDateTimeText(kStart),
                                                  "Logging Time Inteval (s) =", "Time Increment (s)"}));
    EXPECT_DOUBLE_EQ(book.widths.at("B"), stored({"30000", data.ChannelNames[0]})); // B3 and B5
    for (int k = 1; k < kChannelCount; ++k)
        EXPECT_DOUBLE_EQ(book.widths.at(Column(1 + k)), stored({data.ChannelNames[std::size_t(k)]}));

    // Wider names, wider columns; a blank name is 20 spaces wide; the long readings of column H
    // (123456.789) are not.
    EXPECT_GT(book.widths.at("F"), book.widths.at("C")); // "Guard ring electrode" > "Cathode µA"
    EXPECT_GT(book.widths.at("C"), book.widths.at("G")); // "Cathode µA" > "x"
    EXPECT_DOUBLE_EQ(book.widths.at("D"), stored({QString(20, QLatin1Char(' '))}));
    EXPECT_GT(book.widths.at("A"), 20.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, ReadBack,
                         ::testing::Values(Format{WorkbookFormat::Xls, "xls"},
                                           Format{WorkbookFormat::Xlsx, "xlsx"}),
                         [](const auto& info) { return std::string(info.param.suffix); });

// ---- the largest test and the library's own failures ------------------------------------------------

// 32,767 rows need more than one sector of the compound document's allocation table: the last row
// still reads back.
TEST(XlsReadBack, TheLargestTestReadsBackToItsLastRow) {
    TempHome home;
    PeriodicDataSet data;
    data.Size(32767);
    data.HeaderValues = {30, 32767};
    for (int k = 0; k < kChannelCount; ++k)
        data.PeriodicData[std::size_t(k)][32766] = float(k) + 0.5f;
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(data, kStart, ExportCaller::ConvertButton, sheet));
    const QString path = home.file(QStringLiteral("big.xls"));
    ASSERT_TRUE(WriteWorkbook(path, WorkbookFormat::Xls, sheet));
    const ReadBook book = corvin::testing::ReadWithFreexl(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ExpectNumber(book, "A32773", 30.0 * 32767);
    ExpectNumber(book, "H32773", 6.5);
    EXPECT_EQ(book.cells.size(), 5u + 7u + 32767u * 8u);
}

// libxlsxwriter accepts any path when a workbook is begun and reports a bad one only when it is
// closed: that report is the failure.
TEST(XlsxWorkbook, AFolderLibxlsxwriterCannotWriteIsReported) {
    SheetCells sheet;
    sheet.setText(0, 0, QStringLiteral("x"));
    QByteArray out;
    TempHome home;
    const Status s =
        XlsxWorkbook::Encode(sheet, kWorkbookSheetNames, out, home.file(QStringLiteral("missing/folder")));
    EXPECT_FALSE(s);
    EXPECT_EQ(s.message(), QStringLiteral("Error creating output xlsx file. Usually a permissions error."));
    EXPECT_TRUE(out.isEmpty());
}

} // namespace

// The workbooks the export writes, read back by readers that share no code with ours: libfreexl
// and xlrd for .xls, openpyxl for .xlsx, gnumeric for both. Every cell kind and value of a small test, a test
// without rows, the column widths and the fit order, exact readings and awkward values.
#include "datafiles/ColumnWidths.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/XlsxWorkbook.h"

#include "WorkbookReaders.h"
#include "support/FailingFiles.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::FailingFiles;
using corvin::testing::ReadBook;
using corvin::testing::ReadCell;
using corvin::testing::TempHome;

namespace {

const QDateTime kStart(QDate(2026, 3, 14), QTime(15, 9, 26));

// The small test: three rows at 10 s, a blank channel name, and readings that only a double
// widened from the float holds exactly.
PeriodicDataSet SmallTest() {
    PeriodicDataSet data;
    data.resize(3);
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
    return QString::fromLatin1(XlsxWorkbook::cellReference(0, col)).chopped(1);
}

QString Ref(int row, int col) {
    return QString::fromLatin1(XlsxWorkbook::cellReference(row, col));
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

// Regression: with 16 significant digits -0.14f widened came back as -0.1400000005960464 instead of
// -0.14000000059604645.
TEST_P(ReadBack, EveryReadingReadsBackAsExactlyTheWidenedFloat) {
    PeriodicDataSet data;
    data.resize(400);
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
        return ColumnWidths::storedWidth256(ColumnWidths::widestPixels(texts, font)) / 256.0;
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

// ---- gnumeric and LibreOffice ----------------------------------------------------------------------

// Regression: gnumeric read a few of the shortest round-trip texts one unit in the last place off.
void ExpectEveryReadingExact(const ReadBook& book, const PeriodicDataSet& data, int rows) {
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_EQ(book.sheets, QStringList({"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_TRUE(book.othersEmpty);
    ExpectText(book, "A1", "Periodic Data Import");
    ExpectText(book, "B3", "1"); // the text, not the number
    ExpectText(book, "C5", QString::fromUtf8("Cathode µA          "));
    int exact = 0;
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k) {
            const ReadCell* c = At(book, Ref(6 + r, 1 + k));
            ASSERT_NE(c, nullptr);
            exact += SameBits(c->number, double(data.PeriodicData[std::size_t(k)][std::size_t(r)]));
        }
    }
    EXPECT_EQ(exact, rows * kChannelCount);
    ExpectNumber(book, Ref(5 + rows, 0), rows);
}

// 2000 rows of arbitrary floats: 14,000 readings, which each reader takes seconds for.
PeriodicDataSet ArbitraryReadings(int rows) {
    PeriodicDataSet data;
    data.resize(rows);
    data.HeaderValues = {1, int16_t(rows)};
    std::uint32_t bits = 0x9E3779B9;
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k) {
            bits = bits * 1664525u + 1013904223u;
            const float v = std::bit_cast<float>(bits);
            data.PeriodicData[std::size_t(k)][std::size_t(r)] = std::isfinite(v) ? v : float(r) * 0.37f;
        }
    }
    data.ChannelNames = SmallTest().ChannelNames;
    return data;
}

TEST_P(ReadBack, GnumericReadsTheCellsAndEveryReadingExactly) {
    if (!corvin::testing::HaveGnumeric())
        GTEST_SKIP() << "gnumeric's ssconvert is not installed (scripts/install-deps installs it)";
    const PeriodicDataSet data = ArbitraryReadings(2000);
    ExpectEveryReadingExact(corvin::testing::ReadWithGnumeric(write(data)), data, 2000);
}

TEST_P(ReadBack, LibreOfficeReadsTheCellsAndEveryReadingExactly) {
    if (!corvin::testing::HaveLibreOffice())
        GTEST_SKIP() << "LibreOffice is not installed (apt-get install libreoffice-calc-nogui)";
    const PeriodicDataSet data = ArbitraryReadings(2000);
    ExpectEveryReadingExact(corvin::testing::ReadWithLibreOffice(write(data)), data, 2000);
}

// ---- awkward names ----------------------------------------------------------------------------------

// A name read from a padded file holds NUL bytes; both formats show them as spaces. A text that
// looks like the .xlsx escape of a character comes back as it was.
TEST_P(ReadBack, NamesWithNulBytesOrEscapeLikeTextShowTheSameTwentyCharacters) {
    PeriodicDataSet data = SmallTest();
    data.ChannelNames[0] = QStringLiteral("Anode") + QString(15, QChar(u'\0'));
    data.ChannelNames[1] = QString::fromUtf8("A\0B", 3).leftJustified(20);
    data.ChannelNames[2] = QStringLiteral("_x0041_ _x00e9_").leftJustified(20);
    const ReadBook book = readCells(write(data));
    ExpectText(book, "B5", QStringLiteral("Anode").leftJustified(20));
    ExpectText(book, "C5", QStringLiteral("A B").leftJustified(20));
    ExpectText(book, "D5", QStringLiteral("_x0041_ _x00e9_").leftJustified(20));
}

// ---- document properties ------------------------------------------------------------------------------

TEST_P(ReadBack, DocumentPropertiesReadBackAndTheSheetStaysAsItIs) {
    if (GetParam().format == WorkbookFormat::Xls && !corvin::testing::HaveGnumeric())
        GTEST_SKIP() << "gnumeric's ssconvert reads the custom properties of .xls files; it is not installed";
    WorkbookProperties p;
    p.title = QString::fromUtf8("Probe P7 – acceptance");
    p.subject = QStringLiteral("MULTIQ test");
    p.author = QStringLiteral("operator");
    p.keywords = QStringLiteral("HIGH 10 uA");
    p.comments = QString::fromUtf8("a note with <&> and µA");
    p.custom = {{QStringLiteral("probe"), QString::fromUtf8("P7 µ")},
                {QStringLiteral("full scale uA"), 10.0},
                {QStringLiteral("rows"), 4500.0},
                {QStringLiteral("probe"), QStringLiteral("a second of one name is dropped")},
                {QStringLiteral("sha256"), QStringLiteral("0123abcd")}};
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(SmallTest(), kStart, ExportCaller::LiveTest, sheet));
    const QString path = home.file(QStringLiteral("props.") + QString::fromLatin1(GetParam().suffix));
    ASSERT_TRUE(WriteWorkbook(path, GetParam().format, sheet, AtomicFileFactory(), p));

    const QJsonObject read = corvin::testing::ReadProperties(path);
    ASSERT_FALSE(read.contains(QStringLiteral("error"))) << read.value("error").toString().toStdString();
    const QJsonObject core = read.value(QStringLiteral("core")).toObject();
    EXPECT_EQ(core.value("title").toString(), p.title);
    EXPECT_EQ(core.value("subject").toString(), p.subject);
    EXPECT_EQ(core.value("author").toString(), p.author);
    EXPECT_EQ(core.value("keywords").toString(), p.keywords);
    EXPECT_EQ(core.value("comments").toString(), p.comments);
    const QJsonObject custom = read.value(QStringLiteral("custom")).toObject();
    EXPECT_EQ(custom.size(), 4);
    EXPECT_EQ(custom.value("probe").toString(), QString::fromUtf8("P7 µ"));
    EXPECT_EQ(custom.value("sha256").toString(), QStringLiteral("0123abcd"));
    EXPECT_EQ(custom.value("rows").toDouble(), 4500.0);
    if (GetParam().format == WorkbookFormat::Xlsx) { // gnumeric drops numbers it converts to .xlsx
        EXPECT_EQ(custom.value("full scale uA").toDouble(), 10.0);
    }

    // Sheet1 as without properties.
    const ReadBook with = readCells(path);
    const ReadBook without = readCells(write(SmallTest(), ExportCaller::LiveTest));
    ASSERT_EQ(with.cells.size(), without.cells.size());
    for (const auto& [ref, cell] : without.cells) {
        ASSERT_NE(At(with, ref), nullptr) << ref.toStdString();
        EXPECT_EQ(At(with, ref)->text, cell.text) << ref.toStdString();
        EXPECT_TRUE(SameBits(At(with, ref)->number, cell.number)) << ref.toStdString();
    }
}

// ---- a full disc -----------------------------------------------------------------------------------------

// The disc fills at offsets spread over the whole workbook, and at each of its first and last
// bytes: the save fails with the system's reason and the old file is as it was.
TEST_P(ReadBack, ADiscThatFillsAtAnyOffsetKeepsTheOldFile) {
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(SmallTest(), kStart, ExportCaller::ConvertButton, sheet));
    WorkbookProperties fixed; // the same bytes at every write, whatever the clock says
    fixed.created = kStart;
    QByteArray whole;
    ASSERT_TRUE(EncodeWorkbook(sheet, GetParam().format, whole, fixed));
    const QString path = home.file(QStringLiteral("old.") + QString::fromLatin1(GetParam().suffix));
    ASSERT_TRUE(TempHome::write(path, "an older workbook"));
    std::vector<qint64> offsets;
    for (qint64 at = 0; at < 64; ++at)
        offsets.push_back(at);
    for (qint64 at = 64; at < whole.size() - 64; at += std::max<qint64>(1, whole.size() / 200))
        offsets.push_back(at);
    for (qint64 at = whole.size() - 64; at < whole.size(); ++at)
        offsets.push_back(at);
    for (const qint64 at : offsets) {
        const FailingFiles full = FailingFiles::AtByte(at);
        const Status s = WriteWorkbook(path, GetParam().format, sheet, full, fixed);
        ASSERT_FALSE(s) << "offset " << at;
        EXPECT_EQ(s.message(), QStringLiteral("No space left on device"));
        ASSERT_EQ(TempHome::read(path), QByteArray("an older workbook")) << "offset " << at;
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList({QFileInfo(path).fileName()}));
    // With room for every byte the save goes through.
    EXPECT_TRUE(WriteWorkbook(path, GetParam().format, sheet, FailingFiles::AtByte(whole.size()), fixed));
    EXPECT_EQ(TempHome::read(path).size(), whole.size());
}

INSTANTIATE_TEST_SUITE_P(Formats, ReadBack,
                         ::testing::Values(Format{WorkbookFormat::Xls, "xls"},
                                           Format{WorkbookFormat::Xlsx, "xlsx"}),
                         [](const auto& info) { return std::string(info.param.suffix); });

// ---- the escapes of shared strings -------------------------------------------------------------------

TEST(XlsxWorkbook, TextsAreEscapedAsTheFormatAsks) {
    const struct {
        QString text;
        QByteArray xml;
    } cases[] = {
        {QStringLiteral("a<b>&\"c"), "a&lt;b&gt;&amp;&quot;c"},
        {QStringLiteral("_x0041_"), "_x005F_x0041_"},
        {QStringLiteral("x_x00e9_y"), "x_x005F_x00e9_y"},
        {QStringLiteral("_x004_ _xABCD _x00G1_"), "_x004_ _xABCD _x00G1_"},
        {QString(1, QChar(u'\0')), "_x0000_"},
        {QStringLiteral("\x01\t\n\r"), "_x0001_\t\n_x000D_"},
        {QString::fromUtf8("µ€😀"), "\xc2\xb5\xe2\x82\xac\xf0\x9f\x98\x80"},
        {QString(1, QChar(0xD800)) + QChar(0xFFFE), "_xD800__xFFFE_"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XlsxWorkbook::escapedText(c.text), c.xml) << c.text.toStdString();
}

// ---- the largest test ------------------------------------------------

// 32,767 rows need more than one sector of the compound document's allocation table: the last row
// still reads back.
TEST(XlsReadBack, TheLargestTestReadsBackToItsLastRow) {
    TempHome home;
    PeriodicDataSet data;
    data.resize(32767);
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

} // namespace

// The spreadsheet export without a window: the progress steps, how the sheet is filled and in what
// order, the format a chosen name asks for, and the export's dialog, cancel and failure.
#include "datafiles/SpreadsheetExport.h"

#include "support/FailingFiles.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::platform::Icon;
using corvin::testing::FailingFiles;
using corvin::testing::ScriptedDialogs;
using corvin::testing::TempHome;

namespace {

const QDateTime kStart(QDate(2026, 3, 14), QTime(15, 9, 26));

PeriodicDataSet DataOf(int16_t rows, int16_t interval = 10) {
    PeriodicDataSet data;
    data.resize(rows);
    data.SampleCount = rows;
    data.HeaderValues = {interval, rows};
    for (int k = 0; k < kChannelCount; ++k) {
        data.ChannelNames[std::size_t(k)] = QStringLiteral("Ch%1").arg(k + 1).leftJustified(20);
        for (int r = 0; r < rows; ++r)
            data.PeriodicData[std::size_t(k)][std::size_t(r)] = float(r) + float(k) / 10.0f;
    }
    return data;
}

// ---- progress ------------------------------------------------------------------------------------

struct StepsCase {
    int rows;
    std::array<int, 7> steps;
};

class Steps : public ::testing::TestWithParam<StepsCase> {};

TEST_P(Steps, GrowByASeventhRoundedAndTheLastIsCapped) {
    EXPECT_EQ(ProgressSteps(GetParam().rows), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Rows, Steps,
                         ::testing::Values(StepsCase{4500, {643, 1286, 1929, 2572, 3215, 3858, 4500}},
                                           StepsCase{10, {1, 2, 3, 4, 5, 6, 7}},
                                           StepsCase{20, {3, 6, 9, 12, 15, 18, 20}},
                                           StepsCase{3, {0, 0, 0, 0, 0, 0, 0}},
                                           StepsCase{0, {0, 0, 0, 0, 0, 0, 0}}));

// ---- filling the sheet ---------------------------------------------------------------------------

class RecordingProgress : public ExportProgress {
public:
    QStringList events;
    void headerWritten() override { events << QStringLiteral("header"); }
    void columnWritten(int value) override { events << QString::number(value); }
};

TEST(FillSheet, TellsTheHeaderThenEveryColumnWithItsStep) {
    RecordingProgress progress;
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(DataOf(10), kStart, ExportCaller::ConvertButton, sheet, &progress));
    EXPECT_EQ(progress.events, QStringList({"header", "1", "2", "3", "4", "5", "6", "7"}));

    // Also a test without rows reports all seven columns.
    progress.events.clear();
    SheetCells empty;
    ASSERT_TRUE(FillPeriodicSheet(DataOf(0), kStart, ExportCaller::ConvertButton, empty, &progress));
    EXPECT_EQ(progress.events.size(), 8);
}

TEST(FillSheet, FitsColumnAToTheTitleBlockAndBToHToTheHeaderRow) {
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(DataOf(3, 25), kStart, ExportCaller::ConvertButton, sheet));
    EXPECT_EQ(*sheet.fittedTexts(0), QStringList({"Periodic Data Import", GeneralDateTimeText(kStart),
                                                  "Logging Time Inteval (s) =", "Time Increment (s)"}));
    EXPECT_EQ(*sheet.fittedTexts(1), QStringList({"25", "Ch1                 "}));
    EXPECT_EQ(*sheet.fittedTexts(7), QStringList({"Ch7                 "}));
    EXPECT_FALSE(sheet.fittedTexts(8).has_value());
}

struct KindsCase {
    ExportCaller caller;
    CellKind a2;
    CellKind b3;
};

class Kinds : public ::testing::TestWithParam<KindsCase> {};

TEST_P(Kinds, OfA2AndB3DependOnTheCaller) {
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(DataOf(1), kStart, GetParam().caller, sheet));
    EXPECT_EQ(sheet.cell(1, 0)->kind, GetParam().a2);
    EXPECT_EQ(sheet.cell(2, 1)->kind, GetParam().b3);
    if (GetParam().b3 == CellKind::Number)
        EXPECT_EQ(sheet.cell(2, 1)->number, 10.0);
    else
        EXPECT_EQ(sheet.cell(2, 1)->text, QStringLiteral("10"));
}

INSTANTIATE_TEST_SUITE_P(
    Callers, Kinds,
    ::testing::Values(KindsCase{ExportCaller::LiveTest, CellKind::Text, CellKind::Text},
                      KindsCase{ExportCaller::ConvertButton, CellKind::Text, CellKind::Text},
                      KindsCase{ExportCaller::ConvertMenu, CellKind::DateTime, CellKind::Number}));

// Regression: under en_US A2 read "3/14/26 15:09:26".
TEST(FillSheet, A2SpellsTheYearWithFourDigitsInEveryLocale) {
    const struct {
        const char* locale;
        const char* text;
    } cases[] = {
        {"en_US", "3/14/2026 15:09:26"},
        {"en_GB", "14/03/2026 15:09:26"},
        {"de_DE", "14.03.2026 15:09:26"},
        {"ja_JP", "2026/03/14 15:09:26"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(GeneralDateTimeText(kStart, QLocale(QString::fromLatin1(c.locale))),
                  QString::fromUtf8(c.text));
    }
}

TEST(FillSheet, NamesAreAlwaysTwentyCharacters) {
    PeriodicDataSet data = DataOf(1);
    data.ChannelNames[0] = QStringLiteral("short");
    data.ChannelNames[1] = QString();
    data.ChannelNames[2] = QStringLiteral("a name longer than twenty");
    SheetCells sheet;
    ASSERT_TRUE(FillPeriodicSheet(data, kStart, ExportCaller::ConvertButton, sheet));
    EXPECT_EQ(sheet.cell(4, 1)->text, QStringLiteral("short               "));
    EXPECT_EQ(sheet.cell(4, 2)->text, QString(20, QLatin1Char(' ')));
    EXPECT_EQ(sheet.cell(4, 3)->text, QStringLiteral("a name longer than t"));
}

TEST(FillSheet, ArraysShorterThanTheRowCountAreRefused) {
    PeriodicDataSet data = DataOf(3);
    data.SampleCapacity = 5;
    SheetCells sheet;
    const Status s = FillPeriodicSheet(data, kStart, ExportCaller::ConvertButton, sheet);
    EXPECT_FALSE(s);
    EXPECT_TRUE(sheet.isEmpty());
}

// ---- the chosen name ------------------------------------------------------------------------------

struct NameCase {
    const char* chosen;
    WorkbookFormat format;
    const char* written;
};

class Names : public ::testing::TestWithParam<NameCase> {};

TEST_P(Names, PickTheFormatAndGetXlsWhenTheyHaveNoExtension) {
    QString path = QString::fromLatin1(GetParam().chosen);
    EXPECT_EQ(FormatForName(path), GetParam().format);
    EXPECT_EQ(path, QString::fromLatin1(GetParam().written));
}

INSTANTIATE_TEST_SUITE_P(Chosen, Names,
                         ::testing::Values(NameCase{"/d/run.xls", WorkbookFormat::Xls, "/d/run.xls"},
                                           NameCase{"/d/RUN.XLS", WorkbookFormat::Xls, "/d/RUN.XLS"},
                                           NameCase{"/d/run", WorkbookFormat::Xls, "/d/run.xls"},
                                           NameCase{"/d/run.", WorkbookFormat::Xls, "/d/run.xls"},
                                           NameCase{"/d/run.xlsx", WorkbookFormat::Xlsx, "/d/run.xlsx"},
                                           NameCase{"/d/Run.XlSx", WorkbookFormat::Xlsx, "/d/Run.XlSx"},
                                           NameCase{"/d.v2/run", WorkbookFormat::Xls, "/d.v2/run.xls"},
                                           NameCase{"/d/run.data", WorkbookFormat::Xls, "/d/run.data"}));

// ---- the export ---------------------------------------------------------------------------------

class Export : public ::testing::Test {
protected:
    TempHome home;
    ScriptedDialogs dialogs;
    platform::FileDialog dialog;
    PeriodicDataSet data = DataOf(4);

    ExportResult run(const AtomicFileFactory* files = nullptr) {
        ExportRequest request;
        request.caller = ExportCaller::ConvertButton;
        request.start = kStart;
        request.dialog = &dialog;
        request.files = files;
        return ExportPeriodicData(data, dialogs, request);
    }
};

TEST_F(Export, SetsTheDialogAndKeepsTheCallersTitleAndFolder) {
    dialog.title = QStringLiteral("kept title");
    dialog.initialFolder = home.file(QStringLiteral("Data"));
    dialog.fileName = QStringLiteral("left over");
    run();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    const platform::FileDialog& shown = dialogs.fileDialogs[0];
    EXPECT_EQ(shown.title, QStringLiteral("kept title"));
    EXPECT_EQ(shown.initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_TRUE(shown.fileName.isEmpty());
    EXPECT_EQ(shown.filter, QStringLiteral("Data Files (*.XLS)|*.XLS|Excel Workbook (*.xlsx)|*.xlsx"));
    EXPECT_EQ(shown.flags, 33802);
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("Data"))).isDir()); // made when missing
}

TEST_F(Export, ACancelWritesNothingShowsNothingAndLeavesTheDataToTheCaller) {
    const ExportResult r = run();
    EXPECT_EQ(r.outcome, ExportOutcome::Cancelled);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(data.PeriodicData[0].size(), 5u);
}

TEST_F(Export, ASavedExportErasesTheArrays) {
    dialogs.saveFiles = {home.file(QStringLiteral("saved"))};
    const ExportResult r = run();
    EXPECT_EQ(r.outcome, ExportOutcome::Saved);
    EXPECT_EQ(r.path, home.file(QStringLiteral("saved.xls")));
    EXPECT_TRUE(QFileInfo::exists(r.path));
    EXPECT_TRUE(data.PeriodicData[0].empty());
}

TEST_F(Export, AFailureIsShownWithItsDescriptionAsTitleAndKeepsTheDataAndTheOldFile) {
    for (const char* name : {"old.xls", "old.xlsx"}) {
        SCOPED_TRACE(name);
        dialogs.messages.clear();
        const QString path = home.file(QString::fromLatin1(name));
        ASSERT_TRUE(TempHome::write(path, "an older workbook"));
        dialogs.saveFiles = {path};
        const FailingFiles failing = FailingFiles::OnWrite(1);
        const ExportResult r = run(&failing);
        EXPECT_EQ(r.outcome, ExportOutcome::Failed);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Problems Writing Excel File"));
        EXPECT_EQ(dialogs.messages[0].icon, Icon::Information);
        EXPECT_EQ(dialogs.messages[0].buttons, platform::Buttons::Ok);
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("No space left on device"));
        EXPECT_EQ(TempHome::read(path), QByteArray("an older workbook"));
        EXPECT_EQ(data.PeriodicData[3].size(), 5u);
    }
}

} // namespace

// The conversion utility: its state table, the differences between its buttons and its menu, the
// keys that work anywhere in it, and what a cancelled or failed conversion leaves.
#include "datafiles/frmDataEntry.h"
#include "datafiles/TestDataFile.h"

#include "WorkbookReaders.h"
#include "support/FailingFiles.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvin;
using corvin::datafiles::frmDataEntry;
using corvin::platform::Icon;
using corvin::testing::FailingFiles;
using corvin::testing::ScriptedDesktop;
using corvin::testing::TempHome;

namespace {

const QString kFileLoaded = QStringLiteral("File Loaded");
const QString kNoFileLoaded = QStringLiteral("No File Loaded");

class DataEntry : public ::testing::Test {
protected:
    TempHome home;
    SharedState state;
    ScriptedDesktop desk;
    std::unique_ptr<frmDataEntry> window;
    QString dat;

    void SetUp() override {
        state.folders.Home = home.path();
        dat = writeDat(QStringLiteral("run.DAT"), 10);
        window = std::make_unique<frmDataEntry>(state, desk.desktop);
    }

    QString writeDat(const QString& name, int16_t rows) {
        PeriodicDataSet data;
        data.resize(rows);
        for (int r = 0; r < rows; ++r)
            data.PeriodicData[0][std::size_t(r)] = float(r) / 10.0f;
        const std::array<QString, kChannelCount> names = {"Anode", "Cathode", "",     "Guard",
                                                          "Five",  "Six",     "Seven"};
        const QString path = home.file(name);
        EXPECT_TRUE(datafiles::WriteTestDataFile(path, data, 15, names));
        return path;
    }

    QPushButton* button(const char* name) const {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString name(int k) const {
        return window->findChild<QLabel*>(QStringLiteral("Label8_%1").arg(k - 1))->text();
    }
    QLabel* activity() const { return window->findChild<QLabel*>(QStringLiteral("Label9")); }
    QStringList messages() const { return desk.dialogs.messageTexts(); }

    void open(const QString& path) {
        desk.dialogs.openFiles = {path};
        window->cmdConvirt_Click();
    }
};

// ---- the state table ----------------------------------------------------------------------------

TEST_F(DataEntry, OpenConvertConvertAgainUnloadAndUnloadAgain) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Data File Conversion Utility"));
    EXPECT_EQ(window->statusText(), kNoFileLoaded);
    EXPECT_EQ(button("cmdConvirt")->text(), QStringLiteral("Open (.DAT) File"));

    open(dat);
    const platform::FileDialog& opened = desk.dialogs.fileDialogs.back();
    EXPECT_EQ(opened.title, QStringLiteral("Open DAT File"));
    EXPECT_EQ(opened.initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_EQ(opened.filter, QStringLiteral("Data Files (*.DAT)|*.DAT"));
    EXPECT_EQ(opened.flags, 33802);
    EXPECT_TRUE(window->fileLoaded());
    EXPECT_EQ(window->statusText(), kFileLoaded);
    EXPECT_EQ(name(1), QStringLiteral("Anode               "));
    EXPECT_EQ(name(3), QString(20, QLatin1Char(' ')));
    EXPECT_EQ(state.periodic.SampleCapacity, 10);
    EXPECT_TRUE(button("cmdSaveFile")->isEnabled());
    EXPECT_FALSE(activity()->isVisibleTo(window.get()));

    desk.dialogs.saveFiles = {home.file(QStringLiteral("out.xls"))};
    window->cmdSaveFile_Click();
    const platform::FileDialog& saved = desk.dialogs.fileDialogs.back();
    EXPECT_EQ(saved.title, QStringLiteral("Test Option SaveAs XLS File"));
    EXPECT_EQ(saved.initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_EQ(saved.filter, QStringLiteral("Data Files (*.XLS)|*.XLS|Excel Workbook (*.xlsx)|*.xlsx"));
    EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("out.xls"))));
    EXPECT_TRUE(window->alreadyConverted());
    EXPECT_TRUE(button("cmdConvirt")->isEnabled());
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());

    // A second convert does nothing and leaves Open disabled.
    const std::size_t dialogs = desk.dialogs.fileDialogs.size();
    window->cmdSaveFile_Click();
    EXPECT_EQ(desk.dialogs.fileDialogs.size(), dialogs);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_FALSE(button("cmdConvirt")->isEnabled());

    window->cmdUnload_Click();
    EXPECT_FALSE(window->fileLoaded());
    EXPECT_FALSE(window->alreadyConverted());
    EXPECT_EQ(window->statusText(), kNoFileLoaded);
    EXPECT_TRUE(name(1).isEmpty());
    EXPECT_TRUE(button("cmdConvirt")->isEnabled());

    window->cmdUnload_Click();
    ASSERT_EQ(messages(), QStringList({"No File to Unload"}));
    EXPECT_EQ(desk.dialogs.lastMessage().icon, Icon::Information);
}

TEST_F(DataEntry, AFinishedConversionNamesTheWorkbookInTheStatusLine) {
    open(dat);
    const QString out = home.file(QStringLiteral("out.xlsx"));
    desk.dialogs.saveFiles = {out};
    window->cmdSaveFile_Click();
    ASSERT_TRUE(QFileInfo::exists(out));
    EXPECT_EQ(window->statusText(), QStringLiteral("Workbook written to ") + out);
}

TEST_F(DataEntry, ConvertWithoutAFileSaysSoOnceAndThenDoesNothingUntilAFileIsOpened) {
    window->cmdSaveFile_Click();
    ASSERT_EQ(messages(), QStringList({"No (.DAT) File Loaded"}));
    EXPECT_EQ(desk.dialogs.lastMessage().icon, Icon::Information);
    EXPECT_TRUE(button("cmdConvirt")->isEnabled());
    window->cmdSaveFile_Click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_FALSE(button("cmdConvirt")->isEnabled());

    open(dat);
    desk.dialogs.saveFiles = {home.file(QStringLiteral("now.xlsx"))};
    window->cmdSaveFile_Click();
    EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("now.xlsx"))));
}

TEST_F(DataEntry, ACancelledOpenClearsEverything) {
    open(dat);
    desk.dialogs.openFiles = {std::nullopt};
    window->cmdConvirt_Click();
    EXPECT_FALSE(window->fileLoaded());
    EXPECT_EQ(window->statusText(), kNoFileLoaded);
    EXPECT_TRUE(name(2).isEmpty());
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());
    EXPECT_TRUE(button("cmdSaveFile")->isEnabled());
}

// Regression: the legacy export erased the data on a cancelled save; here the utility unloads
// the file, which is still on disc.
TEST_F(DataEntry, ACancelledSaveUnloadsTheFile) {
    open(dat);
    window->cmdSaveFile_Click(); // the save dialog is cancelled
    EXPECT_FALSE(window->fileLoaded());
    EXPECT_FALSE(window->alreadyConverted());
    EXPECT_EQ(window->statusText(), kNoFileLoaded);
    EXPECT_TRUE(name(1).isEmpty());
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());
    EXPECT_TRUE(button("cmdConvirt")->isEnabled());
    EXPECT_FALSE(activity()->isVisibleTo(window.get()));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DataEntry, AFailedSaveKeepsTheFileLoadedSoConvertCanBeRepeated) {
    FailingFiles failing = FailingFiles::AtCommit();
    window = std::make_unique<frmDataEntry>(state, desk.desktop, nullptr, &failing);
    open(dat);
    const QString out = home.file(QStringLiteral("out.xls"));
    desk.dialogs.saveFiles = {out, out};
    window->cmdSaveFile_Click();
    ASSERT_EQ(messages(), QStringList({"Problems Writing Excel File"}));
    EXPECT_EQ(desk.dialogs.lastMessage().title, QStringLiteral("No space left on device"));
    EXPECT_TRUE(window->fileLoaded());
    EXPECT_FALSE(window->alreadyConverted());
    EXPECT_FALSE(button("cmdConvirt")->isEnabled());
    EXPECT_FALSE(activity()->isVisibleTo(window.get()));
    EXPECT_FALSE(QFileInfo::exists(out));

    window->cmdSaveFile_Click();
    EXPECT_TRUE(QFileInfo::exists(out));
    EXPECT_TRUE(window->alreadyConverted());
}

TEST_F(DataEntry, AFileTheReaderRefusesIsReportedWithTheReasonAsTitle) {
    const QString bad = home.file(QStringLiteral("short.DAT"));
    ASSERT_TRUE(TempHome::write(bad, QByteArray(100, 'x')));
    open(dat);
    open(bad);
    ASSERT_EQ(messages(), QStringList({"Problems Reading File Back Corrupted Data ! "}));
    EXPECT_EQ(desk.dialogs.lastMessage().title,
              QStringLiteral("The file is 100 bytes long; a test data file holds at least 216 bytes"));
    EXPECT_EQ(desk.dialogs.lastMessage().buttons, platform::Buttons::Ok);
    EXPECT_FALSE(window->fileLoaded());
    EXPECT_EQ(window->statusText(), kNoFileLoaded);
    EXPECT_TRUE(name(1).isEmpty());
    EXPECT_TRUE(button("cmdSaveFile")->isEnabled());
    EXPECT_TRUE(button("cmdConvirt")->isEnabled());
}

TEST_F(DataEntry, TheProgressBarMovesPerColumn) {
    open(writeDat(QStringLiteral("long.DAT"), 20));
    auto* bar = window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    QList<int> values;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { values << v; });
    desk.dialogs.saveFiles = {home.file(QStringLiteral("long.xls"))};
    window->cmdSaveFile_Click();
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 20);
    EXPECT_EQ(values, QList<int>({3, 6, 9, 12, 15, 18, 20, 1}));
}

// ---- the buttons and the menu ---------------------------------------------------------------------

struct NameCase {
    const char* name;
    bool button;
    bool menu;
};

class NameCheck : public DataEntry, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameCheck, OfTheButtonIgnoresCaseAndOfTheMenuDoesNot) {
    const QString path = writeDat(QString::fromLatin1(GetParam().name), 2);
    for (const bool menu : {false, true}) {
        desk.dialogs.messages.clear();
        desk.dialogs.openFiles = {path};
        if (menu)
            window->mnuOpen_Click();
        else
            window->cmdConvirt_Click();
        const bool accepted = menu ? GetParam().menu : GetParam().button;
        EXPECT_EQ(window->fileLoaded(), accepted) << (menu ? "menu" : "button");
        EXPECT_EQ(messages(), accepted ? QStringList() : QStringList({"File must be (.Dat)"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, NameCheck,
                         ::testing::Values(NameCase{"test.Dat", true, false}, NameCase{"run.dat", true, true},
                                           NameCase{"RUN.DAT", true, false},
                                           NameCase{"run.data.xls", true, true},
                                           NameCase{"run.txt", false, false}));

TEST_F(DataEntry, TheMenusDialogsKeepTheTitleAndFolderOfTheirLastUse) {
    // Never set: no title, no folder.
    desk.dialogs.openFiles = {dat};
    window->mnuOpen_Click();
    EXPECT_TRUE(desk.dialogs.fileDialogs.back().title.isEmpty());
    EXPECT_TRUE(desk.dialogs.fileDialogs.back().initialFolder.isEmpty());

    // After the button's open, the menu's save dialog still carries the open's title.
    open(dat);
    desk.dialogs.saveFiles = {home.file(QStringLiteral("menu.xls"))};
    window->mnuConvirt_Click();
    EXPECT_EQ(desk.dialogs.fileDialogs.back().title, QStringLiteral("Open DAT File"));
    EXPECT_EQ(desk.dialogs.fileDialogs.back().initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_EQ(desk.dialogs.fileDialogs.back().filter,
              QStringLiteral("Data Files (*.XLS)|*.XLS|Excel Workbook (*.xlsx)|*.xlsx"));
}

struct ConvertCase {
    bool menu;
    const char* a2Kind;
    const char* b3Kind;
};

class ConvertKinds : public DataEntry, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertKinds, OfA2AndB3) {
    open(dat);
    const QString out = home.file(QStringLiteral("kinds.xls"));
    desk.dialogs.saveFiles = {out};
    if (GetParam().menu)
        window->mnuConvirt_Click();
    else
        window->cmdSaveFile_Click();
    const corvin::testing::ReadBook book = corvin::testing::ReadWithFreexl(out);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_EQ(book.cells.at("A2").kind, QString::fromLatin1(GetParam().a2Kind));
    EXPECT_EQ(book.cells.at("B3").kind, QString::fromLatin1(GetParam().b3Kind));
    EXPECT_EQ(book.cells.at("A8").number, 30.0);
}

INSTANTIATE_TEST_SUITE_P(ButtonAndMenu, ConvertKinds,
                         ::testing::Values(ConvertCase{false, "text", "text"},
                                           ConvertCase{true, "datetime", "number"}));

// The three keys reach the menu's commands from any control of the window.
TEST_F(DataEntry, CtrlOCtrlCAndCtrlURunTheMenusCommandsWhereverTheFocusIs) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QPushButton* exit = button("cmdExit");
    exit->setFocus();

    desk.dialogs.openFiles = {writeDat(QStringLiteral("keys.dat"), 3)}; // the menu wants ".dat"
    QTest::keyClick(exit, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(desk.dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(desk.dialogs.fileDialogs.back().title.isEmpty()); // the menu's open
    EXPECT_TRUE(window->fileLoaded());

    desk.dialogs.saveFiles = {home.file(QStringLiteral("keys.xls"))};
    QTest::keyClick(button("cmdUnload"), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(window->alreadyConverted());
    EXPECT_EQ(corvin::testing::ReadWithFreexl(home.file(QStringLiteral("keys.xls"))).cells.at("B3").kind,
              QStringLiteral("number")); // the menu's convert

    QTest::keyClick(exit, Qt::Key_U, Qt::ControlModifier);
    EXPECT_FALSE(window->fileLoaded());
}

// ---- the window ---------------------------------------------------------------------------------

TEST_F(DataEntry, CannotBeClosedExceptByExitWhichErasesTheData) {
    window->show();
    open(dat);
    EXPECT_FALSE(window->close());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(state.periodic.PeriodicData[0].empty());
    window->cmdExit_Click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());
}

// Regression: the seven name boxes grew to 75 pixels high with the window.
TEST_F(DataEntry, TheNameBoxesStayOneLineHighInATallWindow) {
    window->show();
    window->resize(window->width() * 2, window->height() * 3);
    QApplication::processEvents();
    for (int k = 1; k <= kChannelCount; ++k) {
        const QLabel* box = window->findChild<QLabel*>(QStringLiteral("Label8_%1").arg(k - 1));
        EXPECT_LE(box->height(), box->sizeHint().height()) << k;
    }
}

TEST_F(DataEntry, IsNeverSmallerThanItsMinimumAndCentresOnABackgroundClick) {
    window->show();
    window->resize(100, 100);
    EXPECT_GE(window->width(), 6615 / 15);
    EXPECT_GE(window->height(), 4290 / 15);

    window->move(0, 0);
    const QRect screen = window->screen()->geometry();
    EXPECT_TRUE(window->Centre(2, 2));
    const QPoint centred = window->pos();
    EXPECT_EQ(centred.x(), screen.width() / 2 - window->frameGeometry().width() / 2);

    window->move(0, 0);
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(2, window->height() - 30));
    EXPECT_EQ(window->pos(), centred);
    // A click on a control is not a click on the background.
    window->move(0, 0);
    QTest::mouseClick(window->findChild<QLabel*>(QStringLiteral("Label1")), Qt::LeftButton);
    EXPECT_EQ(window->pos(), QPoint(0, 0));
}

} // namespace

#include "platform/Dialogs.h"
#include "platform/QtDesktop.h"
#include "platform/QtDialogs.h"
#include "platform/QtPrinters.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace corvin::platform;
using corvin::testing::TempHome;

// ---- File dialog filters ---------------------------------------------------------------------

TEST(FileDialogFilter, LegacyPairsBecomeQtFiltersMatchingBothLetterCases) {
    EXPECT_EQ(ToQtFilter(QStringLiteral("Data Files (*.DAT)|*.DAT")),
              QStringLiteral("Data Files (*.DAT *.dat)"));
    EXPECT_EQ(ToQtFilter(QStringLiteral("Data Files (*.XLS)|*.XLS|All (*.*)|*.*")),
              QStringLiteral("Data Files (*.XLS *.xls);;All (*.*)"));
    EXPECT_EQ(ToQtFilter(QString()), QString());
}

TEST(FileDialogFilter, AnEntryOfOneExtensionGivesTheSuffixOfNamesTypedWithoutOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"Data Files (*.XLS *.xls)", "xls"},
        {"Excel Workbook (*.xlsx)", "xlsx"},
        {"All (*.*)", ""},
        {"Pictures (*.png *.jpg)", ""},
        {"No patterns", ""},
        {"Data (*.DAT)", "dat"},
    };
    for (const auto& [filter, suffix] : cases)
        EXPECT_EQ(SuffixOfQtFilter(QString::fromLatin1(filter)), QString::fromLatin1(suffix)) << filter;
}

// ---- The PDF printer -------------------------------------------------------------------------

TEST(PdfPrinter, IsAlwaysInstalledAndPassesThePrinterCheck) {
    TempHome home;
    QtPrinters printers(home.file(QStringLiteral("Printouts")));
    EXPECT_TRUE(printers.names().contains(kPdfPrinterName));
    EXPECT_EQ(printers.orientation(kPdfPrinterName), 1);
    EXPECT_EQ(printers.orientation(QStringLiteral("No such queue")), 0);
}

TEST(PdfPrinter, WritesOnePdfPerJobWithoutReplacingAnEarlierOne) {
    TempHome home;
    QtPrinters printers(home.file(QStringLiteral("Printouts")));
    printers.setDefaultPrinter(kPdfPrinterName);
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);

    ASSERT_TRUE(printers.printImage(picture, Orientation::Landscape, QStringLiteral("Corvin test")).ok());
    ASSERT_TRUE(printers.printImage(picture, Orientation::Landscape, QStringLiteral("Corvin test")).ok());
    // A job name with characters a file name should not carry.
    ASSERT_TRUE(printers.printImage(picture, Orientation::Portrait, QStringLiteral("a/b:c")).ok());

    const QStringList files = QDir(home.file(QStringLiteral("Printouts"))).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"Corvin test (2).pdf", "Corvin test.pdf", "a_b_c.pdf"}));
    EXPECT_TRUE(TempHome::read(home.file(QStringLiteral("Printouts/Corvin test.pdf"))).startsWith("%PDF"));
}

TEST(PdfPrinter, AnUnusableFolderIsReportedNotIgnored) {
    TempHome home;
    ASSERT_TRUE(TempHome::write(home.file(QStringLiteral("Printouts")), "a file, not a folder"));
    QtPrinters printers(home.file(QStringLiteral("Printouts")));
    printers.setDefaultPrinter(kPdfPrinterName);
    QImage picture(10, 10, QImage::Format_RGB32);
    const corvin::Status s = printers.printImage(picture, Orientation::Landscape, QStringLiteral("x"));
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(s.message().isEmpty());
}

// ---- The desktop's dialogs, as the user meets them ---------------------------------------------

namespace {

// Runs `act` on the modal dialog once its event loop runs. Whatever `act` finds, the dialog is
// closed afterwards, so a failing check fails the test instead of leaving it waiting.
void WhenModal(const std::function<void(QWidget&)>& act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            ADD_FAILURE() << "no modal dialog was shown";
            return;
        }
        act(*modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
}

} // namespace

// Regression: Qt made No the escape button of a Yes/No question, so Escape or the close box
// answered "Logging Finished ,  Save Data to Disc ? " with No and the samples were given up.
TEST(QtDialogsQuestion, EscapeAndTheCloseBoxDoNotAnswerIt) {
    QtDialogs dialogs;
    bool openAfterEscape = false;
    bool openAfterClose = false;
    WhenModal([&](QWidget& box) {
        QTest::keyClick(&box, Qt::Key_Escape);
        openAfterEscape = box.isVisible();
        box.close();
        openAfterClose = box.isVisible();
        if (auto* yes = qobject_cast<QMessageBox*>(&box)
                            ? static_cast<QMessageBox&>(box).button(QMessageBox::Yes)
                            : nullptr)
            yes->click();
    });
    EXPECT_TRUE(dialogs.askYesNo(QStringLiteral("Logging Finished ,  Save Data to Disc ? ")));
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(openAfterClose);
}

// Regression: a name typed without an extension was written as typed, and File > Open then
// refused the file.
TEST(QtDialogsSave, ANameWithoutAnExtensionGetsTheDefaultSuffix) {
    TempHome home;
    QtDialogs dialogs;
    WhenModal([](QWidget& dialog) {
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!name) {
            ADD_FAILURE() << "the file dialog has no name field";
            return;
        }
        name->setText(QStringLiteral("cell7"));
        static_cast<QDialog&>(dialog).accept();
    });
    FileDialog save;
    save.filter = QStringLiteral("Data Files (*.DAT)|*.DAT");
    save.initialFolder = home.path();
    save.defaultSuffix = QStringLiteral("DAT");
    EXPECT_EQ(dialogs.saveFile(save), std::optional<QString>(home.file(QStringLiteral("cell7.DAT"))));
}

// Regression: the logging-time box showed "Max T…" of its title, the only hint of the maximum.
TEST(QtDialogsInput, TheBoxIsWideEnoughForItsWholeTitle) {
    QtDialogs dialogs;
    const QString title = QStringLiteral("Max Time Shown Or Until 'STOP' Button Actioned");
    int width = 0;
    int titleWidth = 0;
    WhenModal([&](QWidget& box) {
        QFont bold = box.font();
        bold.setBold(true);
        width = box.width();
        titleWidth = QFontMetrics(bold).horizontalAdvance(title);
    });
    dialogs.input(
        {QStringLiteral("Enter Logging Time in hours:\r\neg: (0.1 = 6 mins)"), title, QStringLiteral("6")});
    // The title bar also holds the window's buttons.
    EXPECT_GE(width, titleWidth + 100);
}

// Regression: with the help window open, closing the main window left the program running (and
// holding its one-instance lock).
TEST(QtHelpWindow, DoesNotKeepTheProgramRunning) {
    QtHelp help;
    help.showHelp(QStringLiteral("Splash.htm"));
    QWidget main;
    main.show();
    // The program's event loop ends when its last window closes; a loop still running after a
    // while has been kept alive.
    bool keptRunning = false;
    QTimer::singleShot(0, &main, [&main] { main.close(); });
    QTimer::singleShot(5000, qApp, [&keptRunning] {
        keptRunning = true;
        QCoreApplication::quit();
    });
    QApplication::exec();
    EXPECT_FALSE(keptRunning);
    EXPECT_TRUE(!help.window() || !help.window()->isVisible()); // the help window went with it
}

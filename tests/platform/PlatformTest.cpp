#include "platform/Dialogs.h"
#include "platform/QtPrinters.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QImage>
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

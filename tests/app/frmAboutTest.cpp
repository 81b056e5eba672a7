// The Help menu's two destinations: the About box and the help manual compiled into the program.
#include "app/frmAbout.h"
#include "support/ScriptedDesktop.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

using corvin::app::frmAbout;
using corvin::testing::RecordingHelp;

// ---- The About box ------------------------------------------------------------------------------

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedVersion = QCoreApplication::applicationVersion();
        QCoreApplication::setApplicationVersion(QStringLiteral("1.7.0"));
    }
    void TearDown() override { QCoreApplication::setApplicationVersion(m_savedVersion); }

    QString label(const frmAbout& about, const char* name) {
        auto* l = about.findChild<QLabel*>(QLatin1String(name));
        return l ? l->text() : QStringLiteral("<missing>");
    }

    RecordingHelp help;

private:
    QString m_savedVersion;
};

TEST_F(AboutBox, ShowsProductVersionDescriptionAndMaker) {
    frmAbout about(help);
    EXPECT_EQ(about.objectName(), QStringLiteral("frmAbout"));
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(label(about, "lblTitle"), QStringLiteral("Corvin"));
    EXPECT_EQ(label(about, "lblVersion"), QStringLiteral("Version 1.7.0"));
    EXPECT_EQ(label(about, "lblDescription"),
              QStringLiteral("MULTIQ seven-channel micro-ampere test program"));
    EXPECT_EQ(label(about, "lblMaker"), QStringLiteral("Tarvik Instruments Ltd"));
}

TEST_F(AboutBox, TheLinkOpensTheMakersSiteThroughTheDesktop) {
    frmAbout about(help);
    auto* link = about.findChild<QLabel*>(QStringLiteral("lblWebSite"));
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(link->openExternalLinks()); // never behind the desktop seam's back
    emit link->linkActivated(QStringLiteral("https://www.tarvik.co.uk"));
    EXPECT_EQ(help.urls, QStringList{QStringLiteral("https://www.tarvik.co.uk")});
}

TEST_F(AboutBox, OkClosesIt) {
    frmAbout about(help);
    about.show();
    about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(help.urls.isEmpty());
}

// ---- The help manual ----------------------------------------------------------------------------

namespace {

const QString kHelpRoot = QStringLiteral(":/help/");

QString ReadPage(const QString& name) {
    QFile f(kHelpRoot + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList HelpPages() {
    QStringList pages;
    QDirIterator it(kHelpRoot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().endsWith(QStringLiteral(".htm")))
            pages << it.fileName();
    }
    pages.sort();
    return pages;
}

// The targets of a page's links and pictures, as written.
QStringList References(const QString& html) {
    QStringList refs;
    static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    for (auto it = ref.globalMatch(html); it.hasNext();)
        refs << it.next().captured(1);
    return refs;
}

bool IsExternal(const QString& ref) {
    return ref.contains(QStringLiteral("://")) || ref.startsWith("mailto:");
}

// What a reader sees of a page, with non-breaking spaces as plain spaces.
QString RenderedText(const QString& name) {
    QTextDocument doc;
    doc.setHtml(ReadPage(name));
    return doc.toPlainText().replace(QChar(0x00A0), QLatin1Char(' '));
}

} // namespace

TEST(HelpManual, EveryChapterIsCompiledIn) {
    const QStringList expected{"AutoTest.htm",   "CommandLine.htm",  "Export.htm",       "Logging.htm",
                               "MainWindow.htm", "Messages.htm",     "Moving.htm",       "Options.htm",
                               "Playback.htm",   "ProbeDevices.htm", "StandardTest.htm", "Splash.htm"};
    for (const QString& page : expected)
        EXPECT_TRUE(QFile::exists(kHelpRoot + page)) << page.toStdString();
    EXPECT_GE(HelpPages().size(), expected.size());
}

TEST(HelpManual, EveryLinkAndPictureResolves) {
    for (const QString& page : HelpPages()) {
        const QString html = ReadPage(page);
        for (const QString& ref : References(html)) {
            if (IsExternal(ref)) {
                EXPECT_TRUE(ref.startsWith(QStringLiteral("https://")))
                    << page.toStdString() << ": " << ref.toStdString();
                continue;
            }
            ASSERT_FALSE(ref.isEmpty()) << page.toStdString() << " has an empty link";
            const QString target = ref.section(QLatin1Char('#'), 0, 0);
            const QString anchor = ref.section(QLatin1Char('#'), 1);
            const QString file = target.isEmpty() ? page : target;
            EXPECT_TRUE(QFile::exists(kHelpRoot + file)) << page.toStdString() << " -> " << ref.toStdString();
            if (!anchor.isEmpty()) {
                const QString targetHtml = ReadPage(file);
                EXPECT_TRUE(targetHtml.contains(QStringLiteral("name=\"%1\"").arg(anchor)) ||
                            targetHtml.contains(QStringLiteral("id=\"%1\"").arg(anchor)))
                    << page.toStdString() << " -> " << ref.toStdString();
            }
        }
    }
}

TEST(HelpManual, EveryPageIsReachableFromTheContents) {
    QSet<QString> seen{QStringLiteral("Splash.htm")};
    QStringList queue{QStringLiteral("Splash.htm")};
    while (!queue.isEmpty()) {
        const QString page = queue.takeFirst();
        for (const QString& ref : References(ReadPage(page))) {
            const QString target = ref.section(QLatin1Char('#'), 0, 0);
            if (!IsExternal(ref) && target.endsWith(QStringLiteral(".htm")) && !seen.contains(target)) {
                seen.insert(target);
                queue << target;
            }
        }
    }
    for (const QString& page : HelpPages())
        EXPECT_TRUE(seen.contains(page)) << page.toStdString() << " cannot be reached from Splash.htm";
}

TEST(HelpManual, OpensInTheHelpWindowAtTheContents) {
    QTextBrowser browser;
    browser.setSource(QUrl(QStringLiteral("qrc:/help/Splash.htm")));
    EXPECT_EQ(browser.documentTitle(), QStringLiteral("Corvin Help"));
    EXPECT_TRUE(browser.toPlainText().contains(QStringLiteral("Contents")));
    // A relative link leads to its page.
    browser.setSource(QUrl(QStringLiteral("Messages.htm")));
    EXPECT_TRUE(browser.toPlainText().contains(QStringLiteral("Amplicon Card not Found")));
}

TEST(HelpManual, EveryPageTakesTheSharedStyleSheet) {
    QTextBrowser browser;
    for (const QString& page : HelpPages()) {
        browser.setSource(QUrl(QStringLiteral("qrc:/help/") + page));
        // The page's title heading carries the style sheet's heading colour.
        bool coloured = false;
        for (QTextBlock b = browser.document()->begin(); b.isValid() && !coloured; b = b.next()) {
            if (b.blockFormat().headingLevel() == 1)
                coloured = b.begin().fragment().charFormat().foreground().color() == QColor(0x1f, 0x3a, 0x5f);
        }
        EXPECT_TRUE(coloured) << page.toStdString();
    }
}

// The messages page quotes each message exactly as the program shows it, so a user can find the
// text of the box in front of them.
TEST(HelpManual, TheMessagesPageQuotesTheProgramsWords) {
    const QString text = RenderedText(QStringLiteral("Messages.htm"));
    const QStringList messages{
        "This program requires a printer driver to be installed to operate",
        "Amplicon Card not Found",
        "Test Probe Device name must be at least 3 characters",
        "Test Probe Device name cannot be greater than 16 characters",
        "Need minimum of two fields for a Probe device",
        "successfully written to disc",
        "Problems with writing ",
        "No Default Probe",
        "Setup Default Probe and Re Try",
        "Reading Interval not an Integer number !",
        "Minimum Time Interval 5 Second , Maximum 30",
        "Logging Time less than Time Interval",
        "Logging Time greater than max allowed",
        "Logging Finished ,  Save Data to Disc ?",
        "Problems with writing this File",
        "Problems with writing this file !Error Raised= ",
        "Testing - NOT protected against a crash, readings kept in memory only",
        "File is not a Periodic Data File",
        "Problems Reading File Back Corrupted Data !",
        "No channels selected to graph",
        "Less than 2 data_points",
        "Problems Writing Excel File",
        "File must be (.Dat)",
        "No (.DAT) File Loaded",
        "No File to Unload",
    };
    for (const QString& m : messages)
        EXPECT_TRUE(text.contains(m)) << m.toStdString();
}

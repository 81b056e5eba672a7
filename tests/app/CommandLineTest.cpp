#include "app/CommandLine.h"
#include "app/QtSingleInstance.h"
#include "app/StaleTemporaries.h"
#include "app/StartupRefusal.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QMap>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace corvin::app;

namespace {

ParseResult Parse(const QStringList& args, const QMap<QString, QString>& env = {}) {
    return ParseCommandLine(
        args, [&env](const char* name) { return env.value(QLatin1String(name)); },
        QStringLiteral("/default/home"));
}

} // namespace

// ---- Options and environment -----------------------------------------------------------------

TEST(CommandLine, DefaultsToNoCardAndTheDefaultHome) {
    const auto r = Parse({});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->card, CardChoice::None);
    EXPECT_EQ(r.options->home, QStringLiteral("/default/home"));
}

TEST(CommandLine, OptionsInBothSpellingsAndEnvironment) {
    auto r = Parse({QStringLiteral("--card=sim"), QStringLiteral("--home"), QStringLiteral("/tmp/x/../h")});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->card, CardChoice::Simulated);
    EXPECT_EQ(r.options->home, QStringLiteral("/tmp/h"));

    r = Parse({}, {{QStringLiteral("CORVIN_CARD"), QStringLiteral("sim")},
                   {QStringLiteral("CORVIN_HOME"), QStringLiteral("/e")}});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->card, CardChoice::Simulated);
    EXPECT_EQ(r.options->home, QStringLiteral("/e"));

    // The command line wins over the environment.
    r = Parse({QStringLiteral("--card=none")}, {{QStringLiteral("CORVIN_CARD"), QStringLiteral("sim")}});
    EXPECT_EQ(r.options->card, CardChoice::None);

    r = Parse({QStringLiteral("--history=postgresql://lab/corvin")},
              {{QStringLiteral("CORVIN_HISTORY"), QStringLiteral("postgresql://other/db")}});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->historyServer, QStringLiteral("postgresql://lab/corvin"));
    r = Parse({}, {{QStringLiteral("CORVIN_HISTORY"), QStringLiteral("postgresql://other/db")}});
    EXPECT_EQ(r.options->historyServer, QStringLiteral("postgresql://other/db"));
}

TEST(CommandLine, ComediCardWithOrWithoutADevice) {
    auto r = Parse({QStringLiteral("--card=comedi")});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->card, CardChoice::Comedi);
    EXPECT_TRUE(r.options->cardDevice.isEmpty());

    r = Parse({QStringLiteral("--card"), QStringLiteral("comedi:/dev/comedi1")});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->card, CardChoice::Comedi);
    EXPECT_EQ(r.options->cardDevice, QStringLiteral("/dev/comedi1"));

    r = Parse({}, {{QStringLiteral("CORVIN_CARD"), QStringLiteral("comedi")}});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->card, CardChoice::Comedi);
}

TEST(CommandLine, BadInputIsRefusedWithAMessage) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--card=bogus")}, QStringList{QStringLiteral("--card=comedi:")},
          QStringList{QStringLiteral("--card=Comedi")}, QStringList{QStringLiteral("--home")},
          QStringList{QStringLiteral("--frobnicate")}, QStringList{QStringLiteral("--home=")},
          QStringList{QStringLiteral("--card=")}, QStringList{QStringLiteral("--history=/tmp/lab.sqlite")}}) {
        const auto r = Parse(args);
        EXPECT_FALSE(r.options) << args.join(' ').toStdString();
        EXPECT_FALSE(r.error.isEmpty());
    }
    const auto r = Parse({}, {{QStringLiteral("CORVIN_CARD"), QStringLiteral("pci")}});
    EXPECT_TRUE(r.error.contains(QStringLiteral("CORVIN_CARD")));
}

TEST(CommandLine, OneTestDataFileMadeAbsoluteAgainstTheCurrentFolder) {
    auto r = Parse({QStringLiteral("--card=sim"), QStringLiteral("runs/../run 1.DAT")});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->testDataFile, QDir::current().filePath(QStringLiteral("run 1.DAT")));
    EXPECT_EQ(r.options->card, CardChoice::Simulated);

    // After "--" a name may start with a dash; a file manager's URL is a path too.
    r = Parse({QStringLiteral("--"), QStringLiteral("-odd.DAT")});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->testDataFile, QDir::current().filePath(QStringLiteral("-odd.DAT")));
    r = Parse({QStringLiteral("file:///tmp/a%20b.DAT")});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->testDataFile, QStringLiteral("/tmp/a b.DAT"));

    EXPECT_TRUE(Parse({}).options->testDataFile.isEmpty());
    r = Parse({QStringLiteral("/a.DAT"), QStringLiteral("/b.DAT")});
    EXPECT_FALSE(r.options);
    EXPECT_TRUE(r.error.contains(QStringLiteral("only one test data file"))) << r.error.toStdString();
    EXPECT_FALSE(Parse({QStringLiteral("")}).options);
    EXPECT_TRUE(UsageText().startsWith(QStringLiteral("Usage: corvin [options] [FILE.DAT]\n")));
}

// ---- The home folder -------------------------------------------------------------------------

TEST(Home, IsCreatedWhenMissingAndRefusedWhenAFile) {
    corvin::testing::TempHome tmp;
    const QString fresh = tmp.file(QStringLiteral("a/b/home"));
    EXPECT_FALSE(PrepareHome(fresh).has_value());
    EXPECT_TRUE(QDir(fresh).exists());

    const QString file = tmp.file(QStringLiteral("plain"));
    ASSERT_TRUE(corvin::testing::TempHome::write(file, "x"));
    const auto error = PrepareHome(file);
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->contains(QStringLiteral("is a file")));
    EXPECT_FALSE(PrepareHome(file + QStringLiteral("/below")).value_or(QString()).isEmpty());
}

TEST(Home, AProbesFileInsteadOfTheFolderIsRefusedWithItsOwnMessage) {
    corvin::testing::TempHome tmp;
    const QString home = tmp.file(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(corvin::testing::TempHome::write(home + QStringLiteral("/Probes"), "x"));
    EXPECT_EQ(PrepareHome(home),
              QStringLiteral("The probes folder %1/Probes is a file, not a folder. Move it "
                             "out of the way and start Corvin again.")
                  .arg(home));
}

// ---- Refusals reach a user who started Corvin from the desktop --------------------------------

// Regression: without any display Qt aborted with a core dump after the home was created.
TEST(StartupRefusal, NoDisplayIsToldBeforeQtIsReached) {
    struct Case {
        const char* platform;
        bool display;
        bool wayland;
        bool reachable;
    };
    const Case cases[] = {{"", false, false, false},        {"", true, false, true},
                          {"", false, true, true},          {"xcb", false, true, false},
                          {"wayland", true, false, false},  {"wayland-egl", false, true, true},
                          {"offscreen", false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.platform);
        EXPECT_EQ(DisplayReachable(QString::fromLatin1(c.platform), c.display, c.wayland), c.reachable);
    }
    EXPECT_TRUE(kNoDisplayMessage.startsWith(QStringLiteral("no display")));
    EXPECT_TRUE(kNoDisplayMessage.contains(QStringLiteral("xvfb-run corvin")));
}

TEST(StartupRefusal, IsShownInAMessageBoxWhenADesktopIsThere) {
    struct Case {
        const char* platform;
        bool display;
        bool desktop;
    };
    const Case cases[] = {{"", true, true},
                          {"", false, false},
                          {"xcb", false, true},
                          {"wayland", true, true},
                          {"offscreen", true, false},
                          {"minimal", true, false},
                          {"offscreen:x=1", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.platform);
        EXPECT_EQ(DesktopAvailable(QString::fromLatin1(c.platform), c.display), c.desktop);
    }

    corvin::testing::ScriptedDialogs dialogs;
    std::FILE* terminal = std::tmpfile();
    ReportStartupRefusal(QStringLiteral("The Corvin home /x cannot be written to."), terminal, &dialogs);
    std::rewind(terminal);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, terminal), nullptr);
    std::fclose(terminal);
    EXPECT_STREQ(line, "corvin: The Corvin home /x cannot be written to.\n");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("The Corvin home /x cannot be written to."));
    EXPECT_EQ(dialogs.messages[0].icon, corvin::platform::Icon::Critical);
}

// ---- Temporaries a kill left behind --------------------------------------------------------------

TEST(StaleTemporaries, OnlyOurOwnUntouchedForAMinuteAreRemoved) {
    corvin::testing::TempHome home;
    for (const char* folder : {"Recovery", "Data", "TESTS"})
        ASSERT_TRUE(QDir(home.path()).mkpath(QLatin1String(folder)));
    const QStringList stale = {"Probes/Bench.prb.a1B2c3",
                               "Probes/OLD.PRB.zzzzzz",
                               "BAR.CFG.Qw3rty",
                               ".corvin-write-check-Ab12Cd",
                               "Recovery/test-20260101-090000.journal.x1y2z3",
                               "Data/run 4.DAT.abcdef",
                               "TESTS/t.dat.ABCDEF"};
    const QStringList kept = {"Probes/Bench.prb",        "Probes/Bench.prb.abc",
                              "Probes/notes.txt.abcdef", "BAR.CFG",
                              "Data/run 4.DAT",          "registry.sqlite",
                              "Probes/Fresh.prb.fresh1"}; // the last: a save under way right now
    const QDateTime old = QDateTime::currentDateTime().addSecs(-2 * kStaleTemporarySeconds);
    for (const QString& name : stale + kept) {
        ASSERT_TRUE(corvin::testing::TempHome::write(home.file(name), "x"));
        QFile file(home.file(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        if (!name.contains(QLatin1String("fresh"))) {
            ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
    }
    QStringList removed = RemoveStaleTemporaries(home.path());
    QStringList expected;
    for (const QString& name : stale)
        expected << home.file(name);
    removed.sort();
    expected.sort();
    EXPECT_EQ(removed, expected);
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(home.file(name))) << name.toStdString();
}

// ---- One instance per home -------------------------------------------------------------------

TEST(SingleInstance, SecondClaimForTheSameHomeAsksTheFirstToRaise) {
    corvin::testing::TempHome tmp;
    const QString runtime = tmp.file(QStringLiteral("run"));
    QtSingleInstance first(tmp.path(), runtime);
    QSignalSpy raised(&first, &QtSingleInstance::raiseRequested);
    ASSERT_TRUE(first.claim());

    // A second start for the same home finds the lock taken; its request reaches the first
    // once the first's event loop runs.
    QtSingleInstance second(tmp.path(), runtime);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 1);

    // Another home is another instance.
    corvin::testing::TempHome otherHome;
    QtSingleInstance third(otherHome.path(), runtime);
    EXPECT_TRUE(third.claim());
}

TEST(SingleInstance, ASecondStartWithAFileHandsItToTheFirst) {
    corvin::testing::TempHome tmp;
    const QString runtime = tmp.file(QStringLiteral("run"));
    QtSingleInstance first(tmp.path(), runtime);
    QSignalSpy raised(&first, &QtSingleInstance::raiseRequested);
    QSignalSpy opened(&first, &QtSingleInstance::openRequested);
    ASSERT_TRUE(first.claim());

    const QString path = QStringLiteral("/data/Prüfung 3/run\n%20&.DAT");
    QtSingleInstance second(tmp.path(), runtime);
    EXPECT_FALSE(second.claim(path));
    EXPECT_TRUE(second.handedOver());
    ASSERT_TRUE(opened.wait(5000));
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.front().front().toString(), path);
    EXPECT_EQ(raised.count(), 1) << "the window comes forward as well";
}

TEST(SingleInstance, RequestsThatAreNotOursAreIgnored) {
    corvin::testing::TempHome tmp;
    const QString runtime = tmp.file(QStringLiteral("run"));
    QtSingleInstance first(tmp.path(), runtime);
    QSignalSpy raised(&first, &QtSingleInstance::raiseRequested);
    QSignalSpy opened(&first, &QtSingleInstance::openRequested);
    ASSERT_TRUE(first.claim());
    const QStringList sockets = QDir(runtime).entryList({QStringLiteral("*.socket")}, QDir::System);
    ASSERT_EQ(sockets.size(), 1);

    // A relative path and an unknown word, then a request of ours on the same connection: only
    // that one is taken.
    QLocalSocket socket;
    socket.connectToServer(QDir(runtime).filePath(sockets.front()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("open run.DAT\nshutdown\nraise\n");
    ASSERT_TRUE(socket.waitForBytesWritten(5000));
    ASSERT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 1);
    EXPECT_EQ(opened.count(), 0);

    // A line longer than any request ends the connection.
    QLocalSocket flood;
    flood.connectToServer(QDir(runtime).filePath(sockets.front()));
    ASSERT_TRUE(flood.waitForConnected(5000));
    QSignalSpy dropped(&flood, &QLocalSocket::disconnected);
    flood.write(QByteArray(QtSingleInstance::kLongestRequest + 10, 'x'));
    EXPECT_TRUE(dropped.wait(5000));
    EXPECT_EQ(opened.count(), 0);
}

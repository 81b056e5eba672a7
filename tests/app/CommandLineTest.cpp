#include "app/CommandLine.h"
#include "app/QtSingleInstance.h"
#include "support/TempHome.h"

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
          QStringList{QStringLiteral("--frobnicate")}, QStringList{QStringLiteral("--home=")}}) {
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

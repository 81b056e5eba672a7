// corvin-data's probe commands, run in-process.
#include "common/Clock.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "settings/StoreLocation.h"

#include "support/CorvinDataRun.h"
#include "support/TempHome.h"
#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <cstdio>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::probes;
using corvin::testing::RunCorvinData;
using corvin::testing::TempHome;

namespace {

class CorvinDataProbe : public ::testing::Test {
protected:
    TempHome home;
    QString folder = home.file(QStringLiteral("Probes"));
    QString in(const QString& fileName) const { return folder + QLatin1Char('/') + fileName; }
};

} // namespace

// ---- probe show ------------------------------------------------------------------------------

TEST_F(CorvinDataProbe, ShowPrintsTheNameAndSevenTrimmedChannels) {
    QByteArray bytes = QByteArray("  Arm \xB5"
                                  "A        ") +
                       QByteArray("left            ") + QByteArray(32, ' ') +
                       QByteArray("  fifth \xE9       ") + QByteArray(48, ' ');
    ASSERT_EQ(bytes.size(), 128);
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("arm.Prb")), bytes));
    const auto run = RunCorvinData({"probe", "show", in(QStringLiteral("arm.Prb"))});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QString::fromUtf8("name: Arm µA\nchannel 1: left\nchannel 2: \nchannel 3: \n"
                                         "channel 4: fifth é\nchannel 5: \nchannel 6: \nchannel 7: \n"));
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CorvinDataProbe, ShowReadsAShortFile) {
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("short.prb")), QByteArray("Stub            Ch1")));
    const auto run = RunCorvinData({"probe", "show", in(QStringLiteral("short.prb"))});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("name: Stub\nchannel 1: Ch1\nchannel 2: \n")));
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 8);
}

TEST_F(CorvinDataProbe, ShowOfAMissingFileFailsWithOneLine) {
    const auto run = RunCorvinData({"probe", "show", in(QStringLiteral("absent.prb"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("absent.prb")));
}

// ---- probe list ------------------------------------------------------------------------------

TEST_F(CorvinDataProbe, ListPrintsEachProbeNameTrimmed) {
    for (const char* name : {"First", "Second"}) {
        cProbe p;
        p.setProbe_Name(QString::fromLatin1(name));
        ASSERT_TRUE(WriteProbeFile(folder, p));
    }
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("THIRD.PRB")), QByteArray("  Third")));
    const auto run = RunCorvinData({"probe", "list", folder});
    EXPECT_EQ(run.status, 0);
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"First", "Second", "Third"}));
}

TEST_F(CorvinDataProbe, ListOfAMissingFolderFails) {
    const auto run = RunCorvinData({"probe", "list", in(QStringLiteral("absent"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
}

// The child half of ListSaysWhatCannotBeRead: runs as nobody and prints what the list said.
TEST(CorvinDataProbeChild, ListAsNobody) {
    const QByteArray folder = qgetenv("CORVIN_PROBE_FOLDER");
    if (qgetenv(corvin::testing::kChildVariable).isEmpty() || folder.isEmpty())
        GTEST_SKIP() << "runs only as the child of ListSaysWhatCannotBeRead";
    const auto run = RunCorvinData({"probe", "list", QString::fromUtf8(folder)});
    printf("CHILD-RESULT status=%d out=%s err=%s\n", run.status,
           run.out.toUtf8().replace('\n', '|').constData(), run.err.toUtf8().replace('\n', '|').constData());
}

TEST_F(CorvinDataProbe, ListSaysWhatCannotBeRead) {
    // A readable probe, one that cannot be read, and a folder that cannot be listed at all.
    cProbe p;
    p.setProbe_Name(QStringLiteral("Open"));
    ASSERT_TRUE(WriteProbeFile(folder, p));
    p.setProbe_Name(QStringLiteral("Locked"));
    ASSERT_TRUE(WriteProbeFile(folder, p));
    ASSERT_TRUE(QFile(in(QStringLiteral("Locked.prb"))).setPermissions(QFileDevice::WriteOwner));
    const QString closed = home.file(QStringLiteral("Closed"));
    ASSERT_TRUE(QDir().mkpath(closed));
    ASSERT_TRUE(QFile(closed).setPermissions(QFileDevice::ExeOwner | QFileDevice::ExeOther));

    const QString lockedLine =
        "corvin-data: cannot read " + in(QStringLiteral("Locked.prb")) + ": Permission denied";
    const QString closedLine = "corvin-data: cannot read the folder " + closed + ": Permission denied";
    if (!corvin::testing::RunningAsRoot()) {
        const auto list = RunCorvinData({"probe", "list", folder});
        EXPECT_EQ(list.status, 0);
        EXPECT_EQ(list.out, QStringLiteral("Open\n"));
        EXPECT_EQ(list.err, lockedLine + "\n");
        const auto folderRun = RunCorvinData({"probe", "list", closed});
        EXPECT_EQ(folderRun.status, 1);
        EXPECT_EQ(folderRun.err, closedLine + "\n");
        return;
    }
    if (const std::optional<QString> why = corvin::testing::NobodyUnavailable())
        GTEST_SKIP() << why->toStdString();
    corvin::testing::LetNobodyReach(folder);
    const QString list = corvin::testing::RunAsNobody(QStringLiteral("CorvinDataProbeChild.ListAsNobody"),
                                                      {QStringLiteral("CORVIN_PROBE_FOLDER=") + folder});
    EXPECT_TRUE(list.contains("CHILD-RESULT status=0 out=Open| err=" + lockedLine + "|"))
        << list.toStdString();
    const QString folderList =
        corvin::testing::RunAsNobody(QStringLiteral("CorvinDataProbeChild.ListAsNobody"),
                                     {QStringLiteral("CORVIN_PROBE_FOLDER=") + closed});
    EXPECT_TRUE(folderList.contains("CHILD-RESULT status=1 out= err=" + closedLine + "|"))
        << folderList.toStdString();
}

// ---- probe create ----------------------------------------------------------------------------

TEST_F(CorvinDataProbe, CreateWritesTheProbeWithEmptyArgumentsAsEmptyChannels) {
    const auto run = RunCorvinData({"probe", "create", folder, " Hand ", "thumb", "", "", "", "little"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Probe Spec ") + in(QStringLiteral("Hand.prb")) +
                           QStringLiteral(" successfully written to disc\n"));
    const QByteArray bytes = TempHome::read(in(QStringLiteral("Hand.prb")));
    EXPECT_EQ(bytes, QByteArray("Hand            thumb           ") + QByteArray(48, ' ') +
                         QByteArray("little          ") + QByteArray(32, ' '));
}

TEST_F(CorvinDataProbe, CreateRefusesWithTheDialogsMessages) {
    struct Case {
        QStringList args;
        int status;
        QString err;
    };
    const QString unsafe = QStringLiteral("Problems with writing ") + folder +
                           QStringLiteral("/../x.prb to disc: A probe name cannot contain \"/\"");
    const Case cases[] = {
        {{"ab", "a", "b"}, 1, "corvin-data: Test Probe Device name must be at least 3 characters\n"},
        {{"ABCDEFGHIJKLMNOPQ", "a", "b"},
         1,
         "corvin-data: Test Probe Device name cannot be greater than 16 characters\n"},
        {{"abc", "a", "  "}, 1, "corvin-data: Need minimum of two fields for a Probe device\n"},
        {{"../x", "a", "b"}, 1, QStringLiteral("corvin-data: ") + unsafe + QLatin1Char('\n')},
        {{"abc", "1", "2", "3", "4", "5", "6", "7", "8"}, 2, {}},
        {{}, 2, {}},
        {{"abc", "a", "two\nlines"}, 1, "corvin-data: Channel 2 cannot contain control characters\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto run = RunCorvinData(QStringList{"probe", "create", folder} + c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
        if (!c.err.isEmpty()) {
            EXPECT_EQ(run.err, c.err);
        }
    }
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("x.prb"))));
}

// ---- The command line itself -------------------------------------------------------------------

TEST(CorvinDataCommandLine, AnEmptyFolderArgumentIsAUsageErrorAndWritesNothing) {
    const QString name = QStringLiteral("corvin-empty-folder-%1").arg(QCoreApplication::applicationPid());
    for (const QStringList& args : {QStringList{"probe", "create", "", name, "a", "b"},
                                    QStringList{"probe", "list", ""}, QStringList{"probe", "show", ""}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto run = RunCorvinData(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/") + name + QStringLiteral(".prb")));
}

TEST(CorvinDataCommandLine, HelpListsTheCommands) {
    const auto run = RunCorvinData({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"probe list", "probe show", "probe create", "info", "dump"})
        EXPECT_TRUE(run.out.contains(QString::fromLatin1(command))) << command;
}

TEST(CorvinDataCommandLine, WrongCommandLinesAreUsageErrors) {
    for (const QStringList& args :
         {QStringList{}, QStringList{"nonsense"}, QStringList{"probe"}, QStringList{"probe", "list"},
          QStringList{"probe", "show", "a", "b"}, QStringList{"info"}, QStringList{"dump", "a", "b"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto run = RunCorvinData(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(run.err.isEmpty());
    }
}

// ---- The default probe of a home --------------------------------------------------------------

TEST(CorvinDataDefaultProbe, SetsAndShowsAnExistingProbeOnly) {
    TempHome home;
    ASSERT_EQ(RunCorvinData({"probe", "create", home.file("Probes"), "Bench A", "x", "y"}).status, 0);
    EXPECT_EQ(RunCorvinData({"probe", "default", home.path()}).out, QStringLiteral("\n"));

    EXPECT_EQ(RunCorvinData({"probe", "default", home.path(), " Bench A "}).status, 0);
    EXPECT_EQ(RunCorvinData({"probe", "default", home.path()}).out, QStringLiteral("Bench A\n"));

    const auto refused = RunCorvinData({"probe", "default", home.path(), "Nowhere"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Nowhere")));
    EXPECT_EQ(RunCorvinData({"probe", "default", home.path()}).out, QStringLiteral("Bench A\n"));
}

// The default home keeps its store in the configuration folder, as corvin started without --home
// reads it; a store that cannot be written is a failure, not a silent success.
TEST(CorvinDataDefaultProbe, WritesTheStoreCorvinReadsOrFails) {
    QTemporaryDir xdg;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.filePath(QStringLiteral("config"))));
    const QString home = settings::DefaultHome();
    ASSERT_TRUE(home.startsWith(xdg.path()));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Probes")));
    const auto created =
        RunCorvinData({"probe", "create", home + QStringLiteral("/Probes"), "Bench A", "x", "y"});
    ASSERT_EQ(created.status, 0) << created.err.toStdString();

    EXPECT_EQ(RunCorvinData({"probe", "default", home, "Bench A"}).status, 0);
    const QString store = xdg.filePath(QStringLiteral("config/Tarvik/Corvin/registry.sqlite"));
    EXPECT_EQ(settings::SettingsStorePath(home), store);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/registry.sqlite")));
    {
        SystemClock clock;
        settings::RegistryStore registry(store, clock);
        EXPECT_EQ(settings::ReadDefaultProbeName(registry), QStringLiteral("Bench A"));
    }

    // A configuration folder that is a file: the store cannot be kept on disc.
    ASSERT_TRUE(TempHome::write(xdg.filePath(QStringLiteral("blocked")), "x"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.filePath(QStringLiteral("blocked"))));
    const auto failed = RunCorvinData({"probe", "default", home, "Bench A"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("cannot write"))) << failed.err.toStdString();

    qputenv("XDG_DATA_HOME", oldData);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

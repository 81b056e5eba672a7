#include "probes/ProbeFile.h"
#include "common/TextTrim.h"

#include "support/FailingFiles.h"
#include "support/TempHome.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QSet>
#include <gtest/gtest.h>

#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>

using namespace corvin;
using namespace corvin::probes;
using corvin::testing::FailingFiles;
using corvin::testing::TempHome;

namespace {

cProbe MakeProbe(const QString& name, std::initializer_list<std::pair<int, QString>> channels) {
    cProbe p;
    p.setProbe_Name(name);
    for (const auto& [k, text] : channels)
        p.setCh(k, text);
    return p;
}

// A 16-byte field as the test spells it: the text, then spaces.
QByteArray Field(const QByteArray& text) {
    return text + QByteArray(16 - text.size(), ' ');
}

QByteArray Blank() {
    return QByteArray(16, ' ');
}

QSet<QString> FilesIn(const QString& folder) {
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return QSet<QString>(names.begin(), names.end());
}

class ProbeFiles : public ::testing::Test {
protected:
    TempHome home;
    QString folder = home.file(QStringLiteral("Probes"));
    QString in(const QString& fileName) const { return folder + QLatin1Char('/') + fileName; }
};

} // namespace

// ---- The 128-byte record ---------------------------------------------------------------------

TEST_F(ProbeFiles, SixteenCharacterNameIsStoredWholeAndReadBackIntact) {
    const cProbe probe = MakeProbe(QStringLiteral("ABCDEFGHIJKLMNOP"), {{1, "one"}, {2, "two"}});
    ASSERT_TRUE(WriteProbeFile(folder, probe));
    const QByteArray bytes = TempHome::read(in(QStringLiteral("ABCDEFGHIJKLMNOP.prb")));
    EXPECT_EQ(bytes, QByteArray("ABCDEFGHIJKLMNOP") + Field("one") + Field("two") + Blank() + Blank() +
                         Blank() + Blank() + Blank());
    cProbe back;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("ABCDEFGHIJKLMNOP.prb")), back));
    EXPECT_EQ(back, probe);
}

TEST_F(ProbeFiles, TwentyCharacterChannelTextKeepsItsFirstSixteen) {
    const QByteArray bytes =
        EncodeProbeRecord(MakeProbe(QStringLiteral("Probe"), {{3, QStringLiteral("0123456789ABCDEFGHIJ")}}));
    ASSERT_EQ(bytes.size(), kProbeRecordLength);
    EXPECT_EQ(bytes.mid(48, 16), QByteArray("0123456789ABCDEF"));
    EXPECT_EQ(ToProbe(DecodeProbeRecord(bytes)).Ch3(), QStringLiteral("0123456789ABCDEF"));
}

TEST_F(ProbeFiles, EmptyChannelsAreSixteenSpacesAndReadBackEmpty) {
    const cProbe probe = MakeProbe(QStringLiteral("Gap"), {{1, "a"}, {2, "b"}, {5, "e"}});
    ASSERT_TRUE(WriteProbeFile(folder, probe));
    const QByteArray bytes = TempHome::read(in(QStringLiteral("Gap.prb")));
    EXPECT_EQ(bytes,
              Field("Gap") + Field("a") + Field("b") + Blank() + Blank() + Field("e") + Blank() + Blank());
    cProbe back;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("Gap.prb")), back));
    EXPECT_EQ(back, probe);
    for (int k : {3, 4, 6, 7})
        EXPECT_TRUE(back.Ch(k).isEmpty()) << "channel " << k;
}

TEST_F(ProbeFiles, MicroSignAndAccentAreSingleWindows1252Bytes) {
    const cProbe probe =
        MakeProbe(QStringLiteral("µA é"), {{1, QStringLiteral("10 µA")}, {2, QStringLiteral("été")}});
    ASSERT_TRUE(WriteProbeFile(folder, probe));
    const QByteArray bytes = TempHome::read(in(QStringLiteral("µA é.prb")));
    EXPECT_EQ(bytes.left(48), Field("\xB5"
                                    "A \xE9") +
                                  Field("10 \xB5"
                                        "A") +
                                  Field("\xE9t\xE9"));
    cProbe back;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("µA é.prb")), back));
    EXPECT_EQ(back, probe);
}

TEST_F(ProbeFiles, HandMadeRecordIsReadFieldByField) {
    QByteArray bytes;
    bytes += "  Left Arm      "; // leading spaces are trimmed too
    bytes += "Ch one          ";
    bytes += "                ";
    bytes += "Three\xB5          ";
    bytes += "four4four4four4X";
    bytes += "                ";
    bytes += "       six      ";
    bytes += "seven           ";
    ASSERT_EQ(bytes.size(), 128);
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("hand.Prb")), bytes));

    ProbeRecord record;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("hand.Prb")), record));
    EXPECT_EQ(record.Probe_Name, QStringLiteral("  Left Arm      ")); // as stored, for the listing
    EXPECT_EQ(record.Ch[3], QStringLiteral("four4four4four4X"));

    const cProbe probe = ToProbe(record);
    EXPECT_EQ(probe.Probe_Name(), QStringLiteral("Left Arm"));
    EXPECT_EQ(probe.Ch1(), QStringLiteral("Ch one"));
    EXPECT_EQ(probe.Ch2(), QString());
    EXPECT_EQ(probe.Ch3(), QStringLiteral("Threeµ"));
    EXPECT_EQ(probe.Ch4(), QStringLiteral("four4four4four4X"));
    EXPECT_EQ(probe.Ch6(), QStringLiteral("six"));
    EXPECT_EQ(probe.Ch7(), QStringLiteral("seven"));
}

TEST_F(ProbeFiles, BytesAfterTheRecordAreIgnored) {
    const QByteArray record = EncodeProbeRecord(MakeProbe(QStringLiteral("Long"), {{1, "x"}, {7, "y"}}));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("Long.prb")), record + QByteArray("trailing junk")));
    cProbe back;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("Long.prb")), back));
    EXPECT_EQ(back.Ch7(), QStringLiteral("y"));
}

// ---- Short files: the missing part reads as zero bytes ----------------------------------------

TEST_F(ProbeFiles, ShortFilesReadWithTheMissingPartAsZeroBytes) {
    struct Case {
        QByteArray bytes;
        QString name;
        QString ch1;
    };
    const Case cases[] = {
        {QByteArray(), QString(), QString()},
        {QByteArray("Abc"), QStringLiteral("Abc"), QString()},
        {QByteArray("Sixteen chars ok") + "Cut he", QStringLiteral("Sixteen chars ok"),
         QStringLiteral("Cut he")},
        {EncodeProbeRecord(MakeProbe("Almost", {{1, "a"}, {7, "seventh"}})).left(127),
         QStringLiteral("Almost"), QStringLiteral("a")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        ASSERT_TRUE(TempHome::write(in(QStringLiteral("short.prb")), c.bytes));
        ProbeRecord record;
        ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("short.prb")), record));
        if (c.bytes.size() < 16) {
            EXPECT_EQ(record.Probe_Name.right(16 - c.bytes.size()), QString(16 - c.bytes.size(), QChar(0)));
        }
        const cProbe probe = ToProbe(record);
        EXPECT_EQ(probe.Probe_Name(), c.name);
        EXPECT_EQ(probe.Ch1(), c.ch1);
    }
    // The 127-byte case: the last field lost its last byte, a space, which reads as zero.
    EXPECT_EQ(DecodeProbeRecord(EncodeProbeRecord(MakeProbe("Almost", {{7, "seventh"}})).left(127)).Ch[6],
              QStringLiteral("seventh        ") + QChar(0));
}

TEST_F(ProbeFiles, MissingOrNonPlainFilesAreReadErrors) {
    ProbeRecord record;
    record.Probe_Name = QStringLiteral("kept");
    EXPECT_FALSE(ReadProbeFile(in(QStringLiteral("absent.prb")), record));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("folder.prb")));
    EXPECT_FALSE(ReadProbeFile(in(QStringLiteral("folder.prb")), record));
    // A pipe must be refused, not waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(in(QStringLiteral("pipe.prb"))).constData(), 0600), 0);
    EXPECT_FALSE(ReadProbeFile(in(QStringLiteral("pipe.prb")), record));
    EXPECT_EQ(record.Probe_Name, QStringLiteral("kept"));
}

// ---- Listing and finding without regard to the case of ".prb" ---------------------------------

TEST_F(ProbeFiles, ListingFindsEveryCaseOfTheExtensionAndOnlyPlainFiles) {
    const QByteArray record = EncodeProbeRecord(MakeProbe(QStringLiteral("P"), {}));
    for (const char* name : {"X.PRB", "x.prb", "y.Prb", "z.pRb", "notes.txt", "a.prbx", "prb", ".hidden.prb"})
        ASSERT_TRUE(TempHome::write(in(QString::fromLatin1(name)), record));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("sub.prb")));

    QSet<QString> found;
    for (const QString& path : ListProbeFiles(folder))
        found.insert(QFileInfo(path).fileName());
    EXPECT_EQ(found, (QSet<QString>{"X.PRB", "x.prb", "y.Prb", "z.pRb", ".hidden.prb"}));
}

// Regression: the list came in directory order, which on Linux looks random.
TEST_F(ProbeFiles, ListingIsByNameWithoutRegardToCaseWithTheStoredFields) {
    for (const char* name : {"charlie", "Bravo", "alpha", "Delta", "ALPHA2"})
        ASSERT_TRUE(WriteProbeFile(folder, MakeProbe(QString::fromLatin1(name), {{1, "one"}, {2, "two"}})));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("empty.prb")), QByteArray())); // readable, all zeros

    QStringList names;
    for (const ProbeListing& entry : ReadProbeListing(folder))
        names << QFileInfo(entry.path).completeBaseName();
    EXPECT_EQ(names, (QStringList{"alpha", "ALPHA2", "Bravo", "charlie", "Delta", "empty"}));
    EXPECT_EQ(ReadProbeListing(folder)[2].record.Probe_Name, QStringLiteral("Bravo           "));
}

TEST_F(ProbeFiles, ListingOfAMissingFolderIsEmpty) {
    EXPECT_TRUE(ListProbeFiles(in(QStringLiteral("none"))).isEmpty());
}

TEST_F(ProbeFiles, ResolvingANameFindsItsFileWhateverTheCase) {
    const QByteArray record = EncodeProbeRecord(MakeProbe(QStringLiteral("P"), {}));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("lower.prb")), record));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("UPPER.PRB")), record));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("Both.PRB")), record));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("Both.Prb")), record));
    ASSERT_TRUE(TempHome::write(in(QStringLiteral("MiXeD.prb")), record));

    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("lower")), in(QStringLiteral("lower.prb")));
    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("UPPER")), in(QStringLiteral("UPPER.PRB")));
    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("Both")),
              in(QStringLiteral("Both.Prb"))); // exact first
    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("mixed")), in(QStringLiteral("MiXeD.prb")));
    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("absent")), std::nullopt);
    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("../Probes/lower")), std::nullopt);
}

// ---- Writing ---------------------------------------------------------------------------------

TEST_F(ProbeFiles, WritingTrimsTheNameAndReplacesAProbeOfTheSameName) {
    ASSERT_TRUE(WriteProbeFile(folder, MakeProbe(QStringLiteral("  Twice  "), {{1, " a "}, {2, "b"}})));
    ASSERT_TRUE(WriteProbeFile(folder, MakeProbe(QStringLiteral("Twice"), {{1, "c"}, {2, "d"}})));
    EXPECT_EQ(FilesIn(folder), QSet<QString>{QStringLiteral("Twice.prb")});
    cProbe back;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("Twice.prb")), back));
    EXPECT_EQ(back.Ch1(), QStringLiteral("c"));
}

TEST_F(ProbeFiles, WritingOverAFileOfAnotherCaseReplacesIt) {
    ASSERT_TRUE(
        TempHome::write(in(QStringLiteral("OLD.PRB")), EncodeProbeRecord(MakeProbe("OLD", {{1, "x"}}))));
    ASSERT_TRUE(WriteProbeFile(folder, MakeProbe(QStringLiteral("OLD"), {{1, "new"}, {2, "new"}})));
    EXPECT_EQ(ProbeFilePath(folder, QStringLiteral("OLD")), in(QStringLiteral("OLD.PRB")));
    EXPECT_EQ(FilesIn(folder), QSet<QString>{QStringLiteral("OLD.PRB")});
    cProbe back;
    ASSERT_TRUE(ReadProbeFile(in(QStringLiteral("OLD.PRB")), back));
    EXPECT_EQ(back.Ch1(), QStringLiteral("new"));
}

TEST_F(ProbeFiles, UnsafeNamesAreRefusedAndNothingIsWritten) {
    struct Case {
        QString name;
        QString why;
    };
    const Case cases[] = {
        {QStringLiteral("../escape"), QStringLiteral("A probe name cannot contain \"/\"")},
        {QStringLiteral("a/b"), QStringLiteral("A probe name cannot contain \"/\"")},
        {QStringLiteral("/etc/x"), QStringLiteral("A probe name cannot contain \"/\"")},
        {QStringLiteral(".."), QStringLiteral("\"..\" is not a file name")},
        {QStringLiteral("."), QStringLiteral("\".\" is not a file name")},
        {QStringLiteral("nul") + QChar(0) + QStringLiteral("x"),
         QStringLiteral("A probe name cannot contain control characters")},
        {QStringLiteral("tab\there"), QStringLiteral("A probe name cannot contain control characters")},
        {QStringLiteral("line\nbreak"), QStringLiteral("A probe name cannot contain control characters")},
        {QStringLiteral("c1") + QChar(0x85),
         QStringLiteral("A probe name cannot contain control characters")},
        {QString::fromUtf16(u"Ωmega"),
         QStringLiteral("A probe name can only hold characters of the Windows-1252 code page")},
        {QStringLiteral("seventeen chars!!"),
         QStringLiteral("A probe name cannot be longer than 16 characters")},
        {QStringLiteral("   "), QStringLiteral("A probe name cannot be empty")},
        // Names the Windows version could not open.
        {QStringLiteral("a:b"),
         QStringLiteral("A probe name cannot contain \":\" (Windows does not allow it in "
                        "file names)")},
        {QStringLiteral("a\\b"),
         QStringLiteral("A probe name cannot contain \"\\\" (Windows does not allow it "
                        "in file names)")},
        {QStringLiteral("why?"),
         QStringLiteral("A probe name cannot contain \"?\" (Windows does not allow it in "
                        "file names)")},
        {QStringLiteral("CON"), QStringLiteral("\"CON\" is a name Windows keeps for a device")},
        {QStringLiteral("nul.x"), QStringLiteral("\"nul.x\" is a name Windows keeps for a device")},
        {QStringLiteral("Lpt9"), QStringLiteral("\"Lpt9\" is a name Windows keeps for a device")},
        {QStringLiteral("end."),
         QStringLiteral("A probe name cannot end in a dot or a space (Windows does not "
                        "allow it)")},
    };
    const QSet<QString> homeBefore = FilesIn(home.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const Status s = WriteProbeFile(folder, MakeProbe(c.name, {{1, "a"}, {2, "b"}}));
        ASSERT_FALSE(s);
        const QString path = folder + QLatin1Char('/') + TrimSpaces(c.name) + QStringLiteral(".prb");
        EXPECT_EQ(s.message(),
                  QStringLiteral("Problems with writing ") + path + QStringLiteral(" to disc\n") + c.why);
    }
    EXPECT_TRUE(FilesIn(folder).isEmpty());
    EXPECT_EQ(FilesIn(home.path()), homeBefore);
}

TEST_F(ProbeFiles, NamesCloseToWindowsDeviceNamesAreFine) {
    for (const char* name : {"CONSOLE", "COM0", "LPT10", "nullify", "a.b", ".dotted"})
        EXPECT_EQ(UnsafeProbeNameReason(QString::fromLatin1(name)), std::nullopt) << name;
}

TEST_F(ProbeFiles, AProbeFileThatIsALinkIsNeverWrittenThrough) {
    const QString outside = home.file(QStringLiteral("outside.txt"));
    ASSERT_TRUE(TempHome::write(outside, QByteArray("not a probe")));
    ASSERT_TRUE(QFile::link(outside, in(QStringLiteral("Linked.prb"))));
    ASSERT_TRUE(QFile::link(home.file(QStringLiteral("nowhere")), in(QStringLiteral("Dangling.prb"))));
    for (const char* name : {"Linked", "Dangling"}) {
        SCOPED_TRACE(name);
        const Status s = WriteProbeFile(folder, MakeProbe(QString::fromLatin1(name), {{1, "a"}, {2, "b"}}));
        ASSERT_FALSE(s);
        EXPECT_TRUE(s.message().endsWith(QStringLiteral(" to disc\nThe probe file is a symbolic link; Corvin "
                                                        "replaces only plain files in the probes folder")))
            << s.message().toStdString();
    }
    EXPECT_EQ(TempHome::read(outside), QByteArray("not a probe"));
    EXPECT_TRUE(QFileInfo(in(QStringLiteral("Linked.prb"))).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("nowhere"))));
}

TEST_F(ProbeFiles, AFileNameInWindows1252IsListedReadAndFound) {
    // "Sonde\xE9.prb", as an archive unpacked from the Windows version names it: not UTF-8.
    const QByteArray latin1 = QFile::encodeName(folder) + "/Sonde\xE9.prb";
    const QByteArray record = EncodeProbeRecord(MakeProbe(QStringLiteral("Sondeé"), {{1, "a"}, {2, "b"}}));
    FILE* f = std::fopen(latin1.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(record.constData(), 1, std::size_t(record.size()), f);
    std::fclose(f);

    const QString path = in(QStringLiteral("Sondeé.prb"));
    EXPECT_EQ(ListProbeFiles(folder), QStringList{path});
    EXPECT_EQ(NativeFileName(path), latin1);
    cProbe probe;
    ASSERT_TRUE(ReadProbeFile(path, probe));
    EXPECT_EQ(probe.Ch1(), QStringLiteral("a"));
    EXPECT_EQ(ResolveProbePath(folder, QStringLiteral("Sondeé")), path);
    EXPECT_EQ(DecodeFileName("Sonde\xC3\xA9"), QStringLiteral("Sondeé")); // UTF-8 stays UTF-8
}

TEST_F(ProbeFiles, AFolderThatCannotBeListedIsAnError) {
    QStringList paths;
    const Status s = ListProbeFolder(in(QStringLiteral("absent")), paths);
    EXPECT_EQ(s.message(), QStringLiteral("No such file or directory"));
    EXPECT_FALSE(ReadProbeFolder(in(QStringLiteral("absent"))).folder);
}

TEST_F(ProbeFiles, MissingFolderIsAWriteError) {
    const QString missing = in(QStringLiteral("absent"));
    const Status s = WriteProbeFile(missing, MakeProbe(QStringLiteral("Probe"), {{1, "a"}, {2, "b"}}));
    ASSERT_FALSE(s);
    const QString head =
        QStringLiteral("Problems with writing ") + missing + QStringLiteral("/Probe.prb to disc\n");
    EXPECT_TRUE(s.message().startsWith(head)) << s.message().toStdString();
    EXPECT_GT(s.message().size(), head.size()); // the system's words follow
}

TEST_F(ProbeFiles, FailedSaveLeavesTheOldProbeWhole) {
    const cProbe old = MakeProbe(QStringLiteral("Keep"), {{1, "old"}, {2, "old"}});
    ASSERT_TRUE(WriteProbeFile(folder, old));
    const QByteArray before = TempHome::read(in(QStringLiteral("Keep.prb")));
    for (const FailingFiles& files : {FailingFiles::OnWrite(1), FailingFiles::AtCommit()}) {
        const Status s =
            WriteProbeFile(folder, MakeProbe(QStringLiteral("Keep"), {{1, "new"}, {2, "new"}}), files);
        ASSERT_FALSE(s);
        EXPECT_EQ(s.message(), QStringLiteral("Problems with writing ") + in(QStringLiteral("Keep.prb")) +
                                   QStringLiteral(" to disc\nNo space left on device"));
        EXPECT_EQ(TempHome::read(in(QStringLiteral("Keep.prb"))), before);
        EXPECT_EQ(FilesIn(folder), QSet<QString>{QStringLiteral("Keep.prb")}); // no temporary left behind
    }
}

// The child half of ReadOnlyFolderIsAWriteError: runs as nobody and prints the outcome.
TEST(ProbeFilesChild, WriteIntoForeignFolder) {
    const QByteArray folder = qgetenv("CORVIN_PROBE_FOLDER");
    if (qgetenv(corvin::testing::kChildVariable).isEmpty() || folder.isEmpty())
        GTEST_SKIP() << "runs only as the child of ReadOnlyFolderIsAWriteError";
    const Status s =
        WriteProbeFile(QString::fromUtf8(folder), MakeProbe(QStringLiteral("Probe"), {{1, "a"}, {2, "b"}}));
    printf("CHILD-RESULT ok=%d message=%s\n", int(s.ok()),
           s.message().toUtf8().replace('\n', "|").constData());
}

TEST_F(ProbeFiles, ReadOnlyFolderIsAWriteError) {
    const QString head = QStringLiteral("Problems with writing ") + in(QStringLiteral("Probe.prb")) +
                         QStringLiteral(" to disc");
    if (!corvin::testing::RunningAsRoot()) {
        ASSERT_TRUE(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const Status s = WriteProbeFile(folder, MakeProbe(QStringLiteral("Probe"), {{1, "a"}, {2, "b"}}));
        QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ExeOwner);
        ASSERT_FALSE(s);
        EXPECT_TRUE(s.message().startsWith(head + QLatin1Char('\n')));
        return;
    }
    if (const std::optional<QString> why = corvin::testing::NobodyUnavailable())
        GTEST_SKIP() << why->toStdString();
    // The folder belongs to root: nobody may enter it but not write in it.
    corvin::testing::LetNobodyReach(folder);
    const QString out = corvin::testing::RunAsNobody(QStringLiteral("ProbeFilesChild.WriteIntoForeignFolder"),
                                                     {QStringLiteral("CORVIN_PROBE_FOLDER=") + folder});
    EXPECT_TRUE(out.contains(QStringLiteral("CHILD-RESULT ok=0 message=") + head + QLatin1Char('|')))
        << out.toStdString();
    EXPECT_FALSE(QFile::exists(in(QStringLiteral("Probe.prb"))));
}

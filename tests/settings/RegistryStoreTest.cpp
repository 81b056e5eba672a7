#include "SettingsTestSupport.h"

#include "settings/RegistryStore.h"
#include "settings/cRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvin;
using namespace corvin::settings;
namespace ct = corvin::testing;
using corvin::testing::ReadRaw;
using corvin::testing::TempHome;
using corvin::testing::WriteRaw;

namespace {

const QString kRecent = QStringLiteral("Software\\Tarvik\\Corvin\\MDI\\Recent");

class RegistryStoreTest : public ::testing::Test {
protected:
    TempHome home;
    ManualClock clock;
    QString path = ct::StorePath(home);
};

// ---- Keys and values, compared without regard to case --------------------------------------

TEST_F(RegistryStoreTest, KeyPathsAndValueNamesIgnoreCaseAndKeepTheirSpelling) {
    RegistryStore store(path, clock);
    ASSERT_EQ(WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("MaxCount"), kRegDword,
                       QByteArray("\x04\0\0\0", 4)),
              kErrorSuccess);

    const auto raw = ReadRaw(store, kHkeyCurrentUser, QStringLiteral("SOFTWARE\\tarvik\\CORVIN\\mdi\\recent"),
                             QStringLiteral("maxcount"));
    EXPECT_EQ(raw.result, kErrorSuccess);
    EXPECT_EQ(raw.type, kRegDword);

    // Writing under another spelling replaces the value and keeps the first spelling.
    WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("MAXCOUNT"), kRegDword,
             QByteArray("\x02\0\0\0", 4));
    RegKey key;
    ASSERT_EQ(store.OpenKey(kHkeyCurrentUser, kRecent, kKeyAllAccess, key), kErrorSuccess);
    QString name;
    uint32_t capacity = 100;
    ASSERT_EQ(store.EnumValue(key, 0, name, capacity), kErrorSuccess);
    EXPECT_EQ(name, QStringLiteral("MaxCount"));
    EXPECT_EQ(store.EnumValue(key, 1, name, capacity), kErrorNoMoreItems);
    EXPECT_EQ(ReadRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("MaxCount")).data,
              QByteArray("\x02\0\0\0", 4));

    QString sub;
    RegKey tarvik;
    store.OpenKey(kHkeyCurrentUser, QStringLiteral("software\\TARVIK"), kKeyEnumerateSubKeys, tarvik);
    ASSERT_EQ(store.EnumKey(tarvik, 0, sub), kErrorSuccess);
    EXPECT_EQ(sub, QStringLiteral("Corvin"));
}

TEST_F(RegistryStoreTest, RootsAreSeparate) {
    RegistryStore store(path, clock);
    WriteRaw(store, kHkeyLocalMachine, QStringLiteral("Software"), QStringLiteral("v"), kRegSz, "x");
    RegKey key;
    EXPECT_EQ(store.OpenKey(kHkeyCurrentUser, QStringLiteral("Software"), kKeyQueryValue, key),
              kErrorFileNotFound);
    EXPECT_EQ(store.OpenKey(0x80000003u, QString(), kKeyQueryValue, key), kErrorInvalidHandle);
}

TEST_F(RegistryStoreTest, ValuesAreKeptByteForByte) {
    RegistryStore store(path, clock);
    const QByteArray withNul("abc\0", 4);
    const QByteArray empty;
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("a"), kRegSz, withNul);
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("b"), kRegSz, empty);
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral(""), 42,
             QByteArray("\xFF\x00\x01", 3));
    EXPECT_EQ(ReadRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("a")).data, withNul);
    const auto b = ReadRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("b"));
    EXPECT_EQ(b.result, kErrorSuccess);
    EXPECT_EQ(b.data.size(), 0);
    const auto unnamed = ReadRaw(store, kHkeyCurrentUser, QStringLiteral("k"), QString());
    EXPECT_EQ(unnamed.type, 42u);
    EXPECT_EQ(unnamed.data, QByteArray("\xFF\x00\x01", 3));
}

TEST_F(RegistryStoreTest, ASmallBufferReportsMoreDataAndTheSizeNeeded) {
    RegistryStore store(path, clock);
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("v"), kRegSz,
             QByteArray("hello\0", 6));
    RegKey key;
    store.OpenKey(kHkeyCurrentUser, QStringLiteral("K"), kKeyQueryValue, key);
    char buffer[4] = {};
    uint32_t size = sizeof buffer;
    EXPECT_EQ(store.QueryValue(key, QStringLiteral("v"), nullptr, buffer, &size), kErrorMoreData);
    EXPECT_EQ(size, 6u);

    QString name;
    uint32_t capacity = 1; // room for the NUL only
    EXPECT_EQ(store.EnumValue(key, 0, name, capacity), kErrorMoreData);
    RegKeyInfo info;
    ASSERT_EQ(store.QueryInfoKey(key, info), kErrorSuccess);
    EXPECT_EQ(info.values, 1u);
    EXPECT_EQ(info.maxValueNameLen, 1u);
    EXPECT_EQ(info.maxValueLen, 6u);
}

TEST_F(RegistryStoreTest, AccessRightsOfTheHandleAreEnforced) {
    RegistryStore store(path, clock);
    RegKey created;
    store.CreateKey(kHkeyCurrentUser, QStringLiteral("K"), kKeyAllAccess, created);
    RegKey readOnly;
    store.OpenKey(kHkeyCurrentUser, QStringLiteral("K"), kKeyQueryValue, readOnly);
    EXPECT_EQ(store.SetValue(readOnly, QStringLiteral("v"), kRegSz, "x"), kErrorAccessDenied);
    QString name;
    EXPECT_EQ(store.EnumKey(readOnly, 0, name), kErrorAccessDenied);
    RegistryStore::CloseKey(readOnly);
    EXPECT_EQ(store.SetValue(readOnly, QStringLiteral("v"), kRegSz, "x"), kErrorInvalidHandle);
}

TEST_F(RegistryStoreTest, BadKeyPathsAreRefused) {
    RegistryStore store(path, clock);
    RegKey key;
    EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, QStringLiteral("a\\\\b"), kKeyAllAccess, key),
              kErrorBadPathname);
    EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, QStringLiteral("\\a"), kKeyAllAccess, key),
              kErrorBadPathname);
    EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, QString(256, QLatin1Char('x')), kKeyAllAccess, key),
              kErrorInvalidParameter);
    EXPECT_EQ(store.CreateKey(kHkeyCurrentUser, QStringLiteral("a\\b\\"), kKeyAllAccess, key), kErrorSuccess);
    EXPECT_EQ(store.OpenKey(kHkeyCurrentUser, QStringLiteral("A\\B"), kKeyAllAccess, key), kErrorSuccess);
}

TEST_F(RegistryStoreTest, AKeyWithSubKeysIsNotDeletedAndADeletedKeyTakesItsValues) {
    RegistryStore store(path, clock);
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("A\\B"), QStringLiteral("v"), kRegSz, "x");
    EXPECT_EQ(store.DeleteKey(kHkeyCurrentUser, QStringLiteral("A")), kErrorAccessDenied);
    RegKey open;
    store.OpenKey(kHkeyCurrentUser, QStringLiteral("A\\B"), kKeyAllAccess, open);
    EXPECT_EQ(store.DeleteKey(kHkeyCurrentUser, QStringLiteral("a\\b")), kErrorSuccess);
    EXPECT_EQ(store.DeleteKey(kHkeyCurrentUser, QStringLiteral("A\\B")), kErrorFileNotFound);
    // A handle to the deleted key no longer writes anywhere.
    EXPECT_EQ(store.SetValue(open, QStringLiteral("v"), kRegSz, "y"), kErrorKeyDeleted);
    // Re-creating the key does not bring the old values back.
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("A\\B"), QStringLiteral("other"), kRegSz, "z");
    EXPECT_EQ(ReadRaw(store, kHkeyCurrentUser, QStringLiteral("A\\B"), QStringLiteral("v")).result,
              kErrorFileNotFound);
    EXPECT_EQ(store.DeleteKey(kHkeyCurrentUser, QString()), kErrorAccessDenied);
}

TEST_F(RegistryStoreTest, ValuesEnumerateInTheOrderFirstStoredAndSubKeysAlphabetically) {
    RegistryStore store(path, clock);
    for (const char* name : {"File2", "MaxCount", "File1"})
        WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QString::fromLatin1(name), kRegSz, "x");
    WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("file2"), kRegSz, "again");
    for (const char* sub : {"beta", "Alpha", "gamma"})
        WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K\\") + QString::fromLatin1(sub),
                 QStringLiteral("v"), kRegSz, "x");
    RegKey key;
    store.OpenKey(kHkeyCurrentUser, QStringLiteral("K"), kKeyAllAccess, key);
    QStringList values;
    QStringList subs;
    for (uint32_t i = 0;; ++i) {
        QString name;
        uint32_t capacity = 255;
        if (store.EnumValue(key, i, name, capacity) != kErrorSuccess)
            break;
        values << name;
    }
    for (uint32_t i = 0;; ++i) {
        QString name;
        if (store.EnumKey(key, i, name) != kErrorSuccess)
            break;
        subs << name;
    }
    EXPECT_EQ(values, (QStringList{"File2", "MaxCount", "File1"}));
    EXPECT_EQ(subs, (QStringList{"Alpha", "beta", "gamma"}));
}

// ---- Persistence -----------------------------------------------------------------------------

TEST_F(RegistryStoreTest, ValuesSurviveReopeningTheStore) {
    {
        RegistryStore store(path, clock);
        EXPECT_TRUE(store.notice().isEmpty());
        EXPECT_TRUE(store.persistent());
        WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("File1"), kRegSz,
                 QByteArray("/a/b.DAT\0", 9));
    }
    RegistryStore again(path, clock);
    EXPECT_TRUE(again.notice().isEmpty());
    EXPECT_EQ(ReadRaw(again, kHkeyCurrentUser, kRecent, QStringLiteral("file1")).data,
              QByteArray("/a/b.DAT\0", 9));
    // Nothing but the store (and its open lock) is left beside it.
    const QStringList names = QDir(home.path()).entryList(QDir::Files);
    EXPECT_EQ(names, (QStringList{"settings.db", "settings.db.lock"}));
}

TEST_F(RegistryStoreTest, AMissingFolderIsCreated) {
    const QString nested = home.file(QStringLiteral("config/corvin/settings.db"));
    RegistryStore store(nested, clock);
    EXPECT_TRUE(store.notice().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(nested));
}

// ---- Two users of one file -------------------------------------------------------------------

TEST_F(RegistryStoreTest, TwoStoreObjectsOnOneFileSeeEachOthersChanges) {
    RegistryStore a(path, clock);
    RegistryStore b(path, clock);
    WriteRaw(a, kHkeyCurrentUser, kRecent, QStringLiteral("Count"), kRegDword, QByteArray("\x01\0\0\0", 4));
    EXPECT_EQ(ReadRaw(b, kHkeyCurrentUser, kRecent, QStringLiteral("COUNT")).data,
              QByteArray("\x01\0\0\0", 4));

    RegKey held;
    ASSERT_EQ(a.OpenKey(kHkeyCurrentUser, kRecent, kKeyAllAccess, held), kErrorSuccess);
    RegKey other;
    b.OpenKey(kHkeyCurrentUser, kRecent, kKeyAllAccess, other);
    EXPECT_EQ(b.DeleteValue(other, QStringLiteral("Count")), kErrorSuccess);
    uint32_t size = 0;
    EXPECT_EQ(a.QueryValue(held, QStringLiteral("Count"), nullptr, nullptr, &size), kErrorFileNotFound);
    EXPECT_EQ(b.DeleteKey(kHkeyCurrentUser, kRecent), kErrorSuccess);
    EXPECT_EQ(a.SetValue(held, QStringLiteral("Count"), kRegDword, QByteArray(4, '\0')), kErrorKeyDeleted);
    // A handle of one store means nothing to another.
    EXPECT_EQ(b.SetValue(held, QStringLiteral("x"), kRegSz, "x"), kErrorInvalidHandle);
}

// Three processes, each with the store open, write into the same key in turn (the children
// step by step on this process's word, so their writes interleave every time); every write
// lands and the file stays sound.
TEST_F(RegistryStoreTest, ConcurrentWritersInSeveralProcessesLoseNothing) {
    { RegistryStore create(path, clock); }
    const QStringList env{QStringLiteral("CORVIN_TEST_STORE=") + path};
    auto first = ct::StartChild("Writer", env + QStringList{"CORVIN_TEST_WRITER=1"}, false);
    auto second = ct::StartChild("Writer", env + QStringList{"CORVIN_TEST_WRITER=2"}, false);
    {
        RegistryStore store(path, clock);
        cRegistry reg(store, QStringLiteral("Corvin"));
        reg.setClassKey(static_cast<int32_t>(kHkeyCurrentUser));
        reg.setSectionKey(QStringLiteral("Software\\Concurrent"));
        reg.setValueType(kRegDword);
        for (int i = 0; i < 100; ++i) {
            ASSERT_TRUE(ct::StepChild(*first)) << i << ": " << first->readAll().toStdString();
            ASSERT_TRUE(ct::StepChild(*second)) << i << ": " << second->readAll().toStdString();
            reg.setValueKey(QStringLiteral("W0-%1").arg(i));
            EXPECT_TRUE(reg.setValue(i).ok());
        }
    }
    for (const auto& r : {ct::FinishChild(*first), ct::FinishChild(*second)}) {
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    }

    RegistryStore check(path, clock);
    EXPECT_TRUE(check.notice().isEmpty()) << check.notice().toStdString();
    cRegistry reg(check, QStringLiteral("Corvin"));
    reg.setClassKey(static_cast<int32_t>(kHkeyCurrentUser));
    reg.setSectionKey(QStringLiteral("Software\\Concurrent"));
    QStringList names;
    int32_t count = 0;
    reg.EnumerateValues(names, count);
    EXPECT_EQ(count, 300);
    for (int w = 0; w < 3; ++w) {
        for (int i = 0; i < 100; i += 33) {
            reg.setValueKey(QStringLiteral("W%1-%2").arg(w).arg(i));
            EXPECT_EQ(reg.Value(), QVariant(w * 1000 + i)) << w << " " << i;
        }
    }
    QStringList sections;
    reg.setSectionKey(QStringLiteral("Software"));
    reg.EnumerateSections(sections, count);
    EXPECT_EQ(sections, QStringList{"Concurrent"});
}

// ---- A damaged or unreadable store -----------------------------------------------------------

// A store with a few values in it, as bytes.
QByteArray GoodStoreBytes(const QString& path, const Clock& clock) {
    {
        RegistryStore store(path, clock);
        for (int i = 1; i <= 4; ++i)
            WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("File%1").arg(i), kRegSz,
                     QByteArray("/home/user/Corvin/Data/TEST.DAT", 32));
    }
    QByteArray bytes = TempHome::read(path);
    QFile::remove(path);
    return bytes;
}

QByteArray Flipped(QByteArray bytes, std::initializer_list<int> offsets) {
    for (int at : offsets)
        bytes[at] = static_cast<char>(~bytes[at]);
    return bytes;
}

QByteArray RandomBytes(int size) {
    std::mt19937 generator(1234);
    QByteArray bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(generator() & 0xFF);
    return bytes;
}

struct Damage {
    const char* name;
    std::function<QByteArray(const QByteArray&)> make;
};

class DamagedStoreTest : public RegistryStoreTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedStoreTest, IsMovedAsideWithOneNoticeAndAFreshStoreStarts) {
    const QByteArray good = GoodStoreBytes(path, clock);
    ASSERT_GT(good.size(), 8192);
    const QByteArray damaged = GetParam().make(good);
    ASSERT_TRUE(TempHome::write(path, damaged));
    // A journal left beside the damaged file must not be taken up by the new store: it goes
    // with the damaged file (or, when SQLite found it meaningless while checking, it is gone).
    ASSERT_TRUE(TempHome::write(path + "-journal", QByteArray("stale journal")));

    RegistryStore store(path, clock);
    const QString aside = path + QStringLiteral(".damaged-20260101-090000");
    EXPECT_TRUE(store.persistent());
    EXPECT_TRUE(store.notice().contains(path)) << store.notice().toStdString();
    EXPECT_TRUE(store.notice().contains(aside)) << store.notice().toStdString();
    EXPECT_EQ(TempHome::read(aside), damaged);
    if (QFileInfo::exists(aside + "-journal")) {
        EXPECT_EQ(TempHome::read(aside + "-journal"), QByteArray("stale journal"));
    }
    EXPECT_FALSE(QFileInfo::exists(path + "-journal"));

    // The fresh store is empty and works, and opens cleanly next time.
    EXPECT_EQ(ReadRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("File1")).result, kErrorFileNotFound);
    EXPECT_EQ(WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("File1"), kRegSz, "x"),
              kErrorSuccess);
    RegistryStore again(path, clock);
    EXPECT_TRUE(again.notice().isEmpty());
    EXPECT_EQ(ReadRaw(again, kHkeyCurrentUser, kRecent, QStringLiteral("File1")).data, QByteArray("x"));
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedStoreTest,
    ::testing::Values(Damage{"RandomBytes", [](const QByteArray& good) { return RandomBytes(good.size()); }},
                      Damage{"Empty", [](const QByteArray&) { return QByteArray(); }},
                      Damage{"CutInsideTheHeader", [](const QByteArray& good) { return good.left(50); }},
                      Damage{"CutToTheFirstPage", [](const QByteArray& good) { return good.left(4096); }},
                      Damage{"CutInHalf", [](const QByteArray& good) { return good.left(good.size() / 2); }},
                      Damage{"FlippedMagic",
                             [](const QByteArray& good) {
                                 return Flipped(good, {0, 1, 2});
                             }},
                      Damage{"FlippedPageHeaders",
                             [](const QByteArray& good) {
                                 return Flipped(good, {4096, 8192, 12288});
                             }},
                      Damage{"TextInstead",
                             [](const QByteArray&) { return QByteArray("[Recent]\nFile1=x\n"); }}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(RegistryStoreTest, ASoundDatabaseOfAnotherProgramIsMovedAsideToo) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE recent(name TEXT); INSERT INTO recent VALUES('x');", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);

    RegistryStore store(path, clock);
    EXPECT_TRUE(store.notice().contains(QStringLiteral("not a Corvin settings file")))
        << store.notice().toStdString();
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".damaged-20260101-090000")));
}

TEST_F(RegistryStoreTest, AStoreThatIsAPipeOrAFolderIsSetAsideWithoutWaiting) {
    for (const char* kind : {"pipe", "folder"}) {
        SCOPED_TRACE(kind);
        TempHome where;
        const QString store = ct::StorePath(where);
        if (QByteArray(kind) == "pipe") {
            ASSERT_EQ(::mkfifo(QFile::encodeName(store).constData(), 0600), 0);
        } else {
            ASSERT_TRUE(QDir().mkpath(store));
        }
        RegistryStore opened(store, clock); // a pipe would have blocked here for good
        EXPECT_TRUE(opened.persistent());
        EXPECT_TRUE(opened.notice().contains(QStringLiteral("it is not a plain file")))
            << opened.notice().toStdString();
        const QFileInfo aside(store + QStringLiteral(".damaged-20260101-090000"));
        EXPECT_TRUE(QByteArray(kind) == "pipe" ? !aside.isFile() && aside.exists() : aside.isDir());
        EXPECT_TRUE(QFileInfo(store).isFile());
    }
}

TEST_F(RegistryStoreTest, AHalfMadeStoreOfAKilledStartIsRemoved) {
    { RegistryStore first(path, clock); }
    const QStringList leftovers = {path + ".new-a1B2c3", path + ".new-a1B2c3-journal", path + ".new-Zz9999"};
    for (const QString& file : leftovers)
        ASSERT_TRUE(TempHome::write(file, "half made"));
    ASSERT_TRUE(TempHome::write(path + ".newest", "not ours"));
    RegistryStore store(path, clock);
    EXPECT_TRUE(store.notice().isEmpty());
    for (const QString& file : leftovers)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path + ".newest"));
}

TEST_F(RegistryStoreTest, TheAsideNameNeverReplacesAnEarlierOne) {
    const QString aside = path + QStringLiteral(".damaged-20260101-090000");
    ASSERT_TRUE(TempHome::write(aside, "earlier"));
    ASSERT_TRUE(TempHome::write(path, "garbage garbage garbage"));
    RegistryStore store(path, clock);
    EXPECT_EQ(TempHome::read(aside), QByteArray("earlier"));
    EXPECT_EQ(TempHome::read(aside + "-2"), QByteArray("garbage garbage garbage"));
    EXPECT_TRUE(store.notice().contains(aside + "-2"));
}

// A folder the user may not write: nothing can be created or moved aside, so the store runs in
// memory. Root writes anywhere, so as root this runs in an unprivileged child.
class LockedFolderTest : public RegistryStoreTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LockedFolderTest, TheStoreRunsInMemoryWithOneNotice) {
    const bool damagedFileThere = GetParam();
    const QString folder = home.file("locked");
    const QString store = folder + "/settings.db";
    QDir().mkpath(folder);
    if (damagedFileThere) {
        ASSERT_TRUE(TempHome::write(store, "not a database at all"));
    }
    const QByteArray folderName = QFile::encodeName(folder);
    QString notice;
    if (::geteuid() != 0) {
        ::chmod(folderName.constData(), 0500);
        RegistryStore opened(store, clock);
        EXPECT_FALSE(opened.persistent());
        notice = opened.notice();
        ::chmod(folderName.constData(), 0700);
    } else {
        if (!ct::CanDropPrivileges())
            GTEST_SKIP() << "running as root without setpriv: cannot lock a folder";
        ::chmod(QFile::encodeName(home.path()).constData(), 0777);
        ::chmod(folderName.constData(), 0555);
        if (damagedFileThere)
            ::chmod(QFile::encodeName(store).constData(), 0644);
        const auto child = ct::RunChild("OpenInLockedFolder",
                                        {QStringLiteral("CORVIN_TEST_STORE=") + store,
                                         QStringLiteral("CORVIN_TEST_NOTICE=") + home.file("notice")},
                                        true);
        if (!child.started || child.exitCode == 126 || child.exitCode == 127)
            GTEST_SKIP() << "could not start the unprivileged child: " << child.output.toStdString();
        ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();
        notice = QString::fromUtf8(TempHome::read(home.file("notice")));
    }
    EXPECT_TRUE(notice.contains(store)) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("will not be kept"))) << notice.toStdString();
    if (damagedFileThere) {
        EXPECT_EQ(TempHome::read(store), QByteArray("not a database at all"));
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, LockedFolderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithADamagedStore" : "WithNoStore");
                         });

// An unreadable file needs an unprivileged user: root reads everything. When the tests run as
// root, the scenario runs in a child process that drops to user 65534.
TEST_F(RegistryStoreTest, AnUnreadableStoreIsMovedAsideWithOneNotice) {
    GoodStoreBytes(path, clock);
    {
        RegistryStore store(path, clock);
        WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("File1"), kRegSz, "kept");
    }
    const QByteArray before = TempHome::read(path);
    const QString aside = path + QStringLiteral(".damaged-20260101-090000");
    if (::geteuid() != 0) {
        ::chmod(QFile::encodeName(path).constData(), 0);
        RegistryStore store(path, clock);
        EXPECT_TRUE(store.notice().contains(QStringLiteral("Permission denied")))
            << store.notice().toStdString();
        ::chmod(QFile::encodeName(aside).constData(), 0600);
    } else {
        if (!ct::CanDropPrivileges())
            GTEST_SKIP() << "running as root without setpriv: cannot make a file unreadable";
        // The child (user 65534) may write in the home but not read the root-owned store.
        ::chmod(QFile::encodeName(home.path()).constData(), 0777);
        ::chmod(QFile::encodeName(path).constData(), 0600);
        ::unlink(QFile::encodeName(path + ".lock").constData());
        const auto child = ct::RunChild("OpenUnreadable",
                                        {QStringLiteral("CORVIN_TEST_STORE=") + path,
                                         QStringLiteral("CORVIN_TEST_NOTICE=") + home.file("notice")},
                                        true);
        if (!child.started || child.exitCode == 126 || child.exitCode == 127)
            GTEST_SKIP() << "could not start the unprivileged child: " << child.output.toStdString();
        ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();
        const QString notice = QString::fromUtf8(TempHome::read(home.file("notice")));
        EXPECT_TRUE(notice.contains(QStringLiteral("Permission denied"))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(aside)) << notice.toStdString();
    }
    EXPECT_EQ(TempHome::read(aside), before);
    RegistryStore fresh(path, clock);
    EXPECT_TRUE(fresh.notice().isEmpty());
    EXPECT_EQ(ReadRaw(fresh, kHkeyCurrentUser, kRecent, QStringLiteral("File1")).result, kErrorFileNotFound);
}

} // namespace

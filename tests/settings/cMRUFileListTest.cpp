// The recent-files list: its captions, AddFile, Save and Load through the settings store, and
// the File menu entries made from it.
#include "SettingsTestSupport.h"

#include "settings/RecentFilesMenu.h"
#include "settings/RegistryStore.h"
#include "settings/cMRUFileList.h"
#include "settings/cRegistry.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::settings;
namespace ct = corvin::testing;
using corvin::testing::TempHome;

namespace {

// ---- Captions --------------------------------------------------------------------------------

struct CaptionCase {
    int index;
    QString path;
    QString caption;
};

class MenuCaption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(MenuCaption, ShortensLongPathsToATailOfAtMost32Characters) {
    EXPECT_EQ(cMRUFileList::caption(GetParam().index, GetParam().path), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MenuCaption,
    ::testing::Values(
        // 32 characters show in full; the access key is the index.
        CaptionCase{2, "/home/lab/TESTS/run-0001-a.DAT12", "&2)  /home/lab/TESTS/run-0001-a.DAT12"},
        // 40 characters, several folders: "..." and the tail from the leftmost "/" that leaves at
        // most 32 characters after it.
        CaptionCase{1, "/home/lab/TESTS/2024/march/run-00001.DAT", "&1)  .../TESTS/2024/march/run-00001.DAT"},
        // A file name alone over 32 characters: "..." and everything from the first "/".
        CaptionCase{3, "/d/a-very-long-file-name-of-the-march-run.DAT",
                    "&3)  .../d/a-very-long-file-name-of-the-march-run.DAT"},
        CaptionCase{4, "no-folders-at-all-in-this-long-file-name.DAT",
                    "&4)  no-folders-at-all-in-this-long-file-name.DAT"}));

// ---- AddFile ---------------------------------------------------------------------------------

class RecentFiles : public ::testing::Test {
protected:
    RecentFiles() : store(ct::StorePath(home), clock) { list.setMaxFileCount(kRecentFilesCapacity); }

    QString Make(const QString& name) {
        const QString path = home.file(name);
        EXPECT_TRUE(TempHome::write(path, "x"));
        return path;
    }
    static QStringList Files(const cMRUFileList& l) {
        QStringList files;
        for (int i = 1; i <= l.FileCount(); ++i)
            files << l.file(i);
        return files;
    }
    cRegistry Registry() {
        cRegistry r(store, QStringLiteral("corvin"));
        r.setClassKey(static_cast<int32_t>(kHkeyCurrentUser));
        r.setSectionKey(kRecentFilesKey);
        return r;
    }

    TempHome home;
    ManualClock clock;
    RegistryStore store;
    cMRUFileList list;
};

} // namespace

TEST_F(RecentFiles, AFifthFileDropsTheOldest) {
    const QStringList files{Make("1.DAT"), Make("2.DAT"), Make("3.DAT"), Make("4.DAT"), Make("5.DAT")};
    for (const QString& f : files)
        list.AddFile(f);
    EXPECT_EQ(list.FileCount(), 4);
    EXPECT_EQ(Files(list), (QStringList{files[4], files[3], files[2], files[1]}));
}

TEST_F(RecentFiles, AFileAlreadyListedInAnotherCaseMovesToTheTop) {
    const QString a = Make("a.DAT");
    const QString b = Make("b.DAT");
    const QString c = Make("c.DAT");
    list.AddFile(a);
    list.AddFile(b);
    list.AddFile(c);
    const QString shouted = home.file("B.dat");
    ASSERT_TRUE(TempHome::write(shouted, "x"));
    list.AddFile(shouted);
    EXPECT_EQ(Files(list), (QStringList{shouted, c, a}));
}

TEST_F(RecentFiles, AFileThatIsNotThereChangesNothing) {
    const QString a = Make("a.DAT");
    list.AddFile(a);
    list.AddFile(home.file("gone.DAT"));
    list.AddFile(home.path()); // a folder is not a file
    EXPECT_EQ(Files(list), QStringList{a});
    EXPECT_EQ(list.file(0), QString());
    EXPECT_EQ(list.file(5), QString());
    EXPECT_FALSE(list.FileExists(2));
}

TEST_F(RecentFiles, ASmallerCapacityKeepsTheFirstEntries) {
    const QString a = Make("a.DAT");
    const QString b = Make("b.DAT");
    const QString c = Make("c.DAT");
    for (const QString& f : {a, b, c})
        list.AddFile(f);
    list.setMaxFileCount(2);
    EXPECT_EQ(Files(list), (QStringList{c, b}));
}

// ---- Save and Load -----------------------------------------------------------------------------

TEST_F(RecentFiles, SavesUnderTheCurrentUsersRecentKey) {
    const QString a = Make("a.DAT");
    const QString b = Make("b.DAT");
    list.AddFile(a);
    list.AddFile(b);
    cRegistry registry = Registry();
    ASSERT_TRUE(list.Save(registry));
    const auto raw = [&](const QString& name) {
        return ct::ReadRaw(store, kHkeyCurrentUser, QStringLiteral("Software\\Tarvik\\Corvin\\MDI\\Recent"),
                           name);
    };
    EXPECT_EQ(raw("MaxCount").type, kRegDword);
    EXPECT_EQ(raw("MaxCount").data, QByteArray("\x04\0\0\0", 4));
    EXPECT_EQ(raw("Count").data, QByteArray("\x02\0\0\0", 4));
    EXPECT_EQ(raw("File1").type, kRegSz);
    EXPECT_EQ(raw("File1").data, b.toLatin1() + '\0');
    EXPECT_EQ(raw("File2").data, a.toLatin1() + '\0');
    EXPECT_EQ(raw("File3").result, kErrorFileNotFound);

    cMRUFileList again;
    cRegistry reader = Registry();
    ASSERT_TRUE(again.Load(reader));
    again.setMaxFileCount(kRecentFilesCapacity);
    EXPECT_EQ(Files(again), (QStringList{b, a}));
}

TEST_F(RecentFiles, LoadDropsFilesThatNoLongerExistAndTheirValues) {
    const QString a = Make("a.DAT");
    const QString b = Make("b.DAT");
    const QString c = Make("c.DAT");
    for (const QString& f : {a, b, c})
        list.AddFile(f);
    cRegistry registry = Registry();
    ASSERT_TRUE(list.Save(registry));
    ASSERT_TRUE(QFile::remove(b));
    // A stored single space is an empty entry: a missing file too.
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("Count"), kRegDword,
                 QByteArray("\x04\0\0\0", 4));
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("File4"), kRegSz,
                 QByteArray(" \0", 2));

    cMRUFileList loaded;
    ASSERT_TRUE(loaded.Load(registry));
    EXPECT_EQ(Files(loaded), (QStringList{c, a}));
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("File2")).result,
              kErrorFileNotFound);
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("File4")).result,
              kErrorFileNotFound);
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("File3")).result,
              kErrorSuccess);
}

TEST_F(RecentFiles, NothingStoredLoadsAnEmptyList) {
    cRegistry registry = Registry();
    EXPECT_TRUE(list.Load(registry));
    EXPECT_EQ(list.FileCount(), 0);
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("MaxCount"), kRegDword,
                 QByteArray("\0\0\0\0", 4));
    EXPECT_TRUE(list.Load(registry));
    EXPECT_EQ(list.MaxFileCount(), kRecentFilesCapacity);
}

// Values this program never writes must not make Load allocate or loop without end.
TEST_F(RecentFiles, ACapacityOrCountBeyondReasonIsRefused) {
    cRegistry registry = Registry();
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("MaxCount"), kRegDword,
                 QByteArray("\xff\xff\xff\x7f", 4));
    EXPECT_FALSE(list.Load(registry));
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("MaxCount"), kRegDword,
                 QByteArray("\x04\0\0\0", 4));
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("Count"), kRegDword,
                 QByteArray("\xff\xff\xff\x7f", 4));
    EXPECT_FALSE(list.Load(registry));
    EXPECT_EQ(list.FileCount(), 0);
}

// Regression: a Count above MaxCount emptied the list, and the exit then saved Count 0.
TEST_F(RecentFiles, ACountAboveTheCapacityKeepsTheEntriesThatExist) {
    const QString a = Make("a.DAT");
    const QString b = Make("b.DAT");
    list.AddFile(a);
    list.AddFile(b);
    cRegistry registry = Registry();
    ASSERT_TRUE(list.Save(registry));
    ct::WriteRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("Count"), kRegDword,
                 QByteArray("\x09\0\0\0", 4));

    cMRUFileList loaded;
    loaded.Load(registry);
    loaded.setMaxFileCount(kRecentFilesCapacity);
    EXPECT_EQ(Files(loaded), (QStringList{b, a}));
    ASSERT_TRUE(loaded.Save(registry));
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("Count")).data,
              QByteArray("\x02\0\0\0", 4));
}

// Regression: a name Windows-1252 cannot spell was stored with "?" for the missing letters, named
// no file at the next start and vanished from the menu.
TEST_F(RecentFiles, NamesOutsideWindows1252ComeBackAndTheOthersAreStoredAsBefore) {
    const QString greek = Make(QStringLiteral("my test \u00fc \u03a9mega.DAT"));
    const QString latin = Make(QStringLiteral("caf\u00e9.DAT"));
    list.AddFile(greek);
    list.AddFile(latin);
    cRegistry registry = Registry();
    ASSERT_TRUE(list.Save(registry));
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, kRecentFilesKey, QStringLiteral("File1")).data,
              latin.toLatin1() + '\0');

    cMRUFileList loaded;
    ASSERT_TRUE(loaded.Load(registry));
    EXPECT_EQ(Files(loaded), (QStringList{latin, greek}));
}

TEST_F(RecentFiles, ADamagedStoreIsSetAsideAndTheListCarriesOn) {
    const QString a = Make("a.DAT");
    const QString other = home.file("damaged.db");
    ASSERT_TRUE(TempHome::write(other, QByteArray(8192, '\x5a')));
    RegistryStore damaged(other, clock);
    EXPECT_FALSE(damaged.notice().isEmpty());
    cRegistry registry(damaged, QStringLiteral("corvin"));
    registry.setClassKey(static_cast<int32_t>(kHkeyCurrentUser));
    registry.setSectionKey(kRecentFilesKey);
    cMRUFileList fresh;
    EXPECT_TRUE(fresh.Load(registry));
    EXPECT_EQ(fresh.FileCount(), 0);
    fresh.setMaxFileCount(kRecentFilesCapacity);
    fresh.AddFile(a);
    EXPECT_TRUE(fresh.Save(registry));
    cMRUFileList back;
    EXPECT_TRUE(back.Load(registry));
    EXPECT_EQ(Files(back), QStringList{a});
}

// ---- The File menu entries ---------------------------------------------------------------------

TEST_F(RecentFiles, TheMenuShowsOneEntryToolPerFileWithItsIndexAsTag) {
    EXPECT_FALSE(RecentFilesMenu::forList(list).separatorVisible);
    EXPECT_TRUE(RecentFilesMenu::forList(list).entries.empty());
    const QString a = Make("a.DAT");
    const QString b = Make("b.DAT");
    list.AddFile(a);
    list.AddFile(b);
    const RecentFilesMenu::Rebuild menu = RecentFilesMenu::forList(list);
    EXPECT_TRUE(menu.separatorVisible);
    ASSERT_EQ(menu.entries.size(), 2u);
    EXPECT_EQ(menu.entries[0], (RecentFilesMenu::Entry{"miFMRU1", cMRUFileList::caption(1, b), "1"}));
    EXPECT_EQ(menu.entries[1], (RecentFilesMenu::Entry{"miFMRU2", cMRUFileList::caption(2, a), "2"}));
    const RecentFilesMenu::Switch tools = RecentFilesMenu::toSwitch(list);
    EXPECT_EQ(tools.tools, (QStringList{"miFMRU1", "miFMRU2"}));
    EXPECT_TRUE(tools.separatorVisible);
    EXPECT_EQ(RecentFilesMenu::indexFromTag(QStringLiteral("3")), 3);
    EXPECT_EQ(RecentFilesMenu::indexFromTag(QStringLiteral("three")), 0);
}

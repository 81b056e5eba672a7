// The one writer every save goes through: the new content appears whole or not at all.
#include "common/AtomicFile.h"
#include "common/TextTrim.h"

#include "support/TempHome.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace corvin;
using corvin::testing::TempHome;

namespace {

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

TEST(AtomicFile, ReplacesTheOldContentWholeAndLeavesNoTemporary) {
    TempHome home;
    const QString path = home.file(QStringLiteral("T.DAT"));
    ASSERT_TRUE(TempHome::write(path, "old content"));
    EXPECT_TRUE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(TempHome::read(path), QByteArray("new"));
    EXPECT_EQ(FilesIn(home.path()), QStringList{QStringLiteral("T.DAT")});
}

TEST(AtomicFile, ASaveNeverCommittedLeavesTheOldFileAlone) {
    TempHome home;
    const QString path = home.file(QStringLiteral("T.DAT"));
    ASSERT_TRUE(TempHome::write(path, "old content"));
    {
        AtomicFile save(path);
        ASSERT_TRUE(save.open());
        ASSERT_TRUE(save.write("half of the n"));
    }
    EXPECT_EQ(TempHome::read(path), QByteArray("old content"));
    EXPECT_EQ(FilesIn(home.path()), QStringList{QStringLiteral("T.DAT")});
}

TEST(AtomicFile, AFolderThatIsMissingIsAFailureWithAReason) {
    TempHome home;
    const Status s = WriteFileAtomically(home.file(QStringLiteral("no/such/folder/T.DAT")), "x");
    EXPECT_FALSE(s);
    EXPECT_FALSE(s.message().isEmpty());
    EXPECT_FALSE(AtomicFile(home.file(QStringLiteral("x"))).commit()); // commit without open
}

// ---- Trimming --------------------------------------------------------------------------------

TEST(TextTrim, SpacesOnlyOrPaddingAtTheEndsAsAsked) {
    const QString field = QStringLiteral("  Anode \t ") + QChar(0) + QStringLiteral("  ");
    EXPECT_EQ(TrimSpaces(QStringLiteral("  a b\t ")), QStringLiteral("a b\t"));
    EXPECT_EQ(TrimPadding(field), QStringLiteral("Anode \t"));
    EXPECT_EQ(TrimPaddingEnd(field), QStringLiteral("  Anode \t"));
    EXPECT_EQ(TrimPadding(QString(3, QChar(0))), QString());
}

} // namespace

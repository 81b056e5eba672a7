#include "SettingsTestSupport.h"

#include "settings/cRegistry.h"

#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::settings;
namespace ct = corvin::testing;
using corvin::testing::ReadRaw;
using corvin::testing::TempHome;
using corvin::testing::WriteRaw;

namespace {

const QString kRecent = QStringLiteral("Software\\Tarvik\\Corvin\\MDI\\Recent");
constexpr int32_t kCurrentUser = static_cast<int32_t>(kHkeyCurrentUser);

class cRegistryTest : public ::testing::Test {
protected:
    cRegistryTest() {
        reg.setClassKey(kCurrentUser);
        reg.setSectionKey(kRecent);
    }
    RegistryResult write(const QString& name, int32_t type, const QVariant& value) {
        reg.setValueKey(name);
        reg.setValueType(type);
        return reg.setValue(value);
    }
    QVariant read(const QString& name) {
        reg.setValueKey(name);
        return reg.Value();
    }
    ct::RawValue raw(const QString& name) { return ReadRaw(store, kHkeyCurrentUser, kRecent, name); }

    TempHome home;
    ManualClock clock;
    RegistryStore store{ct::StorePath(home), clock};
    cRegistry reg{store, QStringLiteral("Corvin")};
};

// ---- Strings: type 1 or 2 by the percent signs -------------------------------------------------

struct PercentCase {
    const char* text;
    uint32_t storedType;
};

class PercentTest : public cRegistryTest, public ::testing::WithParamInterface<PercentCase> {};

TEST_P(PercentTest, TheStoredTypeFollowsThePercentSigns) {
    const QString text = QString::fromLatin1(GetParam().text);
    for (int32_t type : {1, 2}) {
        ASSERT_TRUE(write(QStringLiteral("v"), type, text).ok());
        const auto stored = raw(QStringLiteral("v"));
        EXPECT_EQ(stored.type, GetParam().storedType) << GetParam().text << " as type " << type;
        // ANSI text with its terminating NUL.
        EXPECT_EQ(stored.data, QByteArray(GetParam().text) + QByteArray(1, '\0'));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, PercentTest,
                         ::testing::Values(PercentCase{"%a%", 2}, PercentCase{"x%%y%", 2},
                                           PercentCase{"%UNSET_NAME%\\Data", 2}, PercentCase{"50%", 1},
                                           PercentCase{"%%", 1}, PercentCase{"a%%b", 1}, PercentCase{"", 1},
                                           PercentCase{"C:\\Corvin\\Data\\T1.DAT", 1}));

TEST_F(cRegistryTest, AnExpandableStringComesBackExpanded) {
    qputenv("CORVIN_REG_TEST", "/opt/corvin");
    ASSERT_TRUE(write(QStringLiteral("v"), 1, QStringLiteral("%CORVIN_REG_TEST%/Data")).ok());
    reg.setValueType(0);
    EXPECT_EQ(read(QStringLiteral("v")), QVariant(QStringLiteral("/opt/corvin/Data")));
    EXPECT_EQ(reg.ValueType(), 2);
    qunsetenv("CORVIN_REG_TEST");
}

TEST(ExpandEnvironmentStrings, UnknownNamesStayAsWritten) {
    qputenv("CORVIN_REG_TEST", "abc");
    EXPECT_EQ(cRegistry::expandEnvironmentStrings("%CORVIN_REG_TEST%"), QStringLiteral("abc"));
    EXPECT_EQ(cRegistry::expandEnvironmentStrings("%NOT_SET_ANYWHERE%x"),
              QStringLiteral("%NOT_SET_ANYWHERE%x"));
    // The closing sign of an unknown name may open the next one.
    EXPECT_EQ(cRegistry::expandEnvironmentStrings("%NOPE%CORVIN_REG_TEST%"), QStringLiteral("%NOPEabc"));
    EXPECT_EQ(cRegistry::expandEnvironmentStrings("100%"), QStringLiteral("100%"));
    EXPECT_EQ(cRegistry::expandEnvironmentStrings("%%"), QStringLiteral("%%"));
    qunsetenv("CORVIN_REG_TEST");
}

TEST_F(cRegistryTest, ReadingAStringDropsItsLastByteAsTheNul) {
    ASSERT_TRUE(write(QStringLiteral("File1"), 1, QStringLiteral("/home/u/Data/T1.DAT")).ok());
    EXPECT_EQ(read(QStringLiteral("File1")), QVariant(QStringLiteral("/home/u/Data/T1.DAT")));
    EXPECT_EQ(reg.ValueType(), 1);
    // A string stored without its NUL (as the default probe is) loses its last character here.
    WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("NoNul"), kRegSz, "Probe");
    EXPECT_EQ(read(QStringLiteral("NoNul")), QVariant(QStringLiteral("Prob")));
    WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("Empty"), kRegSz, QByteArray());
    EXPECT_EQ(read(QStringLiteral("Empty")), QVariant(QString()));
}

TEST_F(cRegistryTest, AMultiStringKeepsItsInnerNuls) {
    WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("m"), kRegMultiSz, QByteArray("a\0bc\0\0", 6));
    EXPECT_EQ(read(QStringLiteral("m")), QVariant(QString::fromLatin1("a\0bc\0", 5)));
    EXPECT_EQ(reg.ValueType(), 7);
}

TEST_F(cRegistryTest, TextGoesThroughTheAnsiCodePage) {
    ASSERT_TRUE(write(QStringLiteral("v"), 1, QStringLiteral("µA €")).ok());
    EXPECT_EQ(raw(QStringLiteral("v")).data, QByteArray("\xB5"
                                                        "A \x80\0",
                                                        5));
    EXPECT_EQ(read(QStringLiteral("v")), QVariant(QStringLiteral("µA €")));
}

// ---- Numbers ---------------------------------------------------------------------------------

TEST_F(cRegistryTest, NumbersAreStoredAsType4EvenWhenType5IsAskedFor) {
    ASSERT_TRUE(write(QStringLiteral("n"), 5, QVariant(qint32(0x01020304))).ok());
    EXPECT_EQ(raw(QStringLiteral("n")).type, kRegDword);
    EXPECT_EQ(raw(QStringLiteral("n")).data, QByteArray("\x04\x03\x02\x01", 4));
    EXPECT_EQ(read(QStringLiteral("n")), QVariant(qint32(0x01020304)));
    EXPECT_EQ(reg.ValueType(), 4);

    ASSERT_TRUE(write(QStringLiteral("short"), 4, QVariant::fromValue<qint16>(-2)).ok());
    EXPECT_EQ(raw(QStringLiteral("short")).data, QByteArray("\xFE\xFF\xFF\xFF", 4));
}

TEST_F(cRegistryTest, ABigEndianNumberIsReadWithItsBytesSwapped) {
    WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("be"), kRegDwordBigEndian,
             QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(read(QStringLiteral("be")), QVariant(qint32(0x01020304)));
    EXPECT_EQ(reg.ValueType(), 5);
}

TEST_F(cRegistryTest, WritingANonIntegerAsANumberWritesNothingAndSucceeds) {
    for (const QVariant& value : {QVariant(QStringLiteral("4")), QVariant(2.5), QVariant(qint64(7))}) {
        const RegistryResult r = write(QStringLiteral("MaxCount"), 4, value);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(raw(QStringLiteral("MaxCount")).result, kErrorFileNotFound);
        EXPECT_EQ(reg.lastValue(), value);
    }
}

// ---- Bytes -----------------------------------------------------------------------------------

TEST_F(cRegistryTest, ABinaryValueIsWrittenWholeAndReadOneElementLonger) {
    const QByteArray bytes("\x01\x02\x03", 3);
    ASSERT_TRUE(write(QStringLiteral("b"), 3, bytes).ok());
    EXPECT_EQ(raw(QStringLiteral("b")).data, bytes);
    EXPECT_EQ(raw(QStringLiteral("b")).type, kRegBinary);
    EXPECT_EQ(read(QStringLiteral("b")), QVariant(QByteArray("\x01\x02\x03\x00", 4)));
    EXPECT_EQ(reg.ValueType(), 3);
}

TEST_F(cRegistryTest, OtherTypesAlsoReadAsBytesWithATrailingZero) {
    for (uint32_t type : {0u, 6u, 8u, 11u}) {
        WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("t"), type, QByteArray("\xAA\xBB", 2));
        EXPECT_EQ(read(QStringLiteral("t")), QVariant(QByteArray("\xAA\xBB\x00", 3))) << type;
        EXPECT_EQ(reg.ValueType(), static_cast<int32_t>(type));
    }
    WriteRaw(store, kHkeyCurrentUser, kRecent, QStringLiteral("t"), kRegBinary, QByteArray());
    EXPECT_EQ(read(QStringLiteral("t")), QVariant(QByteArray(1, '\0')));
}

// ---- Missing values and keys ------------------------------------------------------------------

TEST_F(cRegistryTest, AValueThatCannotBeReadGivesTheDefault) {
    EXPECT_FALSE(read(QStringLiteral("nothing")).isValid());
    reg.setDEFAULT(QStringLiteral("none"));
    reg.setValueType(4);
    EXPECT_EQ(read(QStringLiteral("nothing")), QVariant(QStringLiteral("none")));
    EXPECT_EQ(reg.ValueType(), 4); // untouched
    reg.setSectionKey(QStringLiteral("Software\\Missing"));
    EXPECT_EQ(read(QStringLiteral("x")), QVariant(QStringLiteral("none")));
}

TEST_F(cRegistryTest, KeyExistsAndCreateKey) {
    reg.setSectionKey(QStringLiteral("Software\\Tarvik\\New"));
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_TRUE(reg.CreateKey().ok());
    EXPECT_TRUE(reg.KeyExists());
    reg.setSectionKey(QStringLiteral("SOFTWARE\\tarvik\\new"));
    EXPECT_TRUE(reg.KeyExists());
}

TEST_F(cRegistryTest, EnumeratingAMissingKeyGivesNothingAndTrue) {
    reg.setSectionKey(QStringLiteral("Software\\Missing"));
    QStringList names{"stale"};
    int32_t count = 99;
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.isEmpty());
    names = QStringList{"stale"};
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(cRegistryTest, EnumerationListsNamesAsStored) {
    write(QStringLiteral("MaxCount"), 4, 4);
    write(QStringLiteral("Count"), 4, 2);
    write(QStringLiteral("File1"), 1, QStringLiteral("/a"));
    write(QString(), 1, QStringLiteral("unnamed"));
    QStringList names;
    int32_t count = 0;
    EXPECT_TRUE(reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 4);
    EXPECT_EQ(names, (QStringList{"MaxCount", "Count", "File1", ""}));

    reg.setSectionKey(QStringLiteral("Software\\Tarvik\\Corvin"));
    EXPECT_TRUE(reg.EnumerateSections(names, count));
    EXPECT_EQ(names, QStringList{"MDI"});
    EXPECT_EQ(count, 1);
}

// ---- Errors: number, source, description --------------------------------------------------------

TEST_F(cRegistryTest, DeleteValueOnAMissingKeyRaisesTheOpenError) {
    reg.setSectionKey(QStringLiteral("Software\\Nope"));
    reg.setValueKey(QStringLiteral("File1"));
    const RegistryResult r = reg.DeleteValue();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, 26001);
    EXPECT_EQ(r.error().Source, QStringLiteral("Corvin.cRegistry"));
    EXPECT_EQ(r.error().Description,
              QStringLiteral("Failed to open key '-2147483647',Section: 'Software\\Nope' for delete access"));
}

TEST_F(cRegistryTest, DeleteValueOfAMissingValueRaisesTheDeleteError) {
    write(QStringLiteral("File1"), 1, QStringLiteral("x"));
    reg.setValueKey(QStringLiteral("File9"));
    const RegistryResult r = reg.DeleteValue();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, 26001);
    EXPECT_EQ(r.error().Description, QStringLiteral("Failed to delete registry Key: '-2147483647',Section: "
                                                    "'Software\\Tarvik\\Corvin\\MDI\\Recent',Key: 'File9"));
    reg.setValueKey(QStringLiteral("FILE1"));
    EXPECT_TRUE(reg.DeleteValue().ok());
    EXPECT_EQ(raw(QStringLiteral("File1")).result, kErrorFileNotFound);
}

TEST_F(cRegistryTest, DeleteKeyFailsForAMissingKeyOrOneWithSubKeys) {
    write(QStringLiteral("v"), 1, QStringLiteral("x"));
    reg.setSectionKey(QStringLiteral("Software\\Tarvik"));
    RegistryResult r = reg.DeleteKey();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, 26001);
    EXPECT_EQ(r.error().Description,
              QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\Tarvik"));
    reg.setSectionKey(kRecent);
    EXPECT_TRUE(reg.DeleteKey().ok());
    EXPECT_FALSE(reg.KeyExists());
    EXPECT_FALSE(reg.DeleteKey().ok());
}

TEST_F(cRegistryTest, CreateKeyFailureNamesTheSection) {
    reg.setSectionKey(QStringLiteral("Software\\\\Bad"));
    const RegistryResult r = reg.CreateKey();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, 26001);
    EXPECT_EQ(r.error().Description, QStringLiteral("Failed to create registry Key: 'Software\\\\Bad"));
}

TEST_F(cRegistryTest, AWriteWhoseKeyCannotBeMadeRaises26001WithTheValue) {
    reg.setClassKey(0); // not a root
    reg.setSectionKey(QStringLiteral("S"));
    const RegistryResult r = write(QStringLiteral("V"), 1, QStringLiteral("text"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, 26001);
    EXPECT_EQ(r.error().Description,
              QStringLiteral("Failed to set registry value Key: '0',Section: 'S',Key: 'V' to value: 'text'"));
}

TEST_F(cRegistryTest, AnUnknownTypeFailsTheWriteWith0x800469A9) {
    const RegistryResult r = write(QStringLiteral("m"), 7, QStringLiteral("a"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, static_cast<int32_t>(0x800469A9u));
    EXPECT_EQ(r.error().Source, QStringLiteral("Corvin.cRegistry"));
    EXPECT_EQ(r.error().Description,
              QStringLiteral("Failed to set registry value Key: '-2147483647',Section: "
                             "'Software\\Tarvik\\Corvin\\MDI\\Recent',Key: 'm' to value: 'a'"));
    EXPECT_EQ(raw(QStringLiteral("m")).result, kErrorFileNotFound);
    EXPECT_FALSE(reg.lastValue().isValid());
}

TEST_F(cRegistryTest, ABinaryWriteOfSomethingElseRaises26001WithoutDescription) {
    const RegistryResult r = write(QStringLiteral("b"), 3, QStringLiteral("text"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().Number, 26001);
    EXPECT_TRUE(r.error().Description.isEmpty());
}

TEST_F(cRegistryTest, TheSourceIsTheProgramsName) {
    cRegistry unnamed(store);
    unnamed.setClassKey(kCurrentUser);
    unnamed.setSectionKey(QStringLiteral("Missing"));
    EXPECT_EQ(unnamed.DeleteValue().error().Source, QStringLiteral("corvin_settings_tests.cRegistry"));
}

// ---- File association --------------------------------------------------------------------------

TEST_F(cRegistryTest, CreateEXEAssociationWritesTheFiveUnnamedValues) {
    reg.setValueType(1);
    ASSERT_TRUE(
        reg.CreateEXEAssociation("/opt/corvin/corvin", "Corvin.Data", "Corvin test data", "DAT", 0).ok());
    EXPECT_EQ(reg.ClassKey(), static_cast<int32_t>(kHkeyClassesRoot));
    const QByteArray command("/opt/corvin/corvin \"%1\"\0", 24);
    const std::vector<std::pair<const char*, QByteArray>> expected{
        {".DAT", QByteArray("Corvin.Data\0", 12)},
        {".DAT\\shell\\open\\command", command},
        {"Corvin.Data", QByteArray("Corvin test data\0", 17)},
        {"Corvin.Data\\shell\\open\\command", command},
        {"Corvin.Data\\DefaultIcon", QByteArray("/opt/corvin/corvin,0\0", 21)},
    };
    for (const auto& [key, data] : expected) {
        const auto v = ReadRaw(store, kHkeyClassesRoot, QString::fromLatin1(key), QString());
        EXPECT_EQ(v.data, data) << key;
        EXPECT_EQ(v.type, kRegSz) << key;
    }
}

TEST_F(cRegistryTest, CreateEXEAssociationWithoutIconSkipsDefaultIcon) {
    reg.setValueType(1);
    ASSERT_TRUE(reg.CreateEXEAssociation("/c", "C.D", "d", "PRB").ok());
    EXPECT_EQ(ReadRaw(store, kHkeyClassesRoot, "C.D\\DefaultIcon", QString()).result, kErrorFileNotFound);
}

} // namespace

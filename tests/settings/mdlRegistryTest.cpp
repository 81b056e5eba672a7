#include "SettingsTestSupport.h"

#include "settings/DefaultProbeSetting.h"
#include "settings/ViewPreferenceSettings.h"
#include "settings/cRegistry.h"
#include "settings/mdlRegistry.h"

#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::settings;
namespace ct = corvin::testing;
using corvin::testing::ReadRaw;
using corvin::testing::TempHome;
using corvin::testing::WriteRaw;

namespace {

class mdlRegistryTest : public ::testing::Test {
protected:
    mdlRegistryTest() { store.CreateKey(kHkeyLocalMachine, kDefaultProbeKey, kKeyAllAccess, key); }
    ct::RawValue raw(const QString& name) {
        return ReadRaw(store, kHkeyLocalMachine, kDefaultProbeKey, name);
    }

    TempHome home;
    ManualClock clock;
    RegistryStore store{ct::StorePath(home), clock};
    RegKey key;
};

// ---- The four functions ------------------------------------------------------------------------

TEST_F(mdlRegistryTest, AType1WriteStoresNoTerminatingNul) {
    EXPECT_EQ(RegistryWriteValue(key, QStringLiteral("Default Probe"), 1, QStringLiteral("PROBE µ1")), 0);
    const auto stored = raw(QStringLiteral("Default Probe"));
    EXPECT_EQ(stored.type, kRegSz);
    EXPECT_EQ(stored.data, QByteArray("PROBE \xB5"
                                      "1"));
}

TEST_F(mdlRegistryTest, AType1ReadReturnsEveryStoredByteIncludingANul) {
    WriteRaw(store, kHkeyLocalMachine, kDefaultProbeKey, QStringLiteral("v"), kRegSz,
             QByteArray("Probe\0", 6));
    QVariant value;
    EXPECT_EQ(RegistryReadValue(key, QStringLiteral("v"), value), 0);
    EXPECT_EQ(value, QVariant(QString::fromLatin1("Probe\0", 6)));
}

TEST_F(mdlRegistryTest, NumbersRoundTripAsFourBytes) {
    EXPECT_EQ(RegistryWriteValue(key, QStringLiteral("n"), 4, -5), 0);
    EXPECT_EQ(raw(QStringLiteral("n")).data, QByteArray("\xFB\xFF\xFF\xFF", 4));
    QVariant value;
    EXPECT_EQ(RegistryReadValue(key, QStringLiteral("n"), value), 0);
    EXPECT_EQ(value, QVariant(qint32(-5)));
    // Something that is no number writes nothing.
    EXPECT_NE(RegistryWriteValue(key, QStringLiteral("m"), 4, QStringLiteral("four")), 0);
    EXPECT_EQ(raw(QStringLiteral("m")).result, kErrorFileNotFound);
}

TEST_F(mdlRegistryTest, OtherTypesWriteNothingAndReadAsMinusOne) {
    for (int32_t type : {0, 2, 3, 5, 7}) {
        EXPECT_EQ(RegistryWriteValue(key, QStringLiteral("x"), type, QStringLiteral("text")), 0) << type;
        EXPECT_EQ(raw(QStringLiteral("x")).result, kErrorFileNotFound) << type;
    }
    WriteRaw(store, kHkeyLocalMachine, kDefaultProbeKey, QStringLiteral("e"), kRegExpandSz,
             QByteArray("%a%\0", 4));
    QVariant value = QStringLiteral("untouched");
    EXPECT_EQ(RegistryReadValue(key, QStringLiteral("e"), value), -1);
    EXPECT_EQ(value, QVariant(QStringLiteral("untouched")));
}

TEST_F(mdlRegistryTest, AMissingValueGivesItsErrorAndLeavesTheValue) {
    QVariant value = QStringLiteral("untouched");
    EXPECT_EQ(RegistryReadValue(key, QStringLiteral("none"), value), kErrorFileNotFound);
    EXPECT_EQ(value, QVariant(QStringLiteral("untouched")));
    RegKey closed;
    EXPECT_EQ(RegistryReadValue(closed, QStringLiteral("none"), value), kErrorInvalidHandle);
    EXPECT_EQ(RegistryWriteValue(closed, QStringLiteral("none"), 1, value), kErrorInvalidHandle);
}

TEST_F(mdlRegistryTest, WriteKeyValueNeedsAnExistingKeyAndCreateKeyMakesIt) {
    const QString path = QStringLiteral("Software\\Tarvik\\Other");
    EXPECT_EQ(RegistryWriteKeyValue(store, kHkeyLocalMachine, path, "v", QStringLiteral("x"), 1),
              kErrorFileNotFound);
    RegKey probe;
    EXPECT_EQ(store.OpenKey(kHkeyLocalMachine, path, kKeyQueryValue, probe), kErrorFileNotFound);
    EXPECT_EQ(RegistryCreateKey(store, kHkeyLocalMachine, path), 0);
    EXPECT_EQ(RegistryWriteKeyValue(store, kHkeyLocalMachine, path, "v", QStringLiteral("x"), 1), 0);
    EXPECT_EQ(ReadRaw(store, kHkeyLocalMachine, path, "v").data, QByteArray("x"));
}

// ---- The default probe's name ------------------------------------------------------------------

class DefaultProbeTest : public ::testing::Test {
protected:
    TempHome home;
    ManualClock clock;
    RegistryStore store{ct::StorePath(home), clock};
};

TEST_F(DefaultProbeTest, NoKeyMeansNoDefaultProbe) {
    EXPECT_EQ(ReadDefaultProbeName(store), QString());
}

TEST_F(DefaultProbeTest, AWriteCreatesTheKeyAndStoresTheNameUntrimmed) {
    EXPECT_TRUE(WriteDefaultProbeName(store, QStringLiteral(" Probe A ")).ok());
    const auto stored =
        ReadRaw(store, kHkeyLocalMachine, QStringLiteral("SOFTWARE\\Tarvik\\CORVIN\\Test Options\\Default"),
                QStringLiteral("Default Probe"));
    EXPECT_EQ(stored.type, kRegSz);
    EXPECT_EQ(stored.data, QByteArray(" Probe A "));
    EXPECT_EQ(ReadDefaultProbeName(store), QStringLiteral("Probe A"));
    // Written again over the existing key.
    EXPECT_TRUE(WriteDefaultProbeName(store, QStringLiteral("B")).ok());
    EXPECT_EQ(ReadDefaultProbeName(store), QStringLiteral("B"));
}

struct StoredName {
    QByteArray stored;
    const char* read;
};

class DefaultProbeCleanUpTest : public DefaultProbeTest, public ::testing::WithParamInterface<StoredName> {};

TEST_P(DefaultProbeCleanUpTest, ControlCharactersBecomeSpacesAndTheEndsAreTrimmed) {
    WriteRaw(store, kHkeyLocalMachine, kDefaultProbeKey, kDefaultProbeValue, kRegSz, GetParam().stored);
    EXPECT_EQ(ReadDefaultProbeName(store), QString::fromLatin1(GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(
    Names, DefaultProbeCleanUpTest,
    ::testing::Values(StoredName{QByteArray("Probe 7\0", 8), "Probe 7"},     // NUL from another writer
                      StoredName{QByteArray("Pro\tbe\x01X", 8), "Pro be X"}, // inner controls
                      StoredName{QByteArray("\r\nProbe\x1F", 8), "Probe"},   // controls at the ends
                      StoredName{QByteArray("  \0\0", 4), ""},               // nothing but blanks
                      StoredName{QByteArray("A\x7F"
                                            "B",
                                            3),
                                 "A\x7F"
                                 "B"})); // 127 is no control here

TEST_F(DefaultProbeTest, AValueOfAnotherTypeReadsAsNoName) {
    WriteRaw(store, kHkeyLocalMachine, kDefaultProbeKey, kDefaultProbeValue, kRegBinary, QByteArray("Probe"));
    EXPECT_EQ(ReadDefaultProbeName(store), QString());
}

TEST_F(DefaultProbeTest, AWriteReadBackThroughcRegistryLosesItsLastCharacter) {
    // The two front ends disagree about the NUL; the program only ever reads this value through
    // the module functions, which is why it must stay that way.
    ASSERT_TRUE(WriteDefaultProbeName(store, QStringLiteral("Probe")).ok());
    cRegistry reg(store, QStringLiteral("Corvin"));
    reg.setClassKey(static_cast<int32_t>(kHkeyLocalMachine));
    reg.setSectionKey(kDefaultProbeKey);
    reg.setValueKey(kDefaultProbeValue);
    EXPECT_EQ(reg.Value(), QVariant(QStringLiteral("Prob")));
}

} // namespace

// ---- The view preferences ---------------------------------------------------------------------

TEST_F(DefaultProbeTest, ViewPreferencesDefaultToClassicWithoutTrendAndRoundTrip) {
    const ViewPreferences fresh = ReadViewPreferences(store);
    EXPECT_EQ(fresh.graphStyle, GraphStyleKind::Classic);
    EXPECT_FALSE(fresh.trendStripOn);

    EXPECT_TRUE(WriteGraphStyle(store, GraphStyleKind::Clear).ok());
    EXPECT_TRUE(WriteTrendStrip(store, true).ok());
    EXPECT_EQ(ReadRaw(store, kHkeyCurrentUser, kPreferencesKey, kGraphStyleValue).data, QByteArray("Clear"));
    const ViewPreferences stored = ReadViewPreferences(store);
    EXPECT_EQ(stored.graphStyle, GraphStyleKind::Clear);
    EXPECT_TRUE(stored.trendStripOn);

    // A word the program does not know reads as the classic style.
    WriteRaw(store, kHkeyCurrentUser, kPreferencesKey, kGraphStyleValue, kRegSz, "Fancy");
    EXPECT_EQ(ReadViewPreferences(store).graphStyle, GraphStyleKind::Classic);
}

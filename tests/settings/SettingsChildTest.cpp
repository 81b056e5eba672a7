// Scenarios that other tests run in a child process of this program (a second writer of the
// store, an unprivileged user). They are disabled, so they run only when asked for by name.
#include "SettingsTestSupport.h"

#include "settings/cRegistry.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <iostream>
#include <string>

using namespace corvin;
using namespace corvin::settings;
namespace ct = corvin::testing;

namespace {

QString Env(const char* name) {
    return qEnvironmentVariable(name);
}

// Writes values "W<n>-0" .. "W<n>-99" = n * 1000 + i into one key shared with other writers, one
// value each time the parent says "go" on the standard input, answering "written" when it is.
TEST(DISABLED_SettingsChild, Writer) {
    const int writer = Env("CORVIN_TEST_WRITER").toInt();
    ManualClock clock;
    RegistryStore store(Env("CORVIN_TEST_STORE"), clock);
    ASSERT_TRUE(store.notice().isEmpty()) << store.notice().toStdString();
    cRegistry reg(store, QStringLiteral("Corvin"));
    reg.setClassKey(static_cast<int32_t>(kHkeyCurrentUser));
    reg.setSectionKey(QStringLiteral("Software\\Concurrent"));
    reg.setValueType(kRegDword);
    for (int i = 0; i < 100; ++i) {
        std::string line;
        ASSERT_TRUE(std::getline(std::cin, line)) << "the parent stopped at " << i;
        reg.setValueKey(QStringLiteral("W%1-%2").arg(writer).arg(i));
        const RegistryResult r = reg.setValue(writer * 1000 + i);
        ASSERT_TRUE(r.ok()) << r.error().Description.toStdString() << " " << store.lastError().toStdString();
        std::printf("written %d\n", i);
        std::fflush(stdout);
    }
}

// Opens a store this user may not read; hands back the notice and checks the fresh store works.
TEST(DISABLED_SettingsChild, OpenUnreadable) {
    ManualClock clock;
    RegistryStore store(Env("CORVIN_TEST_STORE"), clock);
    EXPECT_TRUE(store.persistent());
    ASSERT_TRUE(WriteFileAtomically(Env("CORVIN_TEST_NOTICE"), store.notice().toUtf8()).ok());
    EXPECT_EQ(ct::WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("v"), kRegSz, "x"),
              kErrorSuccess);
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("v")).data, "x");
}

} // namespace

namespace {

// Opens a store in a folder this user may not write: no store can be made or replaced there,
// so the store runs in memory and says so once.
TEST(DISABLED_SettingsChild, OpenInLockedFolder) {
    ManualClock clock;
    RegistryStore store(Env("CORVIN_TEST_STORE"), clock);
    EXPECT_FALSE(store.persistent());
    ASSERT_TRUE(WriteFileAtomically(Env("CORVIN_TEST_NOTICE"), store.notice().toUtf8()).ok());
    EXPECT_EQ(ct::WriteRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("v"), kRegSz, "x"),
              kErrorSuccess);
    EXPECT_EQ(ct::ReadRaw(store, kHkeyCurrentUser, QStringLiteral("K"), QStringLiteral("v")).data, "x");
}

} // namespace

#pragma once
// A throwaway PostgreSQL server of a lab for each test, and rows of a test history to put in it.

#include "history/ServerAddress.h"
#include "history/TestEntry.h"
#include "support/PostgresCluster.h"

#include <gtest/gtest.h>

// A Status that must be a success, its message shown when it is not.
#define ASSERT_OK(status)                                                                                    \
    do {                                                                                                     \
        const ::corvin::Status s_ = (status);                                                                \
        ASSERT_TRUE(s_.ok()) << s_.message().toStdString();                                                  \
    } while (false)
#define EXPECT_OK(status)                                                                                    \
    do {                                                                                                     \
        const ::corvin::Status s_ = (status);                                                                \
        EXPECT_TRUE(s_.ok()) << s_.message().toStdString();                                                  \
    } while (false)

namespace corvin::testing {

inline history::ServerAddress Address(const QString& text) {
    history::ServerAddress address;
    const Status parsed = history::ParseServerAddress(text, address);
    EXPECT_TRUE(parsed.ok()) << parsed.message().toStdString();
    return address;
}

class LabServer : public ::testing::Test {
protected:
    void SetUp() override {
        const Status created = cluster.create();
        ASSERT_TRUE(created.ok()) << created.message().toStdString();
    }

    PostgresCluster cluster;
};

inline history::TestEntry Entry(const QString& station, const QString& path, qint64 startMs = 0) {
    history::TestEntry e;
    e.station = station;
    e.path = path;
    e.size = 1200;
    e.probe = QStringLiteral("P-17");
    e.startMs = startMs;
    e.verdict = QStringLiteral("PASS");
    e.numbers[0] = history::ChannelNumbers{2.5, 2.0, 3.0, 2.75};
    return e;
}

inline QStringList PathsOf(const std::vector<history::TestEntry>& entries) {
    QStringList paths;
    for (const history::TestEntry& e : entries)
        paths << e.station + QLatin1Char(':') + e.path;
    paths.sort();
    return paths;
}

} // namespace corvin::testing

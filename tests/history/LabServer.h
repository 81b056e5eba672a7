#pragma once
// A throwaway PostgreSQL server of a lab for each test, and rows of a test history to put in it.

#include "history/ServerAddress.h"
#include "history/TestEntry.h"
#include "support/PostgresCluster.h"

#include <gtest/gtest.h>

namespace corvin::testing {

// A success, or a failure that shows the Status's message.
inline ::testing::AssertionResult Ok(const Status& s) {
    return s ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << s.message().toStdString();
}

inline history::ServerAddress Address(const QString& text) {
    history::ServerAddress address;
    EXPECT_TRUE(Ok(history::ParseServerAddress(text, address)));
    return address;
}

class LabServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Ok(cluster.create())); }

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

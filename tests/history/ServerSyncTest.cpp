// Sending the station's queued changes to the lab's server: what waits while the server is away,
// and nothing lost when it goes away in the middle.

#include "history/ServerSync.h"
#include "LabServer.h"
#include "history/LocalCatalogue.h"
#include "history/ServerCatalogue.h"
#include "history/TestHistory.h"
#include "support/TempHome.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace corvin::testing {
namespace {

using history::HistorySender;
using history::LocalCatalogue;
using history::ServerCatalogue;

const QString kStation = QStringLiteral("bench-1");

class LabSync : public LabServer {
protected:
    QStringList OnServer() {
        ServerCatalogue server(Address(cluster.socketAddress()));
        std::vector<history::TestEntry> rows;
        const Status s = server.entries(rows);
        EXPECT_TRUE(s.ok()) << s.message().toStdString();
        return PathsOf(rows);
    }
    int Waiting() {
        int count = -1;
        EXPECT_TRUE(Ok(local.queuedCount(count)));
        return count;
    }

    TempHome home;
    ManualClock clock;
    LocalCatalogue local{history::CatalogueFileIn(home.path()), clock};
};

TEST_F(LabSync, AChangeSavedWhileTheServerIsAwayWaitsAndIsSentWhenItIsBack) {
    local.setQueueing(true);
    ASSERT_TRUE(Ok(cluster.stop()));
    ASSERT_TRUE(Ok(local.put({Entry(kStation, QStringLiteral("/data/A.DAT"))})));

    HistorySender sender(local.where(), Address(cluster.socketAddress()), kStation);
    sender.sendNow();
    EXPECT_TRUE(sender.state().startsWith(QStringLiteral(
        "Lab history: 1 test waiting for the server (Could not connect to the lab history at ")))
        << sender.state().toStdString();
    EXPECT_TRUE(sender.retrying());
    EXPECT_EQ(Waiting(), 1);

    ASSERT_TRUE(Ok(cluster.start()));
    sender.sendNow(); // what the retry timer calls
    EXPECT_EQ(sender.state(), QStringLiteral("Lab history: up to date"));
    EXPECT_FALSE(sender.retrying());
    EXPECT_EQ(Waiting(), 0);
    EXPECT_EQ(OnServer(), QStringList{kStation + QStringLiteral(":/data/A.DAT")});

    // A test gone from the station leaves the lab's history too.
    ASSERT_TRUE(Ok(local.remove(kStation, {QStringLiteral("/data/A.DAT")})));
    sender.sendNow();
    EXPECT_EQ(Waiting(), 0);
    EXPECT_TRUE(OnServer().isEmpty());
}

// The lab's server, stopped just before the second batch reaches it.
class GoesAwayAtTheSecondBatch : public ServerCatalogue {
public:
    GoesAwayAtTheSecondBatch(const history::ServerAddress& address, PostgresCluster& cluster)
        : ServerCatalogue(address), m_cluster(cluster) {}
    Status apply(const std::vector<history::TestEntry>& e, const QString& station,
                 const QStringList& gone) override {
        if (++m_batches == 2) {
            EXPECT_TRUE(Ok(m_cluster.stop()));
        }
        return ServerCatalogue::apply(e, station, gone);
    }

private:
    PostgresCluster& m_cluster;
    int m_batches = 0;
};

TEST_F(LabSync, TheServerGoingAwayInTheMiddleOfSendingLosesNothing) {
    local.setQueueing(true);
    QStringList all;
    for (int i = 0; i < 5; ++i) {
        const QString path = QStringLiteral("/data/T%1.DAT").arg(i);
        ASSERT_TRUE(Ok(local.put({Entry(kStation, path)})));
        all << kStation + QLatin1Char(':') + path;
    }
    GoesAwayAtTheSecondBatch server(Address(cluster.socketAddress()), cluster);
    int sent = 0;
    EXPECT_FALSE(history::SendQueued(local, server, kStation, sent, 2).ok());
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(Waiting(), 3);

    ASSERT_TRUE(Ok(cluster.start()));
    ASSERT_TRUE(Ok(history::SendQueued(local, server, kStation, sent, 2)));
    EXPECT_EQ(sent, 3);
    EXPECT_EQ(Waiting(), 0);
    EXPECT_EQ(OnServer(), all);
}

// The sender as the program runs it: in a thread of its own, its state arriving as signals.
TEST_F(LabSync, TheSenderInItsOwnThreadSendsWhatWaits) {
    local.setQueueing(true);
    ASSERT_TRUE(Ok(local.put({Entry(kStation, QStringLiteral("/data/A.DAT"))})));
    QThread thread;
    HistorySender* sender =
        HistorySender::start(thread, local.where(), Address(cluster.socketAddress()), kStation);
    QEventLoop loop;
    QStringList states;
    QObject::connect(sender, &HistorySender::stateChanged, &loop, [&](const QString& state) {
        states << state;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit); // a guard against a hang, not a time limit
    loop.exec();
    thread.quit();
    thread.wait();
    EXPECT_EQ(states, QStringList{QStringLiteral("Lab history: up to date")});
    EXPECT_EQ(Waiting(), 0);
}

// The program's view of a lab history: what the station had before it chose the server goes
// there too, the window lists every station's tests, and only this station's when the server
// is away, saying why.
TEST_F(LabServer, TheHistoryListsEveryStationsTestsAndOnlyItsOwnWithoutTheServer) {
    TempHome home;
    ManualClock clock;
    history::TestHistory testHistory(home.path(), clock);
    ASSERT_TRUE(
        Ok(testHistory.local().put({Entry(testHistory.station(), QStringLiteral("/data/before.DAT"), 1)})));
    ASSERT_TRUE(Ok(ServerCatalogue(Address(cluster.socketAddress()))
                       .put({Entry(QStringLiteral("bench-9"), QStringLiteral("/srv/theirs.DAT"), 3)})));

    ASSERT_TRUE(Ok(testHistory.useServer(cluster.socketAddress(), history::TestHistory::Sending::Caller)));
    ASSERT_TRUE(
        Ok(testHistory.local().put({Entry(testHistory.station(), QStringLiteral("/data/after.DAT"), 2)})));
    int sent = 0;
    ASSERT_TRUE(Ok(testHistory.sendQueuedNow(sent)));
    EXPECT_EQ(sent, 2);
    std::vector<history::TestEntry> rows;
    ASSERT_TRUE(Ok(testHistory.entries(rows, {.probe = {}, .listing = true})));
    const QString mine = testHistory.station() + QLatin1Char(':');
    EXPECT_EQ(PathsOf(rows),
              (QStringList{"bench-9:/srv/theirs.DAT", mine + "/data/after.DAT", mine + "/data/before.DAT"}));
    EXPECT_TRUE(testHistory.serverProblem().isEmpty());

    // The sender found the server away: the list is this station's at once, without trying it.
    testHistory.noteServerReached(false);
    ASSERT_TRUE(Ok(testHistory.entries(rows)));
    EXPECT_EQ(PathsOf(rows), (QStringList{mine + "/data/after.DAT", mine + "/data/before.DAT"}));
    EXPECT_TRUE(testHistory.sourceText().startsWith(QStringLiteral("this station's history only")));
    testHistory.noteServerReached(true);

    ASSERT_TRUE(Ok(cluster.stop()));
    ASSERT_TRUE(Ok(testHistory.entries(rows)));
    EXPECT_EQ(PathsOf(rows), (QStringList{mine + "/data/after.DAT", mine + "/data/before.DAT"}));
    EXPECT_TRUE(testHistory.serverProblem().startsWith(QStringLiteral("Could not connect")));
}

} // namespace
} // namespace corvin::testing

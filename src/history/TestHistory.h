#pragma once
// The test history as the program uses it: the catalogue in the home, noted at every save, kept
// in line with the disc by a rescan that runs in the background, and read by the History window.
// Lives in the GUI thread; the rescan runs in a thread of its own on its own connection and
// reports back through rescanFinished.

#include "common/Clock.h"
#include "history/LocalCatalogue.h"
#include "history/Rescan.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace corvin::history {

// The name this station's rows carry: the host's name.
QString ThisStation();

class TestHistory : public QObject {
    Q_OBJECT
public:
    TestHistory(QString home, const Clock& clock, QObject* parent = nullptr);
    ~TestHistory() override;

    LocalCatalogue& local() { return m_local; }
    const QString& station() const { return m_station; }
    // What opening the catalogue found worth saying; empty when all was well.
    const QString& notice() const { return m_local.notice(); }

    // Notes a test data file just written (a save, a recovery save). A failure is the
    // history's alone: the test is saved, and the next rescan finds it.
    [[nodiscard]] Status noteSaved(const QString& path);

    // The folders a rescan walks.
    QStringList folders();
    [[nodiscard]] Status addFolder(const QString& folder);

    // Starts a rescan in the background unless one runs already; rescanFinished follows.
    void startRescan();
    bool rescanRunning() const { return m_rescan != nullptr; }
    // Runs a rescan here and now, in this thread (the command-line tool, the tests).
    [[nodiscard]] Status rescanNow(RescanCounts& counts);

    // The tests the History window shows, newest first.
    [[nodiscard]] Status entries(std::vector<TestEntry>& out);
    // Where those come from, for the window's foot: "this station's history (PATH)".
    QString sourceText() const;

signals:
    // `text`: the rescan's summary, or why it failed.
    void rescanFinished(const QString& text, bool ok);

private:
    void rescanDone(const QString& text, bool ok);

    QString m_home;
    QString m_station;
    LocalCatalogue m_local;
    QThread* m_rescan = nullptr;
    std::atomic<bool> m_stop{false};
};

} // namespace corvin::history

#pragma once
// The trend of one probe across its tests: a statistic of each channel per test over time, with
// the probe's limits as bands, so a probe drifting from test to test is seen at a glance. The
// table behind it can be exported as CSV.

#include "history/ProbeTrend.h"
#include "platform/Desktop.h"

#include <QDialog>
#include <functional>

class QCustomPlot;
class QComboBox;
class QLabel;

namespace corvin::history {

class frmProbeTrend : public QDialog {
    Q_OBJECT
public:
    // `testsOf` reads the tests of a probe, with their numbers, from the history.
    using TestsOf = std::function<std::vector<TestEntry>(const QString& probe)>;
    frmProbeTrend(const QStringList& probes, const QString& probe, TestsOf testsOf, QString probesFolder,
                  platform::Desktop& desktop, QWidget* parent = nullptr);

    // Draws the trend of the chosen probe and statistic.
    void redraw();
    // Asks for a file and writes the table there as CSV.
    void exportCsv();

    const ProbeTrend& trend() const { return m_trend; }
    QComboBox* probeChoice() const { return m_probe; }
    QComboBox* statisticChoice() const { return m_statistic; }
    QComboBox* channelChoice() const { return m_channel; }
    QCustomPlot* plot() const { return m_plot; }
    QLabel* footText() const { return m_foot; }

private:
    TestsOf m_testsOf;
    QString m_probesFolder;
    platform::Desktop& m_desktop;
    ProbeTrend m_trend;
    QComboBox* m_probe = nullptr;
    QComboBox* m_statistic = nullptr;
    QComboBox* m_channel = nullptr; // all channels (0), or one
    QCustomPlot* m_plot = nullptr;
    QLabel* m_foot = nullptr;
};

} // namespace corvin::history

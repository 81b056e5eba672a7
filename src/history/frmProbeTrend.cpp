#include "history/frmProbeTrend.h"

#include "common/AtomicFile.h"
#include "history/HistoryFilter.h"
#include "playback/GraphStyle.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace corvin::history {
namespace {

struct StatisticChoice {
    Statistic statistic;
    const char* text;
};
constexpr StatisticChoice kStatistics[] = {{Statistic::Mean, "Mean"},
                                           {Statistic::Min, "Minimum"},
                                           {Statistic::Max, "Maximum"},
                                           {Statistic::End, "At the end of the test"}};

QString ChannelLabel(const ProbeTrend& trend, int k) {
    return QStringLiteral("%1 %2").arg(k).arg(trend.channelNames[k - 1].trimmed()).trimmed();
}

QColor Faded(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

} // namespace

frmProbeTrend::frmProbeTrend(const QStringList& probes, const QString& probe, TestsOf testsOf,
                             QString probesFolder, platform::Desktop& desktop, QWidget* parent)
    : QDialog(parent), m_testsOf(std::move(testsOf)), m_probesFolder(std::move(probesFolder)),
      m_desktop(desktop) {
    setWindowTitle(QStringLiteral("Trend Across Tests"));
    setObjectName(QStringLiteral("frmProbeTrend"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Probe:"), this));
    m_probe = new QComboBox(this);
    m_probe->addItems(probes);
    m_probe->setCurrentText(probe);
    choices->addWidget(m_probe, 1);
    choices->addWidget(new QLabel(QStringLiteral("Statistic:"), this));
    m_statistic = new QComboBox(this);
    for (const StatisticChoice& c : kStatistics)
        m_statistic->addItem(QString::fromLatin1(c.text), int(c.statistic));
    choices->addWidget(m_statistic, 1);
    choices->addWidget(new QLabel(QStringLiteral("Channel:"), this));
    m_channel = new QComboBox(this);
    choices->addWidget(m_channel, 1);
    auto* exportButton = new QPushButton(QStringLiteral("&Export CSV..."), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    choices->addWidget(exportButton);
    choices->addWidget(close);

    m_plot = new QCustomPlot(this);
    m_plot->setObjectName(QStringLiteral("trendPlot"));
    m_plot->setMinimumSize(640, 360);
    // The legend in a row of its own above the plot, where it never covers a point.
    m_plot->legend->setVisible(true);
    m_plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    m_plot->legend->setWrap(kChannelCount);
    m_plot->legend->setBorderPen(Qt::NoPen);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, m_plot->legend);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    m_foot = new QLabel(this);
    m_foot->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_foot->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(m_plot, 1);
    layout->addWidget(m_foot);
    resize(960, 600);

    connect(m_probe, &QComboBox::currentIndexChanged, this, &frmProbeTrend::redraw);
    connect(m_statistic, &QComboBox::currentIndexChanged, this, &frmProbeTrend::redraw);
    connect(m_channel, &QComboBox::currentIndexChanged, this, &frmProbeTrend::redraw);
    connect(exportButton, &QPushButton::clicked, this, &frmProbeTrend::exportCsv);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    redraw();
}

void frmProbeTrend::redraw() {
    const QString probe = m_probe->currentText();
    m_trend = TrendOf(m_testsOf(probe), probe, Statistic(m_statistic->currentData().toInt()));
    const probes::ProbeLimits limits = LimitsOfProbe(m_probesFolder, m_trend.probe);
    const playback::GraphStyle style = playback::GraphStyle::ofKind(GraphStyleKind::Clear);

    m_plot->clearGraphs();
    m_plot->clearItems();
    m_plot->setBackground(style.background);
    m_plot->legend->setFont(font());
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("yyyy-MM-dd"));
    m_plot->xAxis->setTicker(ticker);
    m_plot->xAxis->setLabel(QStringLiteral("Test start"));
    m_plot->yAxis->setLabel(playback::GraphStyle::valueTitle(QString::fromUtf8("µA")));
    for (QCPAxis* axis : {m_plot->xAxis, m_plot->yAxis})
        axis->grid()->setPen(QPen(style.grid, 1));

    double first = 0, last = 0;
    if (!m_trend.points.empty()) {
        first = m_trend.points.front().startMs / 1000.0;
        last = m_trend.points.back().startMs / 1000.0;
    }
    // A single test, or tests within a minute, still get a readable span around them.
    const double margin = std::max((last - first) * 0.05, 1800.0);
    const double left = first - margin, right = last + margin;

    // The channel list follows the probe; the choice stays where it can.
    const int chosen = m_channel->currentData().isValid() ? m_channel->currentData().toInt() : 0;
    {
        const QSignalBlocker quiet(m_channel);
        m_channel->clear();
        m_channel->addItem(QStringLiteral("All channels"), 0);
        for (int k = 1; k <= kChannelCount; ++k) {
            if (ChannelHasValues(m_trend, k))
                m_channel->addItem(ChannelLabel(m_trend, k), k);
        }
        m_channel->setCurrentIndex(std::max(0, m_channel->findData(chosen)));
    }
    const int only = m_channel->currentData().toInt();

    int drawn = 0;
    for (int k = 1; k <= kChannelCount; ++k) {
        if (!ChannelHasValues(m_trend, k) || (only != 0 && k != only))
            continue;
        ++drawn;
        const QColor colour = style.colourOfSet(k, k);
        const probes::ChannelLimits& band = limits[k - 1];
        if (band.min && band.max) {
            // The band between the limits, in the channel's colour, under its line.
            QCPGraph* low = m_plot->addGraph();
            QCPGraph* high = m_plot->addGraph();
            low->setData({left, right}, {*band.min, *band.min});
            high->setData({left, right}, {*band.max, *band.max});
            low->setPen(QPen(Faded(colour, 120), 1, Qt::DashLine));
            high->setPen(QPen(Faded(colour, 120), 1, Qt::DashLine));
            high->setBrush(Faded(colour, 28));
            high->setChannelFillGraph(low);
            low->removeFromLegend();
            high->removeFromLegend();
        }
        // The marginal bands' edges, dotted, inside the limits.
        for (const std::optional<double>& edge : {band.marginalMin, band.marginalMax}) {
            if (!edge)
                continue;
            QCPGraph* marginal = m_plot->addGraph();
            marginal->setData({left, right}, {*edge, *edge});
            marginal->setPen(QPen(Faded(colour, 160), 1, Qt::DotLine));
            marginal->removeFromLegend();
        }
        QCPGraph* line = m_plot->addGraph();
        QVector<double> x, y;
        for (const TrendPoint& p : m_trend.points) {
            if (p.values[k - 1]) {
                x << p.startMs / 1000.0;
                y << *p.values[k - 1];
            }
        }
        line->setData(x, y, true);
        line->setPen(QPen(colour, 2));
        line->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, colour, 7));
        line->setName(ChannelLabel(m_trend, k));
    }
    m_plot->rescaleAxes(true);
    m_plot->xAxis->setRange(left, right);
    const QCPRange values = m_plot->yAxis->range();
    const double pad = std::max(values.size() * 0.08, 0.01);
    m_plot->yAxis->setRange(values.lower - pad, values.upper + pad);
    m_plot->replot();

    m_foot->setText(
        drawn == 0 ? QStringLiteral("No test of %1 has readings to show.").arg(m_trend.probe)
                   : QStringLiteral("%1 of %2 in %3 test%4 of %5; the shaded band is the probe's limits.")
                         .arg(m_statistic->currentText(),
                              only == 0 ? QStringLiteral("each channel") : ChannelLabel(m_trend, only),
                              QString::number(m_trend.points.size()),
                              m_trend.points.size() == 1 ? QString() : QStringLiteral("s"), m_trend.probe));
}

void frmProbeTrend::exportCsv() {
    platform::FileDialog dialog;
    dialog.title = QStringLiteral("Export the trend");
    dialog.filter = QStringLiteral("CSV file (*.csv)|*.csv");
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = QStringLiteral("%1 %2 trend.csv").arg(m_trend.probe, StatisticName(m_trend.statistic));
    const std::optional<QString> path = m_desktop.dialogs.saveFile(dialog);
    if (!path || path->isEmpty())
        return;
    if (Status s = WriteFileAtomically(*path, TrendCsv(m_trend)); !s) {
        m_desktop.dialogs.critical(
            QStringLiteral("The trend could not be written to %1: %2").arg(*path, s.message()));
        return;
    }
    m_foot->setText(QStringLiteral("Trend of %1 tests written to %2")
                        .arg(m_trend.points.size())
                        .arg(QDir::toNativeSeparators(*path)));
}

} // namespace corvin::history

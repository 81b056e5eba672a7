// The plot routine as the graph shows it: spacing of the sample axis by the number of samples,
// sets in click order coloured by position, legends and titles, read back from the QCustomPlot.
#include "playback/GraphDrawing.h"

#include "playback/CursorReadout.h"
#include "playback/PlaybackFixtures.h"
#include "playback/PlotRoutine.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace corvin;
using namespace corvin::playback;
using corvin::testing::Choose;
using corvin::testing::LoadTest;

namespace {

class Graph : public ::testing::Test {
protected:
    Graph() { plot.resize(1000, 600); }

    PlotRoutine::Result Plot(int16_t rows, std::initializer_list<int> channels, bool check = true) {
        LoadTest(state.periodic, rows);
        Choose(state.playback, channels);
        PlotRoutine::Result r = PlotRoutine::build(state, settings, QStringLiteral("Run 12"), check);
        if (r.outcome == PlotRoutine::Outcome::Drawn)
            drawing.draw(r.spec);
        return r;
    }
    int Spacing() const { return drawing.sampleTicker()->spacing(); }

    SharedState state;
    GraphSettings settings;
    QCustomPlot plot;
    GraphDrawing drawing{plot};
};

} // namespace

// ---- spacing -----------------------------------------------------------------------------------

TEST_F(Graph, SpacingFollowsTheSampleCountAndOtherwiseStaysAsItWas) {
    // Each row: samples, then the spacing the axis has afterwards (plotted in this order).
    const std::vector<std::pair<int16_t, int>> steps{{50, 0},    {51, 100},   {499, 100},    {500, 1000},
                                                     {50, 1000}, {2, 1000},   {32000, 1000}, {32001, 1000},
                                                     {499, 100}, {32001, 100}};
    for (const auto& [rows, spacing] : steps) {
        ASSERT_EQ(Plot(rows, {1}).outcome, PlotRoutine::Outcome::Drawn) << rows;
        EXPECT_EQ(Spacing(), spacing) << rows << " samples";
    }
}

TEST_F(Graph, TicksFallOnTheSpacingOverTheWholeTest) {
    Plot(4500, {1});
    drawing.showWholeTest();
    plot.replot();
    const auto ticker = qSharedPointerDynamicCast<QCPAxisTickerFixed>(plot.xAxis->ticker());
    ASSERT_TRUE(ticker);
    EXPECT_EQ(ticker->tickStep(), 1000.0);
    EXPECT_EQ(plot.xAxis->range(), QCPRange(1, 4500));
    const QVector<double> ticks = plot.xAxis->tickVector();
    ASSERT_FALSE(ticks.isEmpty());
    for (double t : ticks)
        EXPECT_EQ(std::fmod(t, 1000.0), 0.0) << t;
}

TEST_F(Graph, FewerThanTwoSamplesAreRefusedUnlessPrinting) {
    const auto refused = Plot(1, {1});
    EXPECT_EQ(refused.outcome, PlotRoutine::Outcome::TooFewPoints);
    EXPECT_EQ(refused.message, QStringLiteral("Less than 2 data_points"));
    EXPECT_EQ(Plot(1, {1}, false).outcome, PlotRoutine::Outcome::Drawn);
    EXPECT_EQ(Plot(2, {1}).outcome, PlotRoutine::Outcome::Drawn);
}

// ---- sets --------------------------------------------------------------------------------------

TEST_F(Graph, SetsFollowTheClickOrderAndTakeTheirColourFromTheirPosition) {
    Plot(100, {5, 2, 7});
    ASSERT_EQ(plot.graphCount(), 3);
    const std::array<QColor, 3> colours{QColor(128, 0, 0), QColor(128, 0, 128), QColor(255, 255, 0)};
    const std::array<int, 3> channels{5, 2, 7};
    for (int g = 0; g < 3; ++g) {
        const QCPGraph* graph = plot.graph(g);
        EXPECT_EQ(graph->pen().color(), colours[g]) << "set " << g + 1;
        EXPECT_EQ(graph->name(),
                  state.periodic.ChannelNames[channels[g] - 1] + QStringLiteral(" %1").arg(g + 1));
        ASSERT_EQ(graph->data()->size(), 100);
        EXPECT_EQ(graph->data()->at(0)->key, 1.0);
        EXPECT_EQ(graph->data()->at(42)->value, double(corvin::testing::Reading(channels[g], 42)));
    }
}

TEST_F(Graph, EveryPositionHasItsPaletteColour) {
    Plot(10, {7, 6, 5, 4, 3, 2, 1});
    const std::array<int, 7> palette{4, 5, 14, 7, 1, 9, 15};
    ASSERT_EQ(plot.graphCount(), 7);
    for (int g = 0; g < 7; ++g)
        EXPECT_EQ(plot.graph(g)->pen().color(), PlotRoutine::paletteColour(palette[g]));
    EXPECT_EQ(PlotRoutine::paletteColour(11), QColor(0, 255, 255));
    EXPECT_EQ(drawing.Picture(QSize(300, 200)).pixelColor(1, 1), QColor(0, 255, 255));
}

TEST_F(Graph, ASingleChannelSixIsDrawnRed) {
    Plot(10, {6});
    ASSERT_EQ(plot.graphCount(), 1);
    EXPECT_EQ(plot.graph(0)->pen().color(), QColor(128, 0, 0));
}

TEST_F(Graph, LegendAndTitlesAreTheProgramsTexts) {
    state.periodic.ChannelNames[0] = QStringLiteral("A");
    EXPECT_EQ(PlotRoutine::legendText(QStringLiteral("A"), 2),
              QStringLiteral("A") + QString(19, QLatin1Char(' ')) + QStringLiteral(" 2"));
    Plot(10, {1});
    EXPECT_EQ(plot.xAxis->label(), QStringLiteral("Time Interval in Seconds =  10"));
    EXPECT_EQ(plot.yAxis->label(), QString::fromUtf8("µA"));
    EXPECT_EQ(drawing.titleElement()->text(), QStringLiteral("Run 12"));
    EXPECT_TRUE(plot.legend->visible());
    EXPECT_EQ(PlotRoutine::bottomTitle(-5), QStringLiteral("Time Interval in Seconds = -5"));
}

TEST_F(Graph, GraphTypesChooseLinesAndSymbols) {
    settings.choose(GraphType::SymbolsOnly);
    Plot(10, {1});
    EXPECT_EQ(plot.graph(0)->lineStyle(), QCPGraph::lsNone);
    EXPECT_EQ(plot.graph(0)->scatterStyle().shape(), QCPScatterStyle::ssDisc);
    settings.choose(GraphType::Lines);
    EXPECT_EQ(settings.symbol, 9); // the symbol code keeps the last value an option gave it
    Plot(10, {1});
    EXPECT_EQ(plot.graph(0)->lineStyle(), QCPGraph::lsLine);
    EXPECT_TRUE(plot.graph(0)->scatterStyle().isNone());
}

// Guards against reading beyond the arrays: data erased (or never complete) under a selection.
TEST_F(Graph, ASetWithoutItsReadingsFailsTheRoutine) {
    LoadTest(state.periodic, 20);
    Choose(state.playback, {3});
    state.periodic.PeriodicData[2].resize(5);
    const auto r = PlotRoutine::build(state, settings, {});
    EXPECT_EQ(r.outcome, PlotRoutine::Outcome::Failed);
    EXPECT_EQ(r.message, QStringLiteral("Error in plot routine \nError Generated = ") + r.description);
    EXPECT_TRUE(r.description.contains(QStringLiteral("Channel 3")));
}

TEST_F(Graph, ReadingsThatAreNotNumbersLeaveGapsAndKeepTheAxisFinite) {
    LoadTest(state.periodic, 10);
    state.periodic.PeriodicData[0][3] = std::numeric_limits<float>::infinity();
    Choose(state.playback, {1});
    drawing.draw(PlotRoutine::build(state, settings, {}).spec);
    drawing.showWholeTest();
    EXPECT_TRUE(std::isnan(plot.graph(0)->data()->at(3)->value));
    EXPECT_TRUE(std::isfinite(plot.yAxis->range().upper));
}

// ---- readout and export ------------------------------------------------------------------------

TEST(CursorReadout, NamesTheSampleItsTimeAndEveryValue) {
    EXPECT_EQ(CursorReadout::sampleAt(0.2, 100), 1);
    EXPECT_EQ(CursorReadout::sampleAt(41.6, 100), 42);
    EXPECT_EQ(CursorReadout::sampleAt(250, 100), 100);
    EXPECT_EQ(CursorReadout::sampleAt(3, 0), 0);
    EXPECT_EQ(CursorReadout::Clock(12340), QStringLiteral("3:25:40"));
    EXPECT_EQ(CursorReadout::Clock(32767LL * 30), QStringLiteral("273:03:30"));
    EXPECT_EQ(CursorReadout::Text(1234, 10, {{1, 12.3456}, {2, std::nan("")}}, QString::fromUtf8("µA")),
              QString::fromUtf8("Sample 1234   12340 s (3:25:40)   1: 12.346 µA   2: - µA"));
}

TEST_F(Graph, ExportsAPngOfTheSizeAskedAndAPdf) {
    Plot(100, {1, 2});
    drawing.showWholeTest();
    QImage png;
    ASSERT_TRUE(png.loadFromData(drawing.png(QSize(640, 400)), "PNG"));
    EXPECT_EQ(png.size(), QSize(640, 400));
    const QByteArray pdf = drawing.pdf(QSize(640, 400));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1);
}

// ---- the clear style ---------------------------------------------------------------------------

TEST_F(Graph, ClearIsWhiteWithElapsedTimeUnitsAndTheLegendInsideAndClassicComesBack) {
    drawing.setStyle(GraphStyleKind::Clear);
    Plot(720, {5, 2}); // two hours at 10 s
    drawing.showWholeTest();
    EXPECT_EQ(plot.graph(0)->pen().color(), QColor(0x00, 0x72, 0xB2));
    EXPECT_EQ(plot.xAxis->label(), QStringLiteral("Elapsed time (h:mm:ss)"));
    EXPECT_EQ(plot.yAxis->label(), QString::fromUtf8("Current (µA)"));
    EXPECT_EQ(drawing.unit(), QString::fromUtf8("µA"));
    EXPECT_TRUE(plot.axisRect()->insetLayout()->elements(false).contains(plot.legend));
    const QImage picture = drawing.Picture(QSize(600, 400));
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white));
    // Ticks on round times, labelled with them.
    plot.replot();
    const QVector<QString> labels = plot.xAxis->tickVectorLabels();
    EXPECT_TRUE(labels.contains(QStringLiteral("1:00:00"))) << labels.join(' ').toStdString();

    drawing.setStyle(GraphStyleKind::Classic);
    Plot(720, {5, 2});
    EXPECT_EQ(plot.xAxis->label(), QStringLiteral("Time Interval in Seconds =  10"));
    EXPECT_FALSE(plot.axisRect()->insetLayout()->elements(false).contains(plot.legend));
    EXPECT_EQ(drawing.Picture(QSize(300, 200)).pixelColor(1, 1), QColor(0, 255, 255));
}

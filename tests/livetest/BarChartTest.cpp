// Pixel tests of the live bar chart: what DrawBar, the frozen halves, the frame, the legend and
// the value texts leave on the picture, and that the last bar values always describe it.
#include "livetest/BarChart.h"

#include <QColor>
#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using corvin::SharedState;
using corvin::livetest::BarChart;
using corvin::livetest::BarWidth;

namespace {

// Bar colours as the colour file stores them (red in the lowest byte).
constexpr int32_t kRedRgb = 0x0000FF;
constexpr int32_t kAzureRgb = 0xFF8000; // blue 255, green 128, red 0
const QColor kRed(255, 0, 0);
const QColor kAzure(0, 128, 255);
const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);

double BarLeft(int k) {
    return 0.4 + 1.2 * (k - 1);
}

class BarChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.instrument.ScreenScale = 2; // 10 µA full scale
        state.BarColours.setCh(1, kRedRgb);
        state.BarColours.setCh(2, kAzureRgb);
        for (int k = 3; k <= 7; ++k)
            state.BarColours.setCh(k, 0x008000);
        state.display.ChannelEnabled.fill(true);
        chart.RebuildChart();
        for (int i = 9; i <= 15; ++i)
            chart.DrawBar(i, 0.0, BarWidth::Whole);
    }

    QPoint pixelAt(double x, double y) const {
        const QPointF p = chart.toPixel(x, y);
        return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
    }
    QColor at(double x, double y) const { return chart.image().pixelColor(pixelAt(x, y)); }
    static bool dark(const QColor& c) { return qGray(c.rgb()) < 128; }

    // Dark pixels within a chart-unit rectangle (x0..x1, y from yTop down to yBottom).
    int darkPixels(double x0, double x1, double yTop, double yBottom) const {
        const QPoint a = pixelAt(x0, yTop);
        const QPoint b = pixelAt(x1, yBottom);
        return darkPixelsIn(QRect(a, b));
    }
    int darkPixelsIn(const QRect& r) const {
        int n = 0;
        const QRect inside = r.intersected(chart.image().rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                n += dark(chart.image().pixelColor(x, y)) ? 1 : 0;
        return n;
    }
    double last(int k) const { return chart.lastBarValue(k); }
    double frozen(int k) const { return chart.frozenValue(k); }

    SharedState state;
    BarChart chart{state};
};

// ---- DrawBar: the case analysis ------------------------------------------------------------

struct BarCase {
    const char* name;
    double from;
    double to;
    std::vector<std::pair<double, bool>> samples; // y, true = bar colour, false = white
};

void PrintTo(const BarCase& c, std::ostream* os) {
    *os << c.name;
}

class DrawBarCases : public BarChartTest, public ::testing::WithParamInterface<BarCase> {};

TEST_P(DrawBarCases, PaintsOnlyTheStripBetweenOldAndNew) {
    const BarCase& c = GetParam();
    chart.DrawBar(9, c.from, BarWidth::Whole);
    chart.DrawBar(9, c.to, BarWidth::Whole);
    const double mid = BarLeft(1) + 0.4;
    for (const auto& [y, filled] : c.samples)
        EXPECT_EQ(at(mid, y), filled ? kRed : kWhite) << c.name << " at y = " << y;
    EXPECT_TRUE(dark(at(mid, 0.0))) << c.name << ": the zero line is redrawn under the bar";
    EXPECT_EQ(last(1), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    BarChart, DrawBarCases,
    ::testing::Values(
        BarCase{"rise from zero", 0.0, 5.0, {{0.5, true}, {4.5, true}, {5.5, false}}},
        BarCase{"positive grows", 3.0, 8.0, {{1.0, true}, {6.0, true}, {8.5, false}}},
        BarCase{"positive shrinks", 8.0, 3.0, {{2.5, true}, {4.0, false}, {7.5, false}}},
        BarCase{"falls to zero", 5.0, 0.0, {{0.5, false}, {4.5, false}, {-0.5, false}}},
        BarCase{
            "+5 to -3", 5.0, -3.0, {{0.5, false}, {4.5, false}, {-0.5, true}, {-2.5, true}, {-3.5, false}}},
        BarCase{
            "-3 to +5", -3.0, 5.0, {{-0.5, false}, {-2.5, false}, {0.5, true}, {4.5, true}, {5.5, false}}},
        BarCase{"negative grows", -2.0, -6.0, {{-1.0, true}, {-5.5, true}, {-6.5, false}}},
        BarCase{"negative shrinks", -6.0, -2.0, {{-1.5, true}, {-3.0, false}, {-5.5, false}}},
        BarCase{"negative back to zero", -4.0, 0.0, {{-0.5, false}, {-3.5, false}, {0.5, false}}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST_F(BarChartTest, EveryStripStaysInsideItsOwnBarColumn) {
    // On a grey picture anything a call paints shows: it must lie inside x .. x + 0.8.
    for (auto [from, to] : {std::pair{0.0, 5.0}, {5.0, -3.0}, {-3.0, 5.0}, {-6.0, -2.0}, {8.0, 3.0}}) {
        chart.DrawBar(11, from, BarWidth::Whole);
        chart.clear(kGrey);
        chart.DrawBar(11, to, BarWidth::Whole);
        const int left = pixelAt(BarLeft(3), 0).x();
        const int right = pixelAt(BarLeft(3) + 0.8, 0).x();
        const QImage& img = chart.image();
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                if (x < left - 1 || x > right + 1) {
                    ASSERT_EQ(img.pixelColor(x, y), kGrey) << from << " -> " << to << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(BarChartTest, AnEqualReadingDrawsOnlyTheZeroLineSegment) {
    chart.DrawBar(10, 4.0, BarWidth::Whole);
    chart.clear(kGrey);
    chart.DrawBar(10, 4.0, BarWidth::Whole);
    int black = 0;
    int other = 0;
    const QImage& img = chart.image();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c == QColor(0, 0, 0))
                ++black;
            else if (c != kGrey)
                ++other;
        }
    EXPECT_EQ(other, 0);
    EXPECT_GT(black, 0);
    EXPECT_TRUE(dark(at(BarLeft(2) + 0.4, 0.0)));
    EXPECT_EQ(at(BarLeft(2) + 0.4, 2.0), kGrey);
    EXPECT_EQ(last(2), 4.0);
}

TEST_F(BarChartTest, SplitModeDrawsHalfWidthBars) {
    chart.DrawBar(9, 5.0, BarWidth::Half);
    EXPECT_EQ(at(BarLeft(1) + 0.2, 2.5), kRed);
    EXPECT_EQ(at(BarLeft(1) + 0.45, 2.5), kWhite);
    EXPECT_EQ(at(BarLeft(1) + 0.7, 2.5), kWhite);
}

TEST_F(BarChartTest, AColourChangeAppliesToTheNextStripOnly) {
    chart.DrawBar(9, 3.0, BarWidth::Whole);
    state.BarColours.setCh(1, kAzureRgb);
    chart.DrawBar(9, 6.0, BarWidth::Whole);
    EXPECT_EQ(at(BarLeft(1) + 0.4, 1.5), kRed);
    EXPECT_EQ(at(BarLeft(1) + 0.4, 4.5), kAzure);
}

TEST_F(BarChartTest, ReadingsFarOutsideTheChartAreDrawnToTheEdgeAndKeptExact) {
    const double huge = 1e300;
    const int column = pixelAt(BarLeft(1) + 0.4, 0).x();
    const int bottom = chart.image().height() - 1;
    chart.DrawBar(9, huge, BarWidth::Whole);
    EXPECT_EQ(chart.image().pixelColor(column, 0), kRed);
    EXPECT_EQ(last(1), huge);
    chart.DrawBar(9, -huge, BarWidth::Whole);
    EXPECT_EQ(chart.image().pixelColor(column, 0), kWhite);
    EXPECT_EQ(chart.image().pixelColor(column, bottom), kRed);
    EXPECT_EQ(last(1), -huge);
    chart.DrawBar(9, std::numeric_limits<double>::infinity(), BarWidth::Whole);
    EXPECT_EQ(chart.image().pixelColor(column, bottom), kWhite);
    EXPECT_EQ(chart.image().pixelColor(column, 0), kRed);
    chart.DrawBar(9, 0.0, BarWidth::Whole);
    EXPECT_EQ(chart.image().pixelColor(column, 0), kWhite);
}

TEST_F(BarChartTest, NoReadingAndUnknownChannelsLeaveNothingBehind) {
    chart.DrawBar(9, 5.0, BarWidth::Whole);
    chart.DrawBar(9, std::numeric_limits<double>::quiet_NaN(), BarWidth::Whole);
    EXPECT_EQ(last(1), 0.0); // drawn as 0, so the next reading starts from what is shown
    EXPECT_EQ(at(BarLeft(1) + 0.4, 2.5), kWhite);
    const QImage before = chart.image();
    chart.DrawBar(8, 5.0, BarWidth::Whole);
    chart.DrawBar(16, 5.0, BarWidth::Whole);
    chart.DrawFrozenBar(0, 5.0);
    chart.EraseFrozenBar(99, 5.0);
    EXPECT_EQ(chart.image(), before);
}

// ---- Frozen halves -------------------------------------------------------------------------

TEST_F(BarChartTest, AFrozenHalfIsAnOutlinedCrossHatchInTheBarColour) {
    chart.DrawFrozenBar(9, 8.0);
    EXPECT_EQ(last(1), 8.0);
    EXPECT_EQ(frozen(1), 8.0);
    // Inside: bar colour and white only, both present.
    const QPoint a = pixelAt(BarLeft(1) + 0.5, 7.0);
    const QPoint b = pixelAt(BarLeft(1) + 0.9, 1.0);
    int red = 0;
    int white = 0;
    for (int y = a.y() + 3; y <= b.y() - 3; ++y)
        for (int x = a.x() + 3; x <= b.x() - 3; ++x) {
            const QColor c = chart.image().pixelColor(x, y);
            ASSERT_TRUE(c == kRed || c == kWhite) << x << "," << y;
            (c == kRed ? red : white)++;
        }
    EXPECT_GT(red, 0);
    EXPECT_GT(white, red);
    // The outline: find the box's top row and left column, then walk them.
    const QImage& img = chart.image();
    const QPoint centre = pixelAt(BarLeft(1) + 0.7, 4.0);
    int top = 0;
    while (top < centre.y() && img.pixelColor(centre.x(), top) != kRed)
        ++top;
    int left = 0;
    while (left < centre.x() && img.pixelColor(left, centre.y()) != kRed)
        ++left;
    EXPECT_NEAR(top, chart.toPixel(0, 8.0).y(), 1.0);
    EXPECT_NEAR(left, chart.toPixel(BarLeft(1) + 0.5, 0).x(), 1.0);
    const int right = static_cast<int>(chart.toPixel(BarLeft(1) + 0.9, 0).x()) - 1;
    const int bottom = static_cast<int>(chart.toPixel(0, 0.0).y()) - 1;
    for (int y = top; y < bottom; ++y)
        ASSERT_EQ(img.pixelColor(left, y), kRed) << y;
    for (int x = left; x < right; ++x)
        ASSERT_EQ(img.pixelColor(x, top), kRed) << x;
    // The live half and the gap between the halves stay white.
    EXPECT_EQ(at(BarLeft(1) + 0.2, 4.0), kWhite);
    EXPECT_EQ(at(BarLeft(1) + 0.45, 4.0), kWhite);
}

TEST_F(BarChartTest, FreezingASwitchedOffChannelDrawsItButRecordsZero) {
    state.display.ChannelEnabled[1] = false;
    chart.DrawFrozenBar(10, 6.0);
    EXPECT_EQ(frozen(2), 0.0);
    EXPECT_EQ(last(2), 6.0);
    EXPECT_GT(darkPixels(BarLeft(2) + 0.5, BarLeft(2) + 0.9, 5.5, 0.5), 0);
}

TEST_F(BarChartTest, AFrozenNegativeReadingHangsBelowTheZeroLine) {
    chart.DrawFrozenBar(10, -5.0);
    EXPECT_EQ(frozen(2), -5.0);
    const double fx0 = BarLeft(2) + 0.5;
    const double fx1 = BarLeft(2) + 0.9;
    EXPECT_EQ(darkPixels(fx0, fx1, 4.0, 0.5), 0);
    int azure = 0;
    const QRect below(pixelAt(fx0, -0.5), pixelAt(fx1, -4.5));
    for (int y = below.top(); y <= below.bottom(); ++y)
        for (int x = below.left(); x <= below.right(); ++x)
            azure += chart.image().pixelColor(x, y) == kAzure ? 1 : 0;
    EXPECT_GT(azure, below.width() * 2); // more than the two side edges of the box
}

TEST_F(BarChartTest, ErasingAFrozenHalfToZeroLeavesItWhite) {
    for (double v : {7.0, -7.0}) {
        // Freeze as the Freeze/Split button does, then move the live half.
        chart.DrawBar(9, 0.0, BarWidth::Whole);
        chart.DrawFrozenBar(9, v);
        chart.DrawBar(9, 0.0, BarWidth::Half);
        EXPECT_EQ(last(1), 0.0);
        chart.DrawBar(9, 3.0, BarWidth::Half);
        // unsplit.
        chart.DrawBar(9, 0.0, BarWidth::Whole);
        chart.EraseFrozenBar(9, 0.0);
        chart.DrawBar(9, 0.0, BarWidth::Whole);
        EXPECT_EQ(frozen(1), 0.0);
        EXPECT_EQ(last(1), 0.0);
        EXPECT_EQ(darkPixels(BarLeft(1) + 0.5, BarLeft(1) + 0.9, 9.0, 0.3), 0) << v;
        EXPECT_EQ(darkPixels(BarLeft(1) + 0.5, BarLeft(1) + 0.9, -0.5, -9.0), 0) << v;
        EXPECT_EQ(at(BarLeft(1) + 0.7, v / 2), kWhite) << v;
    }
}

TEST_F(BarChartTest, FreezeAndUnsplitOfAllChannelsRestoresTheBareChart) {
    BarChart reference(state);
    reference.RebuildChart();
    const QImage bare = reference.image();

    const double readings[7] = {5.0, -3.0, 11.5, 0.0, -12.5, 2.0, 9.0};
    for (int i = 9; i <= 15; ++i) {
        chart.DrawBar(i, 0.0, BarWidth::Whole);
        chart.DrawFrozenBar(i, readings[i - 9]);
        chart.DrawBar(i, 0.0, BarWidth::Half);
    }
    for (int i = 9; i <= 15; ++i)
        chart.DrawBar(i, -readings[i - 9] / 2, BarWidth::Half);
    EXPECT_NE(chart.image(), bare);

    for (int i = 9; i <= 15; ++i) {
        chart.DrawBar(i, 0.0, BarWidth::Whole);
        chart.EraseFrozenBar(i, 0.0);
        chart.DrawBar(i, 0.0, BarWidth::Whole);
    }
    EXPECT_EQ(chart.image(), bare);
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(last(k), 0.0);
        EXPECT_EQ(frozen(k), 0.0);
    }
}

TEST_F(BarChartTest, EraseFrozenBarBoxesInTheColourLastSetByDrawFrozenBar) {
    chart.DrawFrozenBar(9, 2.0);  // red
    chart.DrawFrozenBar(10, 1.0); // azure becomes the fill colour
    chart.EraseFrozenBar(9, 6.0); // channel 1's half grows 2..6
    int azure = 0;
    const QRect grown(pixelAt(BarLeft(1) + 0.5, 5.5), pixelAt(BarLeft(1) + 0.9, 2.5));
    for (int y = grown.top(); y <= grown.bottom(); ++y)
        for (int x = grown.left(); x <= grown.right(); ++x)
            azure += chart.image().pixelColor(x, y) == kAzure ? 1 : 0;
    EXPECT_GT(azure, 0);
    EXPECT_EQ(frozen(1), 6.0);
    EXPECT_EQ(last(1), 6.0);
}

// ---- The frame of each screen scale --------------------------------------------------------

class ChartFrame : public BarChartTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        BarChartTest::SetUp();
        state.instrument.ScreenScale = static_cast<int16_t>(GetParam());
        chart.setLegendCaption(1, QStringLiteral("Anode"));
        chart.setLegendCaption(3, QStringLiteral("Reference probe"));
        chart.RebuildChart();
        fs = chart.fullScale();
    }
    // Dark pixels in the band left of the axis, `halfRows` pixel rows either side of y.
    int labelInk(double y, int halfRows) const {
        const QPoint p = pixelAt(-0.12, y);
        return darkPixelsIn(QRect(0, p.y() - halfRows, p.x(), 2 * halfRows + 1));
    }
    double fs = 0;
};

TEST_P(ChartFrame, FullScaleFollowsTheScreenScale) {
    EXPECT_EQ(fs, std::pow(10.0, GetParam() - 1));
    chart.DrawBar(9, 0.5 * fs, BarWidth::Whole);
    EXPECT_EQ(at(BarLeft(1) + 0.4, 0.45 * fs), kRed);
    EXPECT_EQ(at(BarLeft(1) + 0.4, 0.55 * fs), kWhite);
}

TEST_P(ChartFrame, AxisAndZeroLineAreDrawn) {
    for (double x = -0.25; x < 8.95; x += 0.05)
        ASSERT_TRUE(dark(at(x, 0.0))) << "zero line at x = " << x;
    EXPECT_FALSE(dark(at(9.2, 0.0)));
    for (double y = -1.05; y <= 1.05; y += 0.05)
        ASSERT_TRUE(dark(at(0.0, y * fs))) << "axis at y = " << y;
    EXPECT_FALSE(dark(at(0.0, 1.15 * fs)));
    EXPECT_FALSE(dark(at(0.0, -1.15 * fs)));
}

TEST_P(ChartFrame, TickLabelsSitLeftOfTheAxisCentredOnTheirTicks) {
    const int rows = chart.image().height() / 60; // well inside half a text line
    for (double t : {-1.0, -0.5, 0.0, 0.5, 1.0})
        EXPECT_GT(labelInk(t * fs, rows), 0) << "tick " << t;
    // Nothing half-way between two ticks.
    for (double t : {-0.75, -0.25, 0.25, 0.75})
        EXPECT_EQ(labelInk(t * fs, rows), 0) << "between ticks at " << t;
    // The ink of each label is balanced about its tick.
    const int text = chart.image().height() / 20;
    for (double t : {-0.5, 0.5}) {
        const QPoint p = pixelAt(-0.12, t * fs);
        const int above = darkPixelsIn(QRect(0, p.y() - text, p.x(), text));
        const int below = darkPixelsIn(QRect(0, p.y() + 1, p.x(), text));
        EXPECT_GT(above, 0);
        EXPECT_GT(below, 0);
        EXPECT_LT(std::abs(above - below), (above + below) / 2) << "tick " << t;
    }
}

TEST_P(ChartFrame, UnitLabelSitsAboveTheAxis) {
    const QPoint top = pixelAt(0.0, 1.1 * fs);
    EXPECT_GT(darkPixelsIn(QRect(0, 0, top.x() - 1, top.y())), 0);
}

TEST_P(ChartFrame, LegendNamesArePrintedOnTheirRows) {
    const double row = 0.2 * fs;
    auto ink = [&](int k) {
        return darkPixels(9.5, 11.0, fs * (1.0 - 0.2 * (k - 1)), fs * (0.9 - 0.2 * (k - 1)));
    };
    EXPECT_GT(ink(1), 0);
    EXPECT_EQ(ink(2), 0);
    EXPECT_GT(ink(3), 0);
    for (int k = 4; k <= 7; ++k)
        EXPECT_EQ(ink(k), 0) << k;
    // The names stay clear of the bars.
    EXPECT_EQ(darkPixels(8.5, 9.45, fs * 1.0, fs * 1.0 - 2 * row), 0);
}

TEST_P(ChartFrame, ValueTextsGoUnderTheNamesOfChannelsThatAreOn) {
    state.display.ChannelEnabled.fill(false);
    state.display.ChannelEnabled[0] = true;
    state.display.ChannelEnabled[6] = true;
    std::array<QString, corvin::kChannelCount> texts;
    texts.fill(QStringLiteral("-1234.5678"));
    auto ink = [&](int k) {
        return darkPixels(9.5, 11.0, fs * (0.9 - 0.2 * (k - 1)), fs * (0.81 - 0.2 * (k - 1)));
    };
    chart.PrintValueTexts(texts);
    EXPECT_GT(ink(1), 0);
    EXPECT_EQ(ink(2), 0);
    EXPECT_GT(ink(7), 0);
    chart.EraseValueTexts();
    EXPECT_EQ(ink(1), 0);
    EXPECT_EQ(ink(7), 0);
    EXPECT_GT(darkPixels(9.5, 11.0, fs, fs * 0.91), 0) << "the legend name above stays";
}

INSTANTIATE_TEST_SUITE_P(BarChart, ChartFrame, ::testing::Values(1, 2, 3, 4));

TEST_F(BarChartTest, AnUnchosenScaleHasTheGeometryOfScaleOne) {
    state.instrument.ScreenScale = 0;
    chart.RebuildChart();
    EXPECT_EQ(chart.fullScale(), 1.0);
    chart.DrawBar(9, 0.5, BarWidth::Whole);
    EXPECT_EQ(at(BarLeft(1) + 0.4, 0.45), kRed);
}

TEST_F(BarChartTest, TheScaleIsTakenWhenTheFrameIsDrawn) {
    state.instrument.ScreenScale = 4;
    chart.DrawBar(9, 5.0, BarWidth::Whole); // still the 10 µA geometry
    EXPECT_EQ(at(BarLeft(1) + 0.4, 4.5), kRed);
    chart.DrawChartFrame();
    EXPECT_EQ(chart.fullScale(), 1000.0);
}

// ---- Canvas size ----------------------------------------------------------------------------

TEST_F(BarChartTest, AResizedChartKeepsItsProportions) {
    auto barEdges = [&]() {
        // Left and top edge of channel 1's bar at 0.5 FS, as fractions of the picture.
        const QImage& img = chart.image();
        const int row = img.height() * 3 / 8;
        int left = 0;
        while (left < img.width() && img.pixelColor(left, row) != kRed)
            ++left;
        int top = 0;
        const int column = left + 2;
        while (top < img.height() && img.pixelColor(column, top) != kRed)
            ++top;
        return std::pair{double(left) / img.width(), double(top) / img.height()};
    };
    chart.DrawBar(9, 5.0, BarWidth::Whole);
    const auto small = barEdges();
    int changes = 0;
    QObject::connect(&chart, &BarChart::changed, [&] { ++changes; });
    chart.resize(QSize(1900, 1000));
    EXPECT_EQ(chart.size(), QSize(1900, 1000));
    EXPECT_EQ(darkPixelsIn(chart.image().rect()), 0);
    chart.RebuildChart();
    for (int i = 9; i <= 15; ++i)
        chart.DrawBar(i, 0.0, BarWidth::Whole);
    chart.DrawBar(9, 5.0, BarWidth::Whole);
    const auto large = barEdges();
    EXPECT_NEAR(small.first, large.first, 1.0 / 617);
    EXPECT_NEAR(small.second, large.second, 1.0 / 355);
    EXPECT_NEAR(large.first, 1.4 / 12, 1.0 / 1900);
    EXPECT_GT(changes, 0);
}

TEST_F(BarChartTest, LongChannelNamesStayInsideThePicture) {
    for (QSize size : {QSize(617, 355), QSize(1900, 1000)}) {
        chart.resize(size);
        chart.setLegendCaption(1, QStringLiteral("Reference WWMM 16"));
        chart.setLegendCaption(2, QStringLiteral("Guard electrode No 20"));
        chart.RebuildChart();
        const int last = chart.image().width() - 1;
        EXPECT_EQ(darkPixelsIn(QRect(last - 1, 0, 2, chart.image().height())), 0) << size.width();
        EXPECT_GT(darkPixels(9.5, 11.0, chart.fullScale(), 0.9 * chart.fullScale()), 0);
    }
}

// Regression: one long name shrank every legend name, and a name of 16 wide letters could run
// past the picture. The chart's sizes: normal and full screen at 1280x800 and 1920x1080.
TEST_F(BarChartTest, EveryNameAProbeHoldsShowsWholeAndLeavesTheOthersAlone) {
    const QString widest = QStringLiteral("WWWWWWWWWWWWWWWW");
    for (QSize size : {QSize(697, 400), QSize(1280, 690), QSize(1043, 600), QSize(1920, 970)}) {
        SCOPED_TRACE(size.width());
        chart.resize(size);
        chart.setLegendCaption(1, QString());
        chart.setLegendCaption(2, QStringLiteral("Anode"));
        chart.RebuildChart();
        const double fs = chart.fullScale();
        const int alone = darkPixels(9.5, 11.0, 0.8 * fs, 0.7 * fs);
        ASSERT_GT(alone, 0);

        chart.setLegendCaption(1, widest);
        chart.RebuildChart();
        EXPECT_EQ(darkPixels(9.5, 11.0, 0.8 * fs, 0.7 * fs), alone) << "the other name kept its size";
        EXPECT_LE(QFontMetricsF(chart.legendFont(1)).horizontalAdvance(widest), chart.legendWidth());
        const int last = chart.image().width() - 1;
        EXPECT_EQ(darkPixelsIn(QRect(last - 1, 0, 2, chart.image().height())), 0);
    }
}

TEST_F(BarChartTest, NonsenseSizesGiveAUsablePicture) {
    chart.resize(QSize(0, -5));
    EXPECT_FALSE(chart.image().isNull());
    chart.RebuildChart();
    chart.DrawBar(9, 5.0, BarWidth::Whole);
    chart.resize(QSize(100000, 20));
    EXPECT_LE(chart.size().width(), 8192);
    EXPECT_FALSE(chart.image().isNull());
}

TEST_F(BarChartTest, ClearPaintsTheWholePictureOneColour) {
    chart.DrawBar(9, 5.0, BarWidth::Whole);
    chart.clear(kGrey);
    const QImage& img = chart.image();
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7)
            ASSERT_EQ(img.pixelColor(x, y), kGrey);
}

} // namespace

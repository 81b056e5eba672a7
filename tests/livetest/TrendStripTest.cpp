// The live trend strip: what it draws from the logged rows and the live readings, and how the test
// window places it and remembers it.
#include "livetest/TrendStrip.h"
#include "livetest/TrendStripPanel.h"
#include "livetest/frmStdTestLogging.h"
#include "support/CountingPauser.h"
#include "support/FakeMainFrame.h"
#include "support/RecordingCard.h"
#include "support/ScriptedDesktop.h"

#include <QApplication>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

namespace corvin::livetest {
namespace {

bool Shows(const QImage& image, const QColor& colour, QRect where = {}) {
    const QRect area = where.isNull() ? image.rect() : where & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

TEST(TrendStrip, ScaleAndSpanFollowTheScreenScaleAndTheElapsedTime) {
    const std::vector<std::pair<int16_t, double>> scales{{1, 1},    {2, 10}, {3, 100},
                                                         {4, 1000}, {0, 1},  {5, 1}};
    for (const auto& [screen, fs] : scales)
        EXPECT_EQ(TrendStrip::fullScaleOf(screen), fs) << screen;
    const std::vector<std::pair<double, double>> spans{
        {0, 60}, {59, 60}, {61, 120}, {3600, 3600}, {3601, 3660}};
    for (const auto& [elapsed, span] : spans)
        EXPECT_EQ(TrendStrip::spanSeconds(elapsed), span) << elapsed;
}

TEST(TrendStrip, DrawsTheChannelsThatAreOnInTheirBarColoursUpToTheLiveReading) {
    SharedState state;
    state.instrument.ScreenScale = 2;      // 10 µA
    state.BarColours.setCh(1, 0x000000FF); // red
    state.BarColours.setCh(2, 0x00FF0000); // blue, but off
    state.display.ChannelEnabled[0] = true;
    state.periodic.resize(10);
    state.periodic.ReadingIntervalSeconds = 3;
    for (int r = 0; r < 10; ++r)
        state.periodic.PeriodicData[0][std::size_t(r)] = 5.0f; // half scale
    state.periodic.SampleCount = 10;
    BarChart chart(state);
    chart.DrawBar(9, 10.0, BarWidth::Whole); // live: full scale, at 45 s of the minute shown

    TrendStrip strip(state, chart, QSize(664, 120));
    strip.draw(45.0);
    const QImage& image = strip.image();
    EXPECT_TRUE(Shows(image, QColor(255, 0, 0)));
    EXPECT_FALSE(Shows(image, QColor(0, 0, 255)));
    // The logged rows at half height, left of the live reading three quarters along.
    const int plotLeft = 56, plotWidth = 664 - 56 - 8, plotTop = 6, plotHeight = 120 - 6 - 18;
    const int half = plotTop + plotHeight / 2;
    EXPECT_TRUE(Shows(image, QColor(255, 0, 0), QRect(plotLeft + plotWidth / 4, half - 2, 20, 5)));
    EXPECT_FALSE(
        Shows(image, QColor(255, 0, 0), QRect(plotLeft + plotWidth * 9 / 10, plotTop, 20, plotHeight)));

    // A band (the hook for the probe's limits) tints the strip behind the line.
    strip.setBand(1, TrendBand{1.0, 2.0});
    strip.draw(45.0);
    const QColor tinted = strip.image().pixelColor(plotLeft + 5, plotTop + plotHeight * 17 / 20);
    EXPECT_NE(tinted, QColor(Qt::white));
}

TEST(TrendStripWindow, OffLeavesTheBarsWhereTheyAreAndTheToggleIsRemembered) {
    SharedState state;
    state.instrument.BoardModel = 230;
    testing::RecordingCard card;
    testing::CountingPauser pauser;
    testing::ScriptedDesktop desk;
    testing::FakeMainFrame frame;
    frmStdTestLogging window(state, card, pauser, desk.desktop, frame);
    window.resize(1100, 800);
    window.show();
    QWidget* chart = window.findChild<QWidget*>(QStringLiteral("Picture1"));
    const QRect bars = chart->geometry();

    TrendStripPanel& trend = window.trendStrip();
    EXPECT_FALSE(trend.isOn());
    // Off, only the button shows, clear of every control.
    QWidget* centre = window.findChild<QWidget*>(QStringLiteral("frameCentre"));
    for (QWidget* control : centre->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible())
            continue;
        const QRect placed(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_FALSE(placed.intersects(trend.geometry())) << control->objectName().toStdString();
    }
    window.findChild<QToolButton*>(QStringLiteral("chkTrendStrip"))->click();
    EXPECT_TRUE(trend.isOn());
    EXPECT_TRUE(state.preferences.trendStripOn);
    // On: the strip across the bottom, the chart above it.
    EXPECT_EQ(trend.geometry().bottom(), window.height() - 5);
    EXPECT_LT(chart->mapTo(&window, QPoint(0, chart->height())).y(), trend.geometry().top());
    trend.setOn(false);
    EXPECT_EQ(chart->geometry(), bars);
    trend.setOn(true);

    // Full screen: the chart above the strip.
    window.showFullScreenLayout();
    EXPECT_EQ(chart->geometry().bottom() + 1, trend.geometry().top());
    trend.setOn(false);
    EXPECT_EQ(chart->height(), window.height());
    EXPECT_FALSE(state.preferences.trendStripOn);
}

} // namespace
} // namespace corvin::livetest

namespace corvin::livetest {
// Pictures of the test window with the strip for looking at by hand (not run by default):
// CORVIN_SHOTS=DIR xvfb-run corvin_livetest_tests --gtest_also_run_disabled_tests
//   --gtest_filter='*Screenshots*' with QT_QPA_PLATFORM=xcb.
TEST(TrendStripWindow, DISABLED_Screenshots) {
    const QString folder = qEnvironmentVariable("CORVIN_SHOTS");
    ASSERT_FALSE(folder.isEmpty());
    for (QSize size : {QSize(1280, 680), QSize(1920, 960)}) {
        for (bool on : {false, true}) {
            for (bool full : {false, true}) {
                SharedState state;
                state.instrument.BoardModel = 230;
                state.instrument.ScreenScale = 2;
                state.preferences.trendStripOn = on;
                for (int k = 1; k <= kChannelCount; ++k) {
                    state.CurrentProbe.setCh(k, QStringLiteral("Electrode %1").arg(k));
                    state.BarColours.setCh(k, std::array<int32_t, 7>{0x0000A0FF, 0x00B27200, 0x00739E00,
                                                                     0x00A779CC, 0x00009FE6, 0x00E9B456,
                                                                     0x00404040}[std::size_t(k - 1)]);
                    state.display.ChannelEnabled[std::size_t(k - 1)] = k != 4;
                }
                state.periodic.resize(400);
                state.periodic.ReadingIntervalSeconds = 1;
                for (int k = 0; k < kChannelCount; ++k)
                    for (int r = 0; r < 400; ++r)
                        state.periodic.PeriodicData[std::size_t(k)][std::size_t(r)] =
                            float(1.0 + k + 0.6 * std::sin(r / 30.0 + k));
                state.periodic.SampleCount = 400;
                testing::RecordingCard card;
                testing::CountingPauser pauser;
                testing::ScriptedDesktop desk;
                testing::FakeMainFrame frame;
                frmStdTestLogging window(state, card, pauser, desk.desktop, frame);
                window.resize(size);
                window.show();
                for (int k = 1; k <= kChannelCount; ++k)
                    state.display.ChannelEnabled[std::size_t(k - 1)] = k != 4;
                if (full)
                    window.showFullScreenLayout();
                for (int k = 1; k <= kChannelCount; ++k)
                    window.chart().DrawBar(ChannelIndexOf(k), 1.0 + k, BarWidth::Whole);
                state.session.phase = SessionPhase::Running;
                window.trendStrip().tick();
                desk.clock.advanceMs(430 * 1000);
                window.trendStrip().tick();
                QApplication::processEvents();
                window.grab().save(QStringLiteral("%1/test-window-%2x%3-trend-%4%5.png")
                                       .arg(folder)
                                       .arg(size.width())
                                       .arg(size.height())
                                       .arg(on ? "on" : "off", full ? "-fullscreen" : ""));
                state.session.phase = SessionPhase::Opened;
            }
        }
    }
}
} // namespace corvin::livetest

// The test session's pure rules: elapsed-time text, logging plan, answers of the set-up boxes,
// and the test window's geometry.
#include "livetest/SessionRules.h"
#include "livetest/TestWindowLayout.h"

#include <gtest/gtest.h>

namespace corvin::livetest {
namespace {

// ---- elapsed time -----------------------------------------------------------------------------

TEST(FormatElapsed, HoursMinutesSecondsWithHoursCountingOnPastADay) {
    EXPECT_EQ(FormatElapsed(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(FormatElapsed(999), QStringLiteral("00:00:00"));
    EXPECT_EQ(FormatElapsed(61'000), QStringLiteral("00:01:01"));
    EXPECT_EQ(FormatElapsed(int64_t(23) * 3600'000 + 59 * 60'000 + 59'000), QStringLiteral("23:59:59"));
    EXPECT_EQ(FormatElapsed(int64_t(25) * 3600'000 + 5'000), QStringLiteral("25:00:05"));
    EXPECT_EQ(FormatElapsed(int64_t(100) * 3600'000), QStringLiteral("100:00:00"));
}

TEST(FormatElapsed, ANegativeSpanShowsZero) {
    EXPECT_EQ(FormatElapsed(-5'000), QStringLiteral("00:00:00"));
}

// ---- logging plan -----------------------------------------------------------------------------

TEST(MaxLoggingHours, TableOfTheOfferedDefaults) {
    const std::pair<int, int> table[] = {{5, 6}, {10, 13}, {15, 19}, {20, 25}, {30, 38}};
    for (const auto& [interval, hours] : table)
        EXPECT_EQ(MaxLoggingHours(interval), hours) << interval;
}

TEST(PlannedSamples, SamplesForALoggingTimeCutAt4500) {
    EXPECT_EQ(PlannedSamples(0.1f, 5), 72);
    EXPECT_EQ(PlannedSamples(6.0f, 5), 4320);
    EXPECT_EQ(PlannedSamples(38.0f, 30), 4500); // 4560 planned
    EXPECT_EQ(PlannedSamples(13.0f, 10), 4500); // 4680 planned
    EXPECT_EQ(PlannedSamples(25.0f, 20), 4500); // exactly the limit
    EXPECT_EQ(PlannedSamples(1e30f, 5), 4500);
}

// ---- answers ----------------------------------------------------------------------------------

TEST(ReadInterval, WholeNumbersOnlyAndWithinA16BitCount) {
    EXPECT_EQ(ReadInterval(QStringLiteral("5")), int16_t(5));
    EXPECT_EQ(ReadInterval(QStringLiteral(" 30 ")), int16_t(30));
    EXPECT_EQ(ReadInterval(QStringLiteral("-4")), int16_t(-4));
    EXPECT_FALSE(ReadInterval(QStringLiteral("abc")));
    EXPECT_FALSE(ReadInterval(QString()));
    EXPECT_FALSE(ReadInterval(QStringLiteral("99999"))); // no wrap to a small number
}

TEST(ReadLoggingHours, SinglePrecisionOrNothing) {
    EXPECT_FLOAT_EQ(*ReadLoggingHours(QStringLiteral("0.1")), 0.1f);
    EXPECT_FALSE(ReadLoggingHours(QStringLiteral("six")));
    EXPECT_FALSE(ReadLoggingHours(QString()));
    // Regression: these parsed as numbers and got the messages about a too short or too long time.
    for (const char* notFinite : {"nan", "inf", "-inf", "NaN", " INF "})
        EXPECT_FALSE(ReadLoggingHours(QString::fromLatin1(notFinite))) << notFinite;
}

// ---- window geometry --------------------------------------------------------------------------

TEST(TestWindowLayout, DesignGeometryInPixelsAtFifteenTwipsEach) {
    EXPECT_EQ(TwipsToPixels(DesignRect(QStringLiteral("Picture1"))), QRect(159, 25, 617, 355));
    EXPECT_EQ(TwipsToPixels(DesignRect(QStringLiteral("Text1_9"))), QRect(227, 390, 60, 28));
    EXPECT_EQ(TwipsToPixels(DesignRect(QStringLiteral("Text1_15"))).left(), 587);
    EXPECT_EQ(TwipsToPixels(DesignRect(QStringLiteral("Label4"))).top(), 426);
    EXPECT_EQ(TwipsToPixels(DesignRect(QStringLiteral("Image7"))), QRect(599, 500, 37, 40));
    EXPECT_TRUE(DesignRect(QStringLiteral("NoSuchControl")).isEmpty());
}

TEST(TestWindowLayout, ReadingBoxesSitUnderTheirBars) {
    // Bar k spans chart x 0.4 + 1.2 (k - 1) .. + 0.8 of a picture 12 units wide from x = -1.
    const QRectF picture = DesignRect(QStringLiteral("Picture1"));
    for (int k = 1; k <= 7; ++k) {
        const double barCentre = picture.left() + (0.8 + 1.2 * (k - 1) + 1.0) / 12.0 * picture.width();
        const QRectF box = DesignRect(QStringLiteral("Text1_%1").arg(k + 8));
        EXPECT_LT(box.left(), barCentre) << k;
        EXPECT_GT(box.right(), barCentre) << k;
    }
}

TEST(TestWindowLayout, GrowsWithTheWindowButNeverShrinksBelowDesign) {
    EXPECT_DOUBLE_EQ(LayoutScale(QSize(400, 300)), 1.0);
    EXPECT_DOUBLE_EQ(LayoutScale(QSize(797, 630)), 1.0);
    EXPECT_NEAR(LayoutScale(QSize(1594, 2000)), 2.0, 1e-9); // width-bound
    EXPECT_NEAR(LayoutScale(QSize(4000, 945)), 1.5, 1e-9);  // height-bound
    EXPECT_DOUBLE_EQ(LayoutScale(QSize(20000, 20000)), kMaxLayoutScale);
}

TEST(TestWindowLayout, FrameCentreIsCentredAndKeepsItsContentInView) {
    // Room for all of it: centred both ways, 11955 x 11222.62 twips.
    EXPECT_EQ(FrameCentreRect(QSize(1000, 900), 1.0), QRect(101, 76, 797, 748));
    // Too low for the empty bottom of the frame: the controls are centred instead.
    const QRect low = FrameCentreRect(QSize(1000, 700), 1.0);
    EXPECT_EQ(low.top(), 35);
    // Too small altogether: pinned to the top-left corner.
    EXPECT_EQ(FrameCentreRect(QSize(500, 400), 1.0).topLeft(), QPoint(0, 0));
}

TEST(TestWindowLayout, RangeDialogsPlaceThemselvesAThirdDownTheScreen) {
    EXPECT_EQ(DialogPosition(QRect(0, 0, 1280, 800), QSize(300, 200)), QPoint(490, 200));
    EXPECT_EQ(DialogPosition(QRect(1920, 0, 1920, 1080), QSize(320, 180)), QPoint(1920 + 800, 300));
}

} // namespace
} // namespace corvin::livetest

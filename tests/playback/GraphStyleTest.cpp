// The graph styles: names, colours, the elapsed-time axis and where the clear style's legend goes.
#include "playback/GraphStyle.h"

#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::playback;

TEST(GraphStyle, NamesParseBothWaysAndOthersAreRefused) {
    for (GraphStyleKind kind : {GraphStyleKind::Classic, GraphStyleKind::Clear})
        EXPECT_EQ(GraphStyle::parse(GraphStyle::nameOf(kind)), kind);
    EXPECT_EQ(GraphStyle::parse(QStringLiteral("CLEAR")), GraphStyleKind::Clear);
    EXPECT_FALSE(GraphStyle::parse(QStringLiteral("modern")));
}

TEST(GraphStyle, ClassicKeepsThePaletteAndClearUsesOkabeItoBySetPosition) {
    const GraphStyle classic = GraphStyle::ofKind(GraphStyleKind::Classic);
    EXPECT_EQ(classic.background, QColor(0, 255, 255));
    EXPECT_EQ(classic.colourOfSet(3, 14), QColor(255, 255, 0));
    EXPECT_EQ(classic.lineWidth, 2.0);
    EXPECT_FALSE(classic.elapsedTimeAxis);

    const GraphStyle clear = GraphStyle::ofKind(GraphStyleKind::Clear);
    EXPECT_EQ(clear.background, QColor(Qt::white));
    EXPECT_EQ(clear.colourOfSet(1, 4), QColor(0x00, 0x72, 0xB2));
    EXPECT_EQ(clear.colourOfSet(2, 5), QColor(0xD5, 0x5E, 0x00));
    EXPECT_EQ(clear.colourOfSet(7, 15), QColor(0, 0, 0));
    // Seven colours, all different and none as light as the background.
    for (int a = 1; a <= 7; ++a) {
        EXPECT_LT(clear.colourOfSet(a, 0).lightness(), 200) << a;
        for (int b = a + 1; b <= 7; ++b)
            EXPECT_NE(clear.colourOfSet(a, 0), clear.colourOfSet(b, 0)) << a << " " << b;
    }
}

TEST(GraphStyle, ElapsedTimeIsSecondsUnderAnHourAndAClockFromAnHourOn) {
    struct Case {
        double seconds, test;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{950, 3599, "950"},
                                           {0, 100, "0"},
                                           {3900, 3600, "1:05:00"},
                                           {90061, 100000, "25:01:01"},
                                           {59.6, 7200, "0:01:00"}})
        EXPECT_EQ(GraphStyle::elapsedText(c.seconds, c.test), QString::fromLatin1(c.text)) << c.seconds;
    EXPECT_EQ(GraphStyle::elapsedTitle(3599), QStringLiteral("Elapsed time (s)"));
    EXPECT_EQ(GraphStyle::elapsedTitle(7200), QStringLiteral("Elapsed time (h:mm:ss)"));
    EXPECT_EQ(GraphStyle::valueTitle(QString::fromUtf8("µA")), QString::fromUtf8("Current (µA)"));
}

TEST(GraphStyle, ElapsedStepsAreRoundAndKeepTheTicksFew) {
    const std::vector<std::pair<double, double>> cases{{5, 1},
                                                       {70, 10},
                                                       {100, 15},
                                                       {7200, 900},
                                                       {72000, 10800},
                                                       {8 * 86400.0, 86400},
                                                       {30 * 86400.0, 4 * 86400.0},
                                                       {0, 1}};
    for (const auto& [span, step] : cases)
        EXPECT_EQ(GraphStyle::elapsedStep(span, 8), step) << span;
}

TEST(GraphStyle, TheLegendGoesToTheCornerWithTheFewestPoints) {
    const LegendBox box{0.3, 0.3};
    // A line falling from the top left to the bottom right leaves the other two corners empty.
    std::vector<std::pair<double, double>> falling;
    for (int i = 0; i <= 100; ++i)
        falling.emplace_back(i / 100.0, 1.0 - i / 100.0);
    int covered = -1;
    EXPECT_EQ(QuietestCorner(falling, box, &covered), LegendCorner::TopRight);
    EXPECT_EQ(covered, 0);
    // Readings along the top: a bottom corner.
    std::vector<std::pair<double, double>> high;
    for (int i = 0; i <= 100; ++i)
        high.emplace_back(i / 100.0, 0.9);
    EXPECT_EQ(QuietestCorner(high, box), LegendCorner::BottomRight);
    // Points everywhere but the top left.
    std::vector<std::pair<double, double>> most{{0.9, 0.9}, {0.9, 0.1}, {0.1, 0.1}};
    EXPECT_EQ(QuietestCorner(most, box), LegendCorner::TopLeft);
}

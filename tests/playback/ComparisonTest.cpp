// A reference run placed by time, and the statistics of the sets drawn against numbers worked
// out by hand.
#include "playback/ReferenceRun.h"
#include "playback/SetStatistics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace corvin::playback;

// ---- alignment by time ---------------------------------------------------------------------

TEST(ReferenceAlignment, RowsGoWhereTheirTimeIsOnTheGraphsAxis) {
    struct Case {
        int rows;
        int16_t reference, graph;
        std::vector<double> positions;
    };
    const std::vector<Case> cases{
        {3, 10, 10, {1, 2, 3}},       // same interval: row r at sample r
        {3, 30, 10, {3, 6, 9}},       // logged three times as seldom: 30 s is sample 3
        {4, 5, 10, {0.5, 1, 1.5, 2}}, // twice as often: between the samples
        {2, 0, 10, {1, 2}},           // no interval to go by: by row
        {2, 10, -1, {1, 2}},          {0, 10, 10, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AlignedPositions(c.rows, c.reference, c.graph), c.positions)
            << c.rows << " rows at " << c.reference << " s on " << c.graph << " s";
}

// ---- statistics ----------------------------------------------------------------------------

TEST(SetStatistics, MatchTheNumbersWorkedOutByHand) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> at{1, 2, 3, 4, 5, 6};
    const std::vector<double> values{2, 4, nan, 4, 5, 7};
    struct Case {
        double from, to;
        int count;
        double min, max, mean, sd, first, last;
    };
    // All five readings: mean 22/5 = 4.4; squares about it 5.76 + 0.16 + 0.16 + 0.36 + 6.76 = 13.2,
    // / 4 = 3.3, sd 1.8166. Samples 2..5 (the gap left out): 4, 4, 5, mean 13/3, squares 2/3,
    // / 2 = 1/3, sd 0.57735. One reading: sd 0. None: count 0.
    const std::vector<Case> cases{
        {-1e9, 1e9, 5, 2, 7, 4.4, std::sqrt(3.3), 2, 7},
        {2, 5, 3, 4, 5, 13.0 / 3.0, std::sqrt(1.0 / 3.0), 4, 5},
        {5.5, 6, 1, 7, 7, 7, 0, 7, 7},
        {7, 9, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const SetStatistics s = SetStatistics::over(at, values, c.from, c.to);
        EXPECT_EQ(s.count, c.count) << c.from;
        EXPECT_DOUBLE_EQ(s.min, c.min) << c.from;
        EXPECT_DOUBLE_EQ(s.max, c.max) << c.from;
        EXPECT_NEAR(s.mean, c.mean, 1e-12) << c.from;
        EXPECT_NEAR(s.standardDeviation, c.sd, 1e-12) << c.from;
        EXPECT_DOUBLE_EQ(s.first, c.first) << c.from;
        EXPECT_DOUBLE_EQ(s.last, c.last) << c.from;
    }
}

TEST(SetStatistics, TheTableAsTextIsTabSeparatedWithAHeader) {
    SetStatistics s;
    s.count = 2;
    s.min = 1;
    s.max = 3;
    s.mean = 2;
    s.standardDeviation = std::sqrt(2.0);
    s.first = 3;
    s.last = 1;
    const QString text = StatisticsText({{"1 Pin 2", "RUN.DAT", s}, {"2 Base", "REF.DAT", {}}}, "uA");
    EXPECT_EQ(text,
              QStringLiteral(
                  "Set\tFile\tReadings\tMin (uA)\tMax (uA)\tMean (uA)\tStd dev (uA)\tFirst (uA)\tLast (uA)\n"
                  "1 Pin 2\tRUN.DAT\t2\t1.0000\t3.0000\t2.0000\t1.4142\t3.0000\t1.0000\n"
                  "2 Base\tREF.DAT\t0\t-\t-\t-\t-\t-\t-\n"));
}

// The limits of a probe: which limits make sense, and a reader that takes only a whole, sensible
// limits file.

#include "probes/ProbeLimits.h"
#include "probes/frmProbeLimits.h"
#include "support/FailingFiles.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QLineEdit>

#include <QFileInfo>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace corvin::probes;
using corvin::testing::TempHome;

ChannelLimits Limits(std::optional<double> min, std::optional<double> mmin, std::optional<double> mmax,
                     std::optional<double> max, std::optional<double> settle = {}) {
    return {min, max, mmin, mmax, settle};
}

TEST(ProbeLimits, WhichLimitsAreTaken) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        ChannelLimits limits;
        const char* refusal; // empty: taken
    };
    const Case cases[] = {
        {"all four in order", Limits(-0.5, 0.0, 4.5, 5.0, 30), ""},
        {"equal bounds", Limits(1, 1, 1, 1), ""},
        {"a maximum alone", Limits({}, {}, {}, 5.0), ""},
        {"nothing", {}, ""},
        {"min above max", Limits(6, {}, {}, 5), "channel 2: min (6) is above max (5)"},
        {"marginal band outside", Limits(0, {}, 5.5, 5), "channel 2: marginal max (5.5) is above max (5)"},
        {"marginal min above marginal max", Limits({}, 3, 2, 5),
         "channel 2: marginal min (3) is above marginal max (2)"},
        {"not a number", Limits(nan, {}, {}, 5), "channel 2: min must be a number between -1e+06 and 1e+06"},
        {"absurd", Limits({}, {}, {}, 1e300), "channel 2: max must be a number between -1e+06 and 1e+06"},
        {"negative settling", Limits(0, {}, {}, 5, -1), "channel 2: the settling time must be 0 to 86400 s"},
        {"a band without limits", Limits({}, 1, 2, {}), "channel 2: a marginal band needs a min or a max"},
    };
    for (const Case& c : cases) {
        const corvin::Status s = CheckChannelLimits(2, c.limits);
        EXPECT_EQ(s.message().toStdString(), c.refusal) << c.what;
    }
}

TEST(ProbeLimits, AFileReadsBackAsWrittenAndNoFileIsNoLimits) {
    TempHome home;
    ProbeLimits limits{};
    limits[0] = Limits(-0.5, 0.0, 4.5, 5.0, 30);
    limits[6] = Limits({}, {}, {}, 900.0);
    const QString path = LimitsPathFor(home.file(QStringLiteral("BENCH 7.Prb")));
    EXPECT_EQ(path, home.file(QStringLiteral("BENCH 7.limits.json")));
    ASSERT_TRUE(WriteProbeLimits(path, limits));
    ProbeLimits read{};
    ASSERT_TRUE(ReadProbeLimits(path, read));
    EXPECT_EQ(read, limits);

    ProbeLimits none;
    none[3].max = 1.0;
    ASSERT_TRUE(ReadProbeLimits(home.file(QStringLiteral("missing.limits.json")), none));
    EXPECT_TRUE(HasNoLimits(none));
}

TEST(ProbeLimits, ABadFileIsRefusedWholeWithOneReason) {
    struct Case {
        const char* bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"not json", "it is not JSON"},
        {"[1, 2]", "it is not JSON"},
        {R"({"format": "something else", "version": 1})", "it is not a Corvin probe limits file"},
        {R"({"format": "corvin-probe-limits", "version": 2})", "it has a version this Corvin does not read"},
        {R"({"format": "corvin-probe-limits", "version": "1"})", "it has a version this Corvin does not read"},
        {R"({"format": "corvin-probe-limits", "version": 1, "channels": []})", "its channels are not a table"},
        {R"({"format": "corvin-probe-limits", "version": 1, "channels": {"8": {}}})",
         "it names a channel \"8\" the instrument does not have"},
        {R"({"format": "corvin-probe-limits", "version": 1, "channels": {"1": {"max": "5"}}})",
         "channel 1's max is not a number"},
        {R"({"format": "corvin-probe-limits", "version": 1, "channels": {"1": {"min": 5, "max": 1}}})",
         "channel 1: min (5) is above max (1)"},
    };
    for (const Case& c : cases) {
        ProbeLimits limits{};
        limits[0].max = 42;
        const corvin::Status s = DecodeProbeLimits(QByteArray(c.bytes), limits);
        ASSERT_FALSE(s) << c.bytes;
        EXPECT_EQ(s.message(), QStringLiteral("the limits file is not usable: ") + QString::fromUtf8(c.reason));
        EXPECT_EQ(limits[0].max, 42.0) << "a refused file changes nothing";
    }
}

// The Limits dialog: what is typed is checked where it was typed, then stored beside the probe.
TEST(ProbeLimitsWindow, TypedLimitsAreCheckedThenWrittenAndAFailedWriteSaysWhy) {
    TempHome home;
    corvin::testing::ScriptedDialogs dialogs;
    const QString path = home.file(QStringLiteral("CELL.limits.json"));
    std::array<QString, corvin::kChannelCount> names;
    frmProbeLimits window(QStringLiteral("CELL"), path, names, dialogs);
    window.box(2, 0)->setText(QStringLiteral("-0.5"));
    window.box(2, 3)->setText(QStringLiteral("5.5"));
    window.box(2, 4)->setText(QStringLiteral("30"));
    window.box(4, 2)->setText(QStringLiteral("abc"));
    EXPECT_FALSE(window.cmdOK_Click());
    EXPECT_EQ(dialogs.lastMessage().text, QStringLiteral("channel 4: the marginal max \"abc\" is not a number"));
    EXPECT_FALSE(QFileInfo::exists(path));

    window.box(4, 2)->clear();
    const auto full = corvin::testing::FailingFiles::DiscFullAfter(10);
    frmProbeLimits failing(QStringLiteral("CELL"), path, names, dialogs, nullptr, &full);
    failing.box(1, 3)->setText(QStringLiteral("1"));
    EXPECT_FALSE(failing.cmdOK_Click());
    EXPECT_TRUE(dialogs.lastMessage().text.startsWith(QStringLiteral("Problems with writing ") + path));
    EXPECT_FALSE(QFileInfo::exists(path));

    ASSERT_TRUE(window.cmdOK_Click());
    ProbeLimits read{};
    ASSERT_TRUE(ReadProbeLimits(path, read));
    EXPECT_EQ(read[1], Limits(-0.5, {}, {}, 5.5, 30));
    EXPECT_TRUE(HasNoLimits(ProbeLimits{}));

    // Opened again, it shows what is stored.
    frmProbeLimits again(QStringLiteral("CELL"), path, names, dialogs);
    EXPECT_EQ(again.box(2, 3)->text(), QStringLiteral("5.5"));
    EXPECT_EQ(again.box(1, 0)->text(), QString());
}

} // namespace

#include "probes/NewProbeCheck.h"

#include <gtest/gtest.h>

using namespace corvin::probes;
using Outcome = NewProbeCheck::Outcome;

namespace {

using Channels = std::array<QString, 7>;

const Channels kTwoChannels = {QStringLiteral("a"), QStringLiteral("b")};

} // namespace

// ---- The name: 3 to 16 characters once the surrounding spaces are gone ------------------------

TEST(NewProbeCheck, NameLengthLimits) {
    struct Case {
        const char* name;
        Outcome outcome;
    };
    const Case cases[] = {
        {"abc", Outcome::Ready},
        {"ABCDEFGHIJKLMNOP", Outcome::Ready},
        {"   abc   ", Outcome::Ready}, // surrounding spaces do not count
        {"  ABCDEFGHIJKLMNOP  ", Outcome::Ready},
        {"ab", Outcome::NameTooShort},
        {"  ab     ", Outcome::NameTooShort},
        {"", Outcome::NameTooShort},
        {"ABCDEFGHIJKLMNOPQ", Outcome::NameTooLong},
        {"a b", Outcome::Ready}, // inner spaces do
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NewProbeCheck(QString::fromLatin1(c.name), kTwoChannels).outcome(), c.outcome);
    }
}

TEST(NewProbeCheck, MessagesAndWhatTheDialogDoes) {
    const NewProbeCheck tooShort(QStringLiteral("ab"), kTwoChannels);
    EXPECT_EQ(tooShort.message(), QStringLiteral("Test Probe Device name must be at least 3 characters"));
    EXPECT_TRUE(tooShort.clearsName());
    EXPECT_FALSE(tooShort.resetsChannels());

    const NewProbeCheck tooLong(QStringLiteral("ABCDEFGHIJKLMNOPQ"), kTwoChannels);
    EXPECT_EQ(tooLong.message(),
              QStringLiteral("Test Probe Device name cannot be greater than 16 characters"));
    EXPECT_TRUE(tooLong.clearsName());

    const NewProbeCheck oneChannel(QStringLiteral("abc"), {QStringLiteral("only")});
    EXPECT_EQ(oneChannel.message(), QStringLiteral("Need minimum of two fields for a Probe device"));
    EXPECT_TRUE(oneChannel.resetsChannels());
    EXPECT_FALSE(oneChannel.clearsName());

    const NewProbeCheck fine(QStringLiteral("abc"), kTwoChannels);
    EXPECT_TRUE(fine.ready());
    EXPECT_TRUE(fine.message().isEmpty());
    EXPECT_EQ(NewProbeCheck::writtenMessage(QStringLiteral("/h/Probes/abc.prb")),
              QStringLiteral(" Probe Spec /h/Probes/abc.prb successfully written to disc"));
}

TEST(NewProbeCheck, TheNameIsCheckedBeforeTheChannels) {
    EXPECT_EQ(NewProbeCheck(QStringLiteral("ab"), {}).outcome(), Outcome::NameTooShort);
}

// ---- Channels: at least two filled, anywhere ----------------------------------------------------

TEST(NewProbeCheck, TwoFilledChannelsAnywhereAreEnough) {
    Channels firstAndLast;
    firstAndLast[0] = QStringLiteral("one");
    firstAndLast[6] = QStringLiteral("seven");
    const NewProbeCheck check(QStringLiteral("Probe"), firstAndLast);
    EXPECT_TRUE(check.ready());
    EXPECT_EQ(check.filledChannels(), 2);
}

TEST(NewProbeCheck, BlankChannelsDoNotCount) {
    const Channels blanks = {QStringLiteral("one"), QStringLiteral("   "), QString(), QStringLiteral(" ")};
    EXPECT_EQ(NewProbeCheck(QStringLiteral("Probe"), blanks).outcome(), Outcome::TooFewChannels);
}

TEST(NewProbeCheck, TheProbeHoldsTheTrimmedTexts) {
    const Channels typed = {QStringLiteral("  one "), QString(), QStringLiteral("three  ")};
    const NewProbeCheck check(QStringLiteral("  My Probe "), typed);
    EXPECT_EQ(check.name(), QStringLiteral("My Probe"));
    EXPECT_EQ(check.probe().Probe_Name(), QStringLiteral("My Probe"));
    EXPECT_EQ(check.probe().Ch1(), QStringLiteral("one"));
    EXPECT_EQ(check.probe().Ch2(), QString());
    EXPECT_EQ(check.probe().Ch3(), QStringLiteral("three"));
}

// ---- Channel texts must be storable as they are -----------------------------------------------

TEST(NewProbeCheck, ChannelTextsOutsideWindows1252WithControlCharactersOrTooLongAreRefused) {
    struct Case {
        Channels channels;
        int bad;
        QString message;
    };
    const Case cases[] = {
        {{"a", "b", QString::fromUtf16(u"Ω ohm")},
         3,
         QStringLiteral("Channel 3 can only hold characters of the Windows-1252 code page")},
        {{"a", "two\nlines"}, 2, QStringLiteral("Channel 2 cannot contain control characters")},
        {{"\x1b[31mred", "b", "tab\there"}, 1, QStringLiteral("Channel 1 cannot contain control characters")},
        // A box keeps 16 characters; a longer text (from corvin-data) is refused, not cut.
        {{"a", "b", "ABCDEFGHIJKLMNOPQ"}, 3, QStringLiteral("Channel 3 cannot be longer than 16 characters")},
        {{"µA", "é €", "ABCDEFGHIJKLMNOP"}, 0, QString()}, // all Windows-1252, 16 characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bad);
        const NewProbeCheck check(QStringLiteral("abc"), c.channels);
        EXPECT_EQ(check.ready(), c.bad == 0);
        EXPECT_EQ(check.badChannel(), c.bad);
        EXPECT_EQ(check.message(), c.message);
        EXPECT_FALSE(check.clearsName());
        EXPECT_FALSE(check.resetsChannels());
    }
}

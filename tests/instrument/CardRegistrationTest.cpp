#include "instrument/CardRegistration.h"
#include "instrument/NoCard.h"
#include "support/RecordingCard.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

using namespace corvin::instrument;
using corvin::testing::RecordingCard;

namespace {

QStringList SetUpCalls(int16_t h, int16_t group) {
    const QString g = QString::number(group);
    const QString hs = QString::number(h);
    return {QStringLiteral("GetBoardModel(%1)").arg(hs),
            QStringLiteral("DIOisAvailable(%1,%2)").arg(hs, g),
            QStringLiteral("DIOsetChanWidth(%1,%2,1)").arg(hs, g),
            QStringLiteral("DIOsetMode(%1,%2,0,0)").arg(hs, g),
            QStringLiteral("DIOsetMode(%1,%2,1,0)").arg(hs, g),
            QStringLiteral("DIOsetMode(%1,%2,2,0)").arg(hs, g),
            QStringLiteral("DIOsetMode(%1,%2,3,0)").arg(hs, g)};
}

QStringList StartupSetupCalls(int16_t h, int16_t group) {
    QStringList out;
    for (int bit = 0; bit < 24; ++bit)
        out << QStringLiteral("DIOsetData(%1,%2,%3,0)").arg(h).arg(group).arg(bit);
    out << QStringLiteral("AIOsetADCconvSource(%1,0,1)").arg(h)
        << QStringLiteral("AIOsetHWADCchanDiff(%1,0,0)").arg(h)
        << QStringLiteral("AIOsetHWADCchanGain(%1,0,-1,21845)").arg(h)
        << QStringLiteral("AIOsetAllADCchanMode(%1,0,0)").arg(h);
    return out;
}

} // namespace

// ---- no card: every index fails and is freed with the value registerBoardEx gave ----

TEST(CardRegistration, NoCardLeavesHandleMinusOneAndFreesEveryFailedValue) {
    RecordingCard card;
    card.setRegisteredIndexes({});
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, -1);
    EXPECT_FALSE(r.found());
    EXPECT_EQ(r.group, 0);

    QStringList expected;
    for (int i = 0; i < 8; ++i)
        expected << QStringLiteral("registerBoardEx(%1)").arg(i) << QStringLiteral("FreeBoard(-10)");
    EXPECT_EQ(card.log(), expected);
}

TEST(CardRegistration, NoCardStillMakesTheSetUpCallsWithHandleMinusOne) {
    RecordingCard card;
    card.setRegisteredIndexes({});
    const Registration r = RegisterBoard(card);
    card.clearLog();
    StartupCardSetup(card, r);
    EXPECT_EQ(card.log(), StartupSetupCalls(-1, 0));
}

TEST(CardRegistration, NoCardImplementationRegistersNothing) {
    NoCard card;
    EXPECT_EQ(RegisterBoard(card).BoardHandle, -1);
    int32_t count = 1234;
    EXPECT_NE(card.AIOgetADCdata(-1, 0, count), 0);
    EXPECT_EQ(count, 1234);
    EXPECT_EQ(card.DIOisAvailable(0, 0), 0);
    EXPECT_NE(card.DIOsetChanWidth(0, 0, 1), 0);
    EXPECT_NE(card.DIOsetMode(0, 0, 0, 0), 0);
}

// ---- a card found at a later index ----

TEST(CardRegistration, CardOnlyAtIndexThreeKeepsItsHandleAfterFreeingZeroToTwo) {
    RecordingCard card;
    card.setRegisteredIndexes({{3, 5}});
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, 5);
    EXPECT_EQ(r.BoardModel, 230);
    EXPECT_EQ(r.group, 0);

    QStringList expected;
    for (int i = 0; i < 3; ++i)
        expected << QStringLiteral("registerBoardEx(%1)").arg(i) << QStringLiteral("FreeBoard(-10)");
    expected << QStringLiteral("registerBoardEx(3)") << SetUpCalls(5, 0);
    EXPECT_EQ(card.log(), expected);
}

TEST(CardRegistration, FailingSetUpStepFreesTheHandleAndTriesTheNextIndex) {
    // Index 0 registers as handle 2 but its third port refuses its mode; index 1 is fine.
    RecordingCard card;
    card.setRegisteredIndexes({{0, 2}, {1, 4}});
    card.setResult(QStringLiteral("DIOsetMode(2,0,2,0)"), -1);
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, 4);

    QStringList expected{QStringLiteral("registerBoardEx(0)"),  QStringLiteral("GetBoardModel(2)"),
                         QStringLiteral("DIOisAvailable(2,0)"), QStringLiteral("DIOsetChanWidth(2,0,1)"),
                         QStringLiteral("DIOsetMode(2,0,0,0)"), QStringLiteral("DIOsetMode(2,0,1,0)"),
                         QStringLiteral("DIOsetMode(2,0,2,0)"), QStringLiteral("FreeBoard(2)"),
                         QStringLiteral("registerBoardEx(1)")};
    expected << SetUpCalls(4, 0);
    EXPECT_EQ(card.log(), expected);
}

struct StepFailure {
    const char* call;
    int16_t result;
    const char* lastCall; // the call after which FreeBoard follows
};

class CardRegistrationStep : public ::testing::TestWithParam<StepFailure> {};

TEST_P(CardRegistrationStep, FirstFailingStepEndsTheIndex) {
    RecordingCard card;
    card.setRegisteredIndexes({{0, 0}});
    card.setResult(QString::fromLatin1(GetParam().call), GetParam().result);
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, -1);
    const QStringList log = card.log();
    const auto at = log.indexOf(QString::fromLatin1(GetParam().lastCall));
    ASSERT_GE(at, 0);
    EXPECT_EQ(log.value(at + 1), QStringLiteral("FreeBoard(0)"));
    EXPECT_EQ(log.value(at + 2), QStringLiteral("registerBoardEx(1)"));
}

INSTANTIATE_TEST_SUITE_P(Steps, CardRegistrationStep,
                         ::testing::Values(StepFailure{"DIOisAvailable", 0, "DIOisAvailable(0,0)"},
                                           StepFailure{"DIOsetChanWidth", 1, "DIOsetChanWidth(0,0,1)"},
                                           StepFailure{"DIOsetMode(0,0,0,0)", -5, "DIOsetMode(0,0,0,0)"},
                                           StepFailure{"DIOsetMode(0,0,3,0)", 2, "DIOsetMode(0,0,3,0)"}));

// ---- model 30 uses digital group 8 at start-up ----

TEST(CardRegistration, Model30UsesGroupEightForSetUpAndClearing) {
    RecordingCard card;
    card.setModel(30);
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, 0);
    EXPECT_EQ(r.BoardModel, 30);
    EXPECT_EQ(r.group, 8);
    EXPECT_EQ(card.log(), QStringList{QStringLiteral("registerBoardEx(0)")} + SetUpCalls(0, 8));

    card.clearLog();
    StartupCardSetup(card, r);
    // The gain call is made whatever the model.
    EXPECT_EQ(card.log(), StartupSetupCalls(0, 8));
}

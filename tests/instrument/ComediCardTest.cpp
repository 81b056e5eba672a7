// The Comedi card over a stand-in for libcomedi: registration through the program's own start-up
// steps, the count scale, the relay lines and a live sweep.
#include "instrument/ComediCard.h"
#include "instrument/CardRegistration.h"
#include "instrument/RangeRelays.h"
#include "instrument/Sampling.h"
#include "support/CountingPauser.h"
#include "support/FakeComedi.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <sstream>
#include <vector>

using namespace corvin;
using namespace corvin::instrument;
using corvin::testing::CountingPauser;
using corvin::testing::FakeComedi;

namespace {

QString Text(const std::ostringstream& s) {
    return QString::fromStdString(s.str());
}

QStringList Writes(std::initializer_list<std::pair<int, int>> lineValues) {
    QStringList out;
    for (const auto& [line, value] : lineValues)
        out << QStringLiteral("dioWrite(2,%1,%2)").arg(line).arg(value);
    return out;
}

// A PCI230+ on /dev/comedi0, registered as the program does it at start-up.
struct Registered {
    FakeComedi comedi;
    std::ostringstream report;
    ComediCard card{comedi, {}, report};
    Registration registration;
    InstrumentState state;

    Registered() {
        comedi.addDevice("/dev/comedi0");
        registration = RegisterBoard(card);
        state.BoardHandle = registration.BoardHandle;
        state.BoardModel = registration.BoardModel;
        AnalogueSetupByModel(card, state);
        comedi.clearLog();
    }
};

} // namespace

// ---- registration -----------------------------------------------------------------------------

TEST(ComediRegistration, APresentBoardIsHandleZeroOfModel230WithItsTwentyFourLinesAsOutputs) {
    Registered r;
    EXPECT_EQ(r.registration.BoardHandle, 0);
    EXPECT_EQ(r.registration.BoardModel, 230);
    EXPECT_TRUE(r.report.str().empty());
    EXPECT_TRUE(r.comedi.isOpen("/dev/comedi0"));

    FakeComedi comedi;
    comedi.addDevice("/dev/comedi0");
    std::ostringstream report;
    ComediCard card(comedi, {}, report);
    RegisterBoard(card);
    QStringList expected{QStringLiteral("open(/dev/comedi0)")};
    for (int line = 0; line < 24; ++line)
        expected << QStringLiteral("dioConfig(2,%1,1)").arg(line);
    EXPECT_EQ(comedi.log(), expected); // configured once, at registration
}

// Everything that leaves the program without a card, and what it says on standard error.
struct Refusal {
    const char* what;
    std::function<void(FakeComedi&)> setUp;
    const char* report;
};

class ComediRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ComediRefusal, LeavesNoCardAndSaysWhy) {
    FakeComedi comedi;
    GetParam().setUp(comedi);
    std::ostringstream report;
    ComediCard card(comedi, {}, report);
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, -1);
    EXPECT_EQ(comedi.openCount(), 0); // whatever was opened is closed again
    EXPECT_EQ(Text(report), QString::fromUtf8(GetParam().report));
    // With no card the program goes on with handle 0 after a test window opened: nothing answers.
    int32_t count = 99;
    EXPECT_NE(card.AIOstartADCconversion(0, 0), 0);
    EXPECT_NE(card.AIOgetADCdata(0, 0, count), 0);
    EXPECT_EQ(count, 99);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComediRefusal,
    ::testing::Values(
        Refusal{"NoDevice", [](FakeComedi&) {},
                "corvin: /dev/comedi0: no such device — is the Comedi driver loaded? (sudo modprobe "
                "amplc_pci230)\n"},
        Refusal{"PermissionDenied", [](FakeComedi& c) { c.refuseDevice("/dev/comedi0", EACCES); },
                "corvin: /dev/comedi0: permission denied — add yourself to the iocard group\n"},
        Refusal{"NothingAttached", [](FakeComedi& c) { c.refuseDevice("/dev/comedi0", ENODEV); },
                "corvin: /dev/comedi0: no board attached — an ISA board is attached with comedi_config "
                "first\n"},
        Refusal{"WrongBoard", [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.name = "pci-6221"}); },
                "corvin: /dev/comedi0: board \"pci-6221\" is not of the PCI230 family (PCI230, PCI230+, "
                "PCI260, PCI260+)\n"},
        Refusal{"NoDigitalLines",
                [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.name = "pci260+", .digital = -1}); },
                "corvin: /dev/comedi0: board pci260+ has no digital lines for the range relays\n"},
        Refusal{"TooFewInputs", [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.analogueChannels = 8}); },
                "corvin: /dev/comedi0: board pci230+ has 8 analogue inputs, 16 are needed\n"},
        Refusal{"NoFiveVoltRange", [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.rangeIndex = -1}); },
                "corvin: /dev/comedi0: analogue input 0 has no ±5 V range\n"},
        Refusal{"LineWillNotBeAnOutput",
                [](FakeComedi& c) {
                    c.addDevice("/dev/comedi0");
                    c.failDioConfig(9);
                },
                "corvin: /dev/comedi0: digital line 9 cannot be made an output\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ComediRegistration, TheFirstUsableBoardIsHandleZeroWhateverItsIndex) {
    FakeComedi comedi;
    comedi.addDevice("/dev/comedi0", {.name = "pci-6221"});
    comedi.addDevice("/dev/comedi2", {.name = "pci230"});
    std::ostringstream report;
    ComediCard card(comedi, {}, report);
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, 0); // the test window addresses the card as handle 0
    EXPECT_TRUE(comedi.isOpen("/dev/comedi2"));
    EXPECT_FALSE(comedi.isOpen("/dev/comedi0"));
    // The missing /dev/comedi1 in between is not worth a line.
    EXPECT_EQ(Text(report).count(QLatin1Char('\n')), 1);
}

TEST(ComediRegistration, AGivenDeviceIsTheOnlyOneTried) {
    FakeComedi comedi;
    comedi.addDevice("/dev/comedi0");
    std::ostringstream report;
    ComediCard card(comedi, "/dev/comedi1", report);
    EXPECT_EQ(RegisterBoard(card).BoardHandle, -1);
    EXPECT_EQ(comedi.calls("open"), QStringList{QStringLiteral("open(/dev/comedi1)")});
    EXPECT_EQ(Text(report), QString::fromUtf8("corvin: /dev/comedi1: no such device — is the Comedi driver "
                                              "loaded? (sudo modprobe amplc_pci230)\n"));

    comedi.addDevice("/dev/comedi1");
    EXPECT_EQ(RegisterBoard(card).BoardHandle, 0);
}

TEST(ComediRegistration, FreeBoardClosesTheDeviceAndTheHandleAnswersNoMore) {
    Registered r;
    EXPECT_EQ(r.card.FreeBoard(0), 0);
    EXPECT_FALSE(r.comedi.isOpen("/dev/comedi0"));
    EXPECT_NE(r.card.DIOsetData(0, 0, 1, 1), 0);
    EXPECT_NE(r.card.GetBoardModel(0), 230);
    EXPECT_NE(r.card.FreeBoard(0), 0); // a second release is harmless
    EXPECT_TRUE(r.comedi.calls("dioWrite").isEmpty());
}

TEST(ComediRegistration, BoardNamesOfThePci230Family) {
    for (const char* name : {"pci230", "pci230+", "pci260", "pci260+", "amplc_pci230"})
        EXPECT_EQ(ComediCard::ModelForBoardName(name), std::optional<int16_t>(230)) << name;
    for (const char* name : {"", "PCI230", "pci224", "pci230 ", "amplc_pci224"})
        EXPECT_EQ(ComediCard::ModelForBoardName(name), std::nullopt) << name;
}

// ---- the count scale: 5 V = 32752 counts, rounded half to even, held at the 16-bit limits ----

struct SampleCase {
    uint32_t sample;
    ComediApi::Volts volts;
    uint32_t maxData;
    int32_t count;
};

class CountScale : public ::testing::TestWithParam<SampleCase> {};

TEST_P(CountScale, Converts) {
    const SampleCase c = GetParam();
    EXPECT_EQ(ComediCard::CountForSample(c.sample, c.volts, c.maxData), c.count) << c.sample;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CountScale,
    ::testing::Values(
        // PCI230+, 16 bits on ±5 V: one step is 0.9995 counts; 0 V falls between two steps.
        SampleCase{0, {-5, 5}, 65535, -32752}, SampleCase{65535, {-5, 5}, 65535, 32752},
        SampleCase{32767, {-5, 5}, 65535, 0}, SampleCase{32768, {-5, 5}, 65535, 0},
        SampleCase{32769, {-5, 5}, 65535, 1}, SampleCase{32766, {-5, 5}, 65535, -1},
        // PCI230, 12 bits: one step is 16 counts.
        SampleCase{0, {-5, 5}, 4095, -32752}, SampleCase{4095, {-5, 5}, 4095, 32752},
        SampleCase{2048, {-5, 5}, 4095, 8}, SampleCase{2047, {-5, 5}, 4095, -8},
        // A wider range than ±5 V saturates at the 16-bit limits instead of wrapping.
        SampleCase{65535, {-10, 10}, 65535, 32767}, SampleCase{0, {-10, 10}, 65535, -32768},
        // A sample beyond what the driver said it gives is held too; no maximum gives 0.
        SampleCase{70000, {-5, 5}, 65535, 32767}, SampleCase{100, {-5, 5}, 0, 0}));

// ---- the relays on the digital lines ----------------------------------------------------------

TEST(ComediRelays, ARangeChangeLandsOnTheChannelsLines) {
    Registered r;
    DisplayState display;
    display.ChannelEnabled[0] = true; // channel 1: lines 0/1
    display.ChannelEnabled[2] = true; // channel 3: lines 4/5
    r.state.HighRangeSelected = true;
    ApplyRangeRelays(r.card, r.state, display);
    EXPECT_EQ(r.comedi.log(), Writes({{0, 0}, {1, 1}, {4, 0}, {5, 1}}));

    r.comedi.clearLog();
    r.state.HighRangeSelected = false;
    ApplyRangeRelays(r.card, r.state, display);
    WriteChannelRelays(r.card, r.state, 7, true); // channel 7 switched on: lines 12/13
    EXPECT_EQ(r.comedi.log(), Writes({{0, 1}, {1, 0}, {4, 1}, {5, 0}, {12, 1}, {13, 0}}));
}

TEST(ComediRelays, ClearingTheOutputsWritesAllTwentyFourLines) {
    Registered r;
    ClearDigitalOutputs(r.card, 0, 0);
    QStringList expected;
    for (int line = 0; line < 24; ++line)
        expected << QStringLiteral("dioWrite(2,%1,0)").arg(line);
    EXPECT_EQ(r.comedi.log(), expected);
    EXPECT_NE(r.card.DIOsetData(0, 0, 24, 0), 0);
    EXPECT_NE(r.card.DIOsetData(0, 8, 3, 0), 0); // the model-30 group is not on this card
}

// ---- sampling ---------------------------------------------------------------------------------

TEST(ComediSampling, ALiveSweepReadsInputsNineToFifteenInOrder) {
    Registered r;
    r.state.HighRangeSelected = false;
    r.state.ScreenScale = 4;
    // Input 9 + i reads (i + 1) × 100 µA on LOW: 0.5 V per 100 µA.
    std::vector<double> expected;
    for (unsigned i = 0; i < 7; ++i) {
        const double volts = (i + 1) * 0.5;
        r.comedi.setSample(9 + i, static_cast<uint32_t>(std::lround((volts + 5.0) / 10.0 * 65535)));
        expected.push_back((i + 1) * 100.0);
    }
    CountingPauser pauser;
    std::vector<int16_t> channels;
    std::vector<double> readings;
    LiveSweep(r.card, pauser, r.state, [&](int16_t c, const QString&, double reading) {
        channels.push_back(c);
        readings.push_back(reading);
    });
    EXPECT_EQ(channels, (std::vector<int16_t>{9, 10, 11, 12, 13, 14, 15}));
    ASSERT_EQ(readings.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_NEAR(readings[i], expected[i], 0.2) << i; // within one step of the 16-bit converter

    // Each input is selected ahead of its read, both on the ±5 V range (1) against ground (0).
    QStringList calls;
    for (int c = 9; c <= 15; ++c)
        calls << QStringLiteral("dataReadHint(0,%1,1,0)").arg(c)
              << QStringLiteral("dataRead(0,%1,1,0)").arg(c);
    EXPECT_EQ(r.comedi.log(), calls);
    EXPECT_EQ(pauser.pauses().size(), 14u); // the card settles on the usual schedule
}

TEST(ComediSampling, AFailedReadLeavesTheCountAsItWas) {
    Registered r;
    r.comedi.setSample(10, 65535);
    r.comedi.failReads(11);
    int32_t count = 0;
    CountingPauser pauser;
    TakeLiveCount(r.card, pauser, r.state, 10, count);
    EXPECT_EQ(count, 32752);
    TakeLiveCount(r.card, pauser, r.state, 11, count);
    EXPECT_EQ(count, 32752);
}

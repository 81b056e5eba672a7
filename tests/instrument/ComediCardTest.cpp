// The Comedi card over a stand-in for libcomedi: registration through the program's own start-up
// steps, the count scale, the relay lines and a live sweep.
#include "instrument/ComediCard.h"
#include "instrument/CardRegistration.h"
#include "instrument/NoPause.h"
#include "instrument/RangeRelays.h"
#include "instrument/Sampling.h"
#include "support/FakeComedi.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <sstream>

using namespace corvin;
using namespace corvin::instrument;
using corvin::testing::FakeComedi;

namespace {

// A card over the stand-in, registered as the program does it at start-up.
struct Comedi {
    FakeComedi comedi;
    std::ostringstream report;
    ComediCard card;
    InstrumentState state;

    explicit Comedi(const std::function<void(FakeComedi&)>& setUp, std::string device = {})
        : card(comedi, std::move(device), report) {
        setUp(comedi);
        const Registration r = RegisterBoard(card);
        state.BoardHandle = r.BoardHandle;
        state.BoardModel = r.BoardModel;
        AnalogueSetupByModel(card, state);
    }
    QString reported() const { return QString::fromStdString(report.str()); }
};

void Pci230AtComedi0(FakeComedi& c) {
    c.addDevice("/dev/comedi0");
}

} // namespace

// ---- registration -----------------------------------------------------------------------------

TEST(ComediRegistration, APresentBoardIsHandleZeroOfModel230WithItsLinesMadeOutputsOnce) {
    Comedi c(Pci230AtComedi0);
    EXPECT_EQ(c.state.BoardHandle, 0);
    EXPECT_EQ(c.state.BoardModel, 230);
    QStringList expected{QStringLiteral("open(/dev/comedi0)")};
    for (int line = 0; line < 24; ++line)
        expected << QStringLiteral("dioConfig(2,%1,1)").arg(line);
    EXPECT_EQ(c.comedi.log(), expected);
    EXPECT_TRUE(c.reported().isEmpty());
}

// What leaves the program without a card, and the one line it writes to standard error.
struct Refusal {
    const char* what;
    std::function<void(FakeComedi&)> setUp;
    const char* report;
};

class ComediRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ComediRefusal, LeavesNoCardAndSaysWhy) {
    Comedi c(GetParam().setUp);
    EXPECT_EQ(c.state.BoardHandle, -1);
    EXPECT_FALSE(c.comedi.isOpen("/dev/comedi0")); // closed again when refused
    EXPECT_EQ(c.reported(), QString::fromUtf8(GetParam().report));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComediRefusal,
    ::testing::Values(
        Refusal{"Missing", [](FakeComedi&) {},
                "corvin: /dev/comedi0: no such device — is the Comedi driver loaded? (sudo modprobe "
                "amplc_pci230)\n"},
        Refusal{"PermissionDenied", [](FakeComedi& c) { c.refuseDevice("/dev/comedi0", EACCES); },
                "corvin: /dev/comedi0: permission denied — add yourself to the iocard group\n"},
        Refusal{"WrongBoard", [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.name = "pci-6221"}); },
                "corvin: /dev/comedi0: board \"pci-6221\" is not of the PCI230 family (PCI230, PCI230+, "
                "PCI260, PCI260+)\n"},
        Refusal{"Pci260HasNoDigitalLines",
                [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.name = "pci260", .digital = -1}); },
                "corvin: /dev/comedi0: board pci260 has no digital lines, 24 are needed\n"},
        Refusal{"NoFiveVoltRange", [](FakeComedi& c) { c.addDevice("/dev/comedi0", {.rangeIndex = -1}); },
                "corvin: /dev/comedi0: analogue input 0 has no ±5 V range\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ComediRegistration, TheFirstUsableBoardIsHandleZeroWhateverItsIndex) {
    Comedi c([](FakeComedi& f) {
        f.addDevice("/dev/comedi0", {.name = "pci-6221"});
        f.addDevice("/dev/comedi2");
    });
    EXPECT_EQ(c.state.BoardHandle, 0); // the handle the test window addresses
    EXPECT_TRUE(c.comedi.isOpen("/dev/comedi2"));
    EXPECT_EQ(c.reported().count(QLatin1Char('\n')), 1); // the missing /dev/comedi1 is not worth a line
}

TEST(ComediRegistration, AGivenDeviceIsTheOnlyOneTried) {
    Comedi c(Pci230AtComedi0, "/dev/comedi1");
    EXPECT_EQ(c.state.BoardHandle, -1);
    EXPECT_EQ(c.comedi.calls("open"), QStringList{QStringLiteral("open(/dev/comedi1)")});
}

TEST(ComediRegistration, FreeBoardClosesTheDeviceAndTheHandleAnswersNoMore) {
    Comedi c(Pci230AtComedi0);
    EXPECT_EQ(c.card.FreeBoard(0), 0);
    EXPECT_FALSE(c.comedi.isOpen("/dev/comedi0"));
    EXPECT_NE(c.card.DIOsetData(0, 0, 1, 1), 0);
    EXPECT_NE(c.card.FreeBoard(0), 0);
}

TEST(ComediRegistration, BoardNamesOfThePci230Family) {
    for (const char* name : {"pci230", "pci230+", "pci260", "pci260+", "amplc_pci230"})
        EXPECT_EQ(ComediCard::ModelForBoardName(name), std::optional<int16_t>(230)) << name;
    for (const char* name : {"", "PCI230", "pci224"})
        EXPECT_EQ(ComediCard::ModelForBoardName(name), std::nullopt) << name;
}

// ---- the count scale: 5 V = 32752 counts, rounded half to even, held at the 16-bit limits ----

TEST(ComediCountScale, EndsZeroAndOneCount) {
    struct Case {
        uint32_t sample;
        double volts;
        uint32_t maxData;
        int32_t count;
    };
    for (const Case c : {Case{0, 5, 65535, -32752}, Case{65535, 5, 65535, 32752}, // full scale, 16 bits
                         Case{32768, 5, 65535, 0}, Case{32767, 5, 65535, 0},      // 0 V lies between two
                         Case{32769, 5, 65535, 1}, Case{32766, 5, 65535, -1},     // one step, one count
                         Case{2048, 5, 4095, 8}, Case{4095, 5, 4095, 32752},      // 12 bits: 16 a step
                         Case{65535, 10, 65535, 32767}, Case{0, 10, 65535, -32768}, Case{9, 5, 0, 0}})
        EXPECT_EQ(ComediCard::CountForSample(c.sample, {-c.volts, c.volts}, c.maxData), c.count) << c.sample;
}

// ---- the relays on the digital lines, and a live sweep -----------------------------------------

TEST(ComediCard, ARangeChangeLandsOnTheChannelsLines) {
    Comedi c(Pci230AtComedi0);
    c.comedi.clearLog();
    DisplayState display;
    display.ChannelEnabled[0] = true; // channel 1: lines 0/1
    display.ChannelEnabled[6] = true; // channel 7: lines 12/13
    c.state.HighRangeSelected = true;
    ApplyRangeRelays(c.card, c.state, display);
    c.state.HighRangeSelected = false;
    ApplyRangeRelays(c.card, c.state, display);
    EXPECT_EQ(c.comedi.log(),
              (QStringList{"dioWrite(2,0,0)", "dioWrite(2,1,1)", "dioWrite(2,12,0)", "dioWrite(2,13,1)",
                           "dioWrite(2,0,1)", "dioWrite(2,1,0)", "dioWrite(2,12,1)", "dioWrite(2,13,0)"}));
}

TEST(ComediCard, ALiveSweepReadsInputsNineToFifteenInOrder) {
    Comedi c(Pci230AtComedi0);
    c.comedi.clearLog();
    c.state.HighRangeSelected = false;
    c.state.ScreenScale = 4;
    for (unsigned input = 9; input <= 15; ++input) // 0.5 V more on each: 100 µA steps on LOW
        c.comedi.setSample(input,
                           static_cast<uint32_t>(std::lround((5.0 + (input - 8) * 0.5) / 10.0 * 65535)));
    QStringList shown;
    NoPause pauser;
    LiveSweep(c.card, pauser, c.state, [&](int16_t input, const QString& text, double) {
        shown << QStringLiteral("%1:%2").arg(input).arg(text);
    });
    EXPECT_EQ(shown, (QStringList{"9:100", "10:200", "11:300", "12:400", "13:500", "14:600", "15:700"}));
    // Each input is selected ahead of its read, on the ±5 V range (1) against ground (0).
    QStringList calls;
    for (int input = 9; input <= 15; ++input)
        calls << QStringLiteral("dataReadHint(0,%1,1,0)").arg(input)
              << QStringLiteral("dataRead(0,%1,1,0)").arg(input);
    EXPECT_EQ(c.comedi.log(), calls);
}

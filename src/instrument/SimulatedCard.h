#pragma once
// A model-230 acquisition card wired to a simulated instrument, so that every screen has something
// to show without hardware. Input k + 8 carries channel k's current as a voltage chosen by the
// channel's relay pair (digital outputs 2(k-1), 2(k-1)+1 of group 0): 0/1 HIGH, volts = µA / 2.2;
// 1/0 LOW, volts = µA / 200; 0/0 or 1/1 unconnected, 0 V. The converter gives 32752 counts for
// 5.0 V and stops at the 16-bit limits. Time comes from the clock given; the noise from a
// generator seeded at construction, so a seed and a clock always give the same readings.

#include "common/Clock.h"
#include "instrument/CardLibrary.h"
#include "instrument/SimulatorProfile.h"

#include <array>
#include <cstdint>
#include <random>

namespace corvin::instrument {

class SimulatedCard : public CardLibrary {
public:
    static constexpr int16_t kModel = 230;
    static constexpr int16_t kHandle = 0; // registers at board index 0 only

    explicit SimulatedCard(const Clock& clock, SimulatorProfile profile = SimulatorProfile::demo(),
                           uint32_t seed = 1);

    int16_t registerBoardEx(int16_t boardIndex) override;
    int16_t GetBoardModel(int16_t h) override;
    // A simulation holds nothing to release: the card stays usable after a FreeBoard.
    int16_t FreeBoard(int16_t h) override;

    int16_t DIOisAvailable(int16_t h, int16_t group) override;
    int16_t DIOsetChanWidth(int16_t h, int16_t group, int16_t width) override;
    int16_t DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) override;
    int16_t DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) override;

    int16_t AIOsetADCconvSource(int16_t h, int16_t adc, int16_t source) override;
    int16_t AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t differential) override;
    int16_t AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t channel, int32_t gain) override;
    int16_t AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t mode) override;
    int16_t AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) override;
    // Converts the selected input now; AIOgetADCdata returns this count until the next conversion.
    int16_t AIOstartADCconversion(int16_t h, int16_t adc) override;
    int16_t AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) override;

    // Volts to counts as the converter does it: 5.0 V = 32752, held at -32768 and 32767.
    static int32_t CountForVolts(double volts);

    // The state of digital output `bit` (0..23) of group 0.
    int16_t outputBit(int bit) const { return m_outputs[static_cast<std::size_t>(bit)]; }
    const SimulatorProfile& profile() const { return m_profile; }

private:
    double inputVolts(int16_t input);

    const Clock& m_clock;
    SimulatorProfile m_profile;
    std::mt19937 m_random;
    std::normal_distribution<double> m_noise{0.0, 1.0};
    std::array<int16_t, 24> m_outputs{};
    int16_t m_selectedInput = 0;
    int32_t m_latchedCount = 0;
};

} // namespace corvin::instrument

#pragma once
// What the simulated instrument carries on each of its seven channels: a steady current, a slow
// sine-shaped drift around it and some noise. Read from a small text file (see "The simulated instrument" in
// the README) or taken from the demonstration set.

#include "common/SharedState.h"
#include "common/Status.h"

#include <QString>
#include <array>

namespace corvin::instrument {

struct ChannelCurrent {
    double levelMicroAmps = 0.0;
    double swingMicroAmps = 0.0; // amplitude of the slow drift
    double periodSeconds = 60.0; // of the slow drift
    double noiseMicroAmps = 0.0; // standard deviation of the noise added to every conversion
};

class SimulatorProfile {
public:
    // Every channel at 0 µA: what a profile file starts from.
    SimulatorProfile() = default;

    // The demonstration set used when no file is given: four small currents for the HIGH range
    // (10 µA scale), three large ones for the LOW range (1 mA scale), some of them negative.
    static SimulatorProfile demo();

    // Reads a profile file. On failure `profile` is left as it was and the message names the file
    // and, for a bad line, its number.
    static Status Load(const QString& path, SimulatorProfile& profile);
    // Reads profile text; `source` names it in messages.
    static Status parse(const QString& text, const QString& source, SimulatorProfile& profile);

    // Channel k (1..7).
    const ChannelCurrent& channel(int k) const { return m_channels[static_cast<std::size_t>(k - 1)]; }
    ChannelCurrent& channel(int k) { return m_channels[static_cast<std::size_t>(k - 1)]; }

    // The current of channel k after `seconds`, without the noise.
    double currentAt(int k, double seconds) const;

private:
    std::array<ChannelCurrent, kChannelCount> m_channels{};
};

} // namespace corvin::instrument

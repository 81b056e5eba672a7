#pragma once
// The readout under the playback graph while the mouse is over it: which sample the cursor is
// on, how long after the start of the test that sample was taken (sample x interval, in seconds
// and as h:mm:ss) and the value of every set there.

#include <QString>
#include <cstdint>
#include <vector>

namespace corvin::playback {

class CursorReadout {
public:
    struct SetValue {
        int setNumber = 0;
        double value = 0.0; // not a number where the sample has no reading
    };

    // The sample (1..pointCount) nearest to a position on the sample axis; 0 when there are none.
    static int sampleAt(double position, int pointCount);
    // Whole seconds as "h:mm:ss" (hours not limited to a day): 12340 -> "3:25:40".
    static QString Clock(int64_t seconds);
    // "Sample 1234   12340 s (3:25:40)   1: 12.345 µA   2: -3.500 µA ..."
    static QString Text(int sample, int16_t intervalSeconds, const std::vector<SetValue>& values,
                        const QString& unit);
};

} // namespace corvin::playback

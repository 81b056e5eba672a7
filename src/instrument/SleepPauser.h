#pragma once
// The real pauses between card calls: Pause(n) blocks for n × 0.1 ms, so the short pause (10) is
// about 1 ms and the long one (20) about 2 ms, enough for the multiplexer and converter to settle.

#include "instrument/CardLibrary.h"

namespace corvin::instrument {

class SleepPauser : public Pauser {
public:
    void Pause(int n) override;
};

} // namespace corvin::instrument

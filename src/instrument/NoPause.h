#pragma once
// Pauses that take no time, for tests, benchmarks and anything that simulates the card.

#include "instrument/CardLibrary.h"

namespace corvin::instrument {

class NoPause : public Pauser {
public:
    void Pause(int) override {}
};

} // namespace corvin::instrument

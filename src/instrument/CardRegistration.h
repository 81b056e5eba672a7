#pragma once
// Finding the acquisition card at start-up and preparing its outputs.

#include "common/SharedState.h"
#include "instrument/CardLibrary.h"

namespace corvin::instrument {

struct Registration {
    int16_t BoardHandle = -1;
    int16_t BoardModel = 0;
    int16_t group = 0; // digital group of the start-up set-up: 8 on model 30, else 0
    bool found() const { return BoardHandle != -1; }
};

// Tries board indexes 0..7 and keeps the first whose set-up calls all succeed; every index that
// fails is freed again.
Registration RegisterBoard(CardLibrary& card);

// Start-up after registration: the 24 digital outputs of the registration's group cleared, then
// the analogue set-up with the gain call (whatever the model).
void StartupCardSetup(CardLibrary& card, const Registration& registration);

} // namespace corvin::instrument

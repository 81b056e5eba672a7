#include "instrument/CardRegistration.h"

#include "instrument/Sampling.h"

namespace corvin::instrument {

namespace {

constexpr int16_t kBoardIndexCount = 8;
constexpr int16_t kModel30Group = 8;
constexpr int16_t kPortCount = 4;

// The set-up steps after a successful registerBoardEx, stopping at the first that fails.
bool SetUpDigitalSide(CardLibrary& card, Registration& r) {
    r.BoardModel = card.GetBoardModel(r.BoardHandle);
    r.group = r.BoardModel == kModel30 ? kModel30Group : 0;
    if (card.DIOisAvailable(r.BoardHandle, r.group) == 0)
        return false;
    if (card.DIOsetChanWidth(r.BoardHandle, r.group, 1) != 0)
        return false;
    for (int16_t port = 0; port < kPortCount; ++port) {
        if (card.DIOsetMode(r.BoardHandle, r.group, port, 0) != 0)
            return false;
    }
    return true;
}

} // namespace

Registration RegisterBoard(CardLibrary& card) {
    Registration r;
    for (int16_t index = 0; index < kBoardIndexCount; ++index) {
        r.BoardHandle = card.registerBoardEx(index);
        if (r.BoardHandle >= 0 && SetUpDigitalSide(card, r))
            return r;
        // The driver is told to forget whatever it handed out, even a failed (negative) handle.
        card.FreeBoard(r.BoardHandle);
        r.BoardHandle = -1;
    }
    return r;
}

void StartupCardSetup(CardLibrary& card, const Registration& registration) {
    const int16_t h = registration.BoardHandle;
    ClearDigitalOutputs(card, h, registration.group);
    card.AIOsetADCconvSource(h, 0, 1);
    card.AIOsetHWADCchanDiff(h, 0, 0);
    card.AIOsetHWADCchanGain(h, 0, -1, kGainCode);
    card.AIOsetAllADCchanMode(h, 0, 0);
}

} // namespace corvin::instrument

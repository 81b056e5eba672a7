#include "instrument/NoCard.h"

#include "instrument/CardResult.h"

namespace corvin::instrument {

using namespace CardResult;

int16_t NoCard::registerBoardEx(int16_t) {
    return kCardNotFound;
}
int16_t NoCard::GetBoardModel(int16_t) {
    return kNotRegistered;
}
int16_t NoCard::FreeBoard(int16_t) {
    return kNotRegistered;
}

int16_t NoCard::DIOisAvailable(int16_t, int16_t) {
    return 0;
}
int16_t NoCard::DIOsetChanWidth(int16_t, int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::DIOsetMode(int16_t, int16_t, int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::DIOsetData(int16_t, int16_t, int16_t, int16_t) {
    return kNotRegistered;
}

int16_t NoCard::AIOsetADCconvSource(int16_t, int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::AIOsetHWADCchanDiff(int16_t, int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::AIOsetHWADCchanGain(int16_t, int16_t, int16_t, int32_t) {
    return kNotRegistered;
}
int16_t NoCard::AIOsetAllADCchanMode(int16_t, int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::AIOsetADCmultiplexer(int16_t, int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::AIOstartADCconversion(int16_t, int16_t) {
    return kNotRegistered;
}
int16_t NoCard::AIOgetADCdata(int16_t, int16_t, int32_t&) {
    return kNotRegistered;
}

} // namespace corvin::instrument

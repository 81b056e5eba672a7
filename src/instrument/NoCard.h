#pragma once
// The card library as it behaves with no card fitted: registration finds nothing and every other
// call fails. The program runs on it and shows zero readings.

#include "instrument/CardLibrary.h"

namespace corvin::instrument {

class NoCard : public CardLibrary {
public:
    int16_t registerBoardEx(int16_t boardIndex) override;
    int16_t GetBoardModel(int16_t h) override;
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
    int16_t AIOstartADCconversion(int16_t h, int16_t adc) override;
    int16_t AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) override;
};

} // namespace corvin::instrument

#pragma once
// The acquisition card's driver library: the operations the program calls, with the driver's
// names and argument meanings. All arguments are 16-bit; `h` is the board handle and the group
// is 0 unless a caller says otherwise. Callers check results only while registering the card.

#include <QString>
#include <cstdint>

namespace corvin::instrument {

class CardLibrary {
public:
    virtual ~CardLibrary() = default;

    virtual int16_t registerBoardEx(int16_t boardIndex) = 0; // handle, negative = failure
    virtual int16_t GetBoardModel(int16_t h) = 0;
    virtual int16_t FreeBoard(int16_t h) = 0;

    virtual int16_t DIOisAvailable(int16_t h, int16_t group) = 0; // 0 = not available
    virtual int16_t DIOsetChanWidth(int16_t h, int16_t group, int16_t width) = 0;
    virtual int16_t DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) = 0;
    virtual int16_t DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) = 0;

    virtual int16_t AIOsetADCconvSource(int16_t h, int16_t adc, int16_t source) = 0;
    virtual int16_t AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t differential) = 0;
    virtual int16_t AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t channel, int32_t gain) = 0;
    virtual int16_t AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t mode) = 0;
    virtual int16_t AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) = 0;
    virtual int16_t AIOstartADCconversion(int16_t h, int16_t adc) = 0;
    // Writes the converted count into `count`; leaves it alone when the call fails.
    virtual int16_t AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) = 0;
};

// The driver's result codes as the program words them; nothing shows them today.
QString CardErrorText(int16_t code);
inline const QString kCardErrorCaption = QStringLiteral("DIO_TC DLL Error");

// The two pauses between card calls. Pause(10) is the short one, Pause(20) the long one.
class Pauser {
public:
    virtual ~Pauser() = default;
    virtual void Pause(int n) = 0;
};

} // namespace corvin::instrument

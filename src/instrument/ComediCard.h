#pragma once
// A real acquisition card of the PCI230 family (PCI230, PCI230+, PCI260, PCI260+) through the
// Linux Comedi driver amplc_pci230, behind the card library's operations.
//
// Board index i is /dev/comedi<i>; when a device is given, it is board index 0 and no other index
// has a board. Handles are handed out as the driver did, the lowest free one first, so the card
// found first is handle 0 whatever its index. An analogue conversion reads the selected input with
// a ground reference on the ±5 V range and gives the count on the program's scale (5 V = 32752);
// the digital outputs are the 24 lines of the board's 8255 block. Why a device cannot be used is
// written to `report`, one line each, for the user who started the program from a terminal.

#include "instrument/CardLibrary.h"
#include "instrument/ComediApi.h"

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace corvin::instrument {

class ComediCard : public CardLibrary {
public:
    static constexpr int kInputCount = 16;
    static constexpr int kDigitalLineCount = 24;

    ComediCard(ComediApi& comedi, std::string device, std::ostream& report);
    ~ComediCard() override; // closes whatever is still open
    ComediCard(const ComediCard&) = delete;
    ComediCard& operator=(const ComediCard&) = delete;

    int16_t registerBoardEx(int16_t boardIndex) override;
    int16_t GetBoardModel(int16_t h) override;
    int16_t FreeBoard(int16_t h) override; // closes the device

    int16_t DIOisAvailable(int16_t h, int16_t group) override;
    int16_t DIOsetChanWidth(int16_t h, int16_t group, int16_t width) override;
    // Makes the eight lines of port 0, 1 or 2 outputs; port 3, the 8255's control port, has none.
    int16_t DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) override;
    int16_t DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) override;

    // The converter's set-up is fixed here (software start, single-ended, ±5 V), so these only
    // check the handle.
    int16_t AIOsetADCconvSource(int16_t h, int16_t adc, int16_t source) override;
    int16_t AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t differential) override;
    int16_t AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t channel, int32_t gain) override;
    int16_t AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t mode) override;
    // Keeps the input and selects it in the hardware at once, so that it settles during the pause
    // before the conversion.
    int16_t AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) override;
    // Reads the selected input now; AIOgetADCdata gives this count until the next conversion.
    int16_t AIOstartADCconversion(int16_t h, int16_t adc) override;
    int16_t AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) override;

    // 230 for the board names the amplc_pci230 driver gives, nothing for any other board.
    static std::optional<int16_t> ModelForBoardName(std::string_view name);
    // A raw sample of a range as a count of the program's scale: the sample's volts × 32752 / 5,
    // rounded half to even and held at the 16-bit limits, as the converter of the legacy card was.
    static int32_t CountForSample(uint32_t sample, ComediApi::Volts range, uint32_t maxData);

private:
    struct Input {
        unsigned rangeIndex = 0;
        ComediApi::Volts volts{0.0, 0.0};
        uint32_t maxData = 0;
    };
    struct Board {
        ComediDevice* device = nullptr;
        std::string path;
        std::string name;
        unsigned analogue = 0;
        unsigned digital = 0;
        std::array<Input, kInputCount> inputs{};
        int16_t selected = 0;
        std::optional<int32_t> converted;
    };

    Board* boardOf(int16_t h);
    std::string pathOf(int16_t boardIndex) const;
    // Looks up the subdevices and ranges a registration needs; false (with the reason reported)
    // when the board lacks one.
    bool describe(Board& board);
    // The first subdevice of `type` with at least `needed` channels, or -1 with the reason reported.
    int subdevice(const Board& board, int type, int needed, const std::string& what);
    void report(const std::string& path, const std::string& reason);

    ComediApi& m_comedi;
    std::string m_device;
    std::ostream& m_report;
    std::array<std::optional<Board>, 8> m_boards; // by handle
};

} // namespace corvin::instrument

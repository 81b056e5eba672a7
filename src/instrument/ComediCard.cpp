#include "instrument/ComediCard.h"

#include "common/Rounding.h"
#include "instrument/CardResult.h"
#include "instrument/Sampling.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace corvin::instrument {

using namespace CardResult;

namespace {

constexpr int16_t kPortCount = 4;
constexpr int16_t kControlPort = 3;
constexpr int kLinesPerPort = 8;

// The names amplc_pci230 gives its boards, and the one it answers to when told to find any of them.
constexpr std::array<std::string_view, 5> kPci230Family{"pci230", "pci230+", "pci260", "pci260+",
                                                        "amplc_pci230"};

std::string OpenFailureText(int error) {
    switch (error) {
    case ENOENT:
        return "no such device — is the Comedi driver loaded? (sudo modprobe amplc_pci230)";
    case EACCES:
    case EPERM:
        return "permission denied — add yourself to the iocard group";
    case ENODEV:
    case ENXIO:
        return "no board attached — an ISA board is attached with comedi_config first";
    case ENOTTY:
        return "not a Comedi device";
    default:
        return std::strerror(error);
    }
}

} // namespace

ComediCard::ComediCard(ComediApi& comedi, std::string device, std::ostream& report)
    : m_comedi(comedi), m_device(std::move(device)), m_report(report) {}

ComediCard::~ComediCard() {
    for (auto& board : m_boards) {
        if (board)
            m_comedi.close(board->device);
    }
}

std::optional<int16_t> ComediCard::ModelForBoardName(std::string_view name) {
    if (std::find(kPci230Family.begin(), kPci230Family.end(), name) != kPci230Family.end())
        return kModel230;
    return std::nullopt;
}

int32_t ComediCard::CountForSample(uint32_t sample, ComediApi::Volts range, uint32_t maxData) {
    if (maxData == 0)
        return 0;
    // Multiplying before dividing keeps the ends exact: sample 0 is range.min, maxData range.max.
    const double volts = range.min + static_cast<double>(sample) * (range.max - range.min) / maxData;
    const double count = RoundHalfEven(volts * kFullScaleCount / kFullScaleVolts);
    if (!std::isfinite(count))
        return 0;
    return static_cast<int32_t>(std::clamp(count, static_cast<double>(std::numeric_limits<int16_t>::min()),
                                           static_cast<double>(std::numeric_limits<int16_t>::max())));
}

// ---- registration -----------------------------------------------------------------------------

std::string ComediCard::pathOf(int16_t boardIndex) const {
    if (!m_device.empty())
        return boardIndex == 0 ? m_device : std::string();
    if (boardIndex < 0 || boardIndex >= static_cast<int16_t>(m_boards.size()))
        return {};
    return "/dev/comedi" + std::to_string(boardIndex);
}

int16_t ComediCard::registerBoardEx(int16_t boardIndex) {
    const std::string path = pathOf(boardIndex);
    if (path.empty())
        return kCardNotFound;
    for (const auto& board : m_boards) {
        if (board && board->path == path)
            return kAlreadyRegistered;
    }
    const auto slot = std::find_if(m_boards.begin(), m_boards.end(), [](const auto& b) { return !b; });
    if (slot == m_boards.end())
        return kInsufficientMemory;

    int error = 0;
    ComediDevice* device = m_comedi.open(path, error);
    if (device == nullptr) {
        // While looking through /dev/comedi0..7, only the first missing one is worth a word.
        const bool scanning = m_device.empty() && boardIndex > 0;
        if (!(scanning && error == ENOENT))
            report(path, OpenFailureText(error));
        return kCardNotFound;
    }
    Board board;
    board.device = device;
    board.path = path;
    board.name = m_comedi.boardName(device);
    if (!ModelForBoardName(board.name)) {
        report(path,
               "board \"" + board.name + "\" is not of the PCI230 family (PCI230, PCI230+, PCI260, PCI260+)");
        m_comedi.close(device);
        return kCardNotFound;
    }
    if (!describe(board)) {
        m_comedi.close(device);
        return kCardNotFound;
    }
    *slot = std::move(board);
    return static_cast<int16_t>(slot - m_boards.begin());
}

int ComediCard::subdevice(const Board& board, int type, int needed, const std::string& what) {
    const int found = m_comedi.findSubdeviceByType(board.device, type, 0);
    const int count =
        found < 0 ? 0 : std::max(m_comedi.channelCount(board.device, static_cast<unsigned>(found)), 0);
    if (count >= needed)
        return found;
    report(board.path, "board " + board.name + " has " + (count > 0 ? std::to_string(count) : "no") + " " +
                           what + ", " + std::to_string(needed) + " are needed");
    return -1;
}

bool ComediCard::describe(Board& board) {
    ComediDevice* device = board.device;
    const int analogue = subdevice(board, ComediApi::kAnalogueInput, kInputCount, "analogue inputs");
    const int digital = subdevice(board, ComediApi::kDigitalInOut, kDigitalLineCount, "digital lines");
    if (analogue < 0 || digital < 0)
        return false;
    board.analogue = static_cast<unsigned>(analogue);
    board.digital = static_cast<unsigned>(digital);
    for (unsigned c = 0; c < kInputCount; ++c) {
        Input& input = board.inputs[c];
        const int index = m_comedi.findRange(device, board.analogue, c, ComediApi::kUnitVolt,
                                             -kFullScaleVolts, kFullScaleVolts);
        const auto volts = index < 0
                               ? std::nullopt
                               : m_comedi.range(device, board.analogue, c, static_cast<unsigned>(index));
        input.maxData = m_comedi.maxData(device, board.analogue, c);
        if (!volts || !(volts->min < volts->max) || !std::isfinite(volts->max - volts->min) ||
            input.maxData == 0) {
            report(board.path, "analogue input " + std::to_string(c) + " has no ±5 V range");
            return false;
        }
        input.rangeIndex = static_cast<unsigned>(index);
        input.volts = *volts;
    }
    return true;
}

void ComediCard::report(const std::string& path, const std::string& reason) {
    m_report << "corvin: " << path << ": " << reason << '\n';
    m_report.flush();
}

ComediCard::Board* ComediCard::boardOf(int16_t h) {
    if (h < 0 || h >= static_cast<int16_t>(m_boards.size()) || !m_boards[static_cast<std::size_t>(h)])
        return nullptr;
    return &*m_boards[static_cast<std::size_t>(h)];
}

int16_t ComediCard::GetBoardModel(int16_t h) {
    const Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    return ModelForBoardName(board->name).value_or(kNotSupported);
}

int16_t ComediCard::FreeBoard(int16_t h) {
    Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    m_comedi.close(board->device);
    m_boards[static_cast<std::size_t>(h)].reset();
    return kOk;
}

// ---- digital outputs --------------------------------------------------------------------------

int16_t ComediCard::DIOisAvailable(int16_t h, int16_t group) {
    return (boardOf(h) && group == 0) ? 1 : 0;
}

int16_t ComediCard::DIOsetChanWidth(int16_t h, int16_t group, int16_t width) {
    if (!boardOf(h))
        return kNotRegistered;
    if (group != 0)
        return kNotSupported;
    return width == 1 ? kOk : kInvalidData;
}

int16_t ComediCard::DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) {
    Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    if (group != 0)
        return kNotSupported;
    if (port < 0 || port >= kPortCount)
        return kInvalidChannel;
    if (mode != 0)
        return kInvalidData;
    if (port == kControlPort)
        return kOk;
    for (int line = port * kLinesPerPort; line < (port + 1) * kLinesPerPort; ++line) {
        if (m_comedi.dioConfig(board->device, board->digital, static_cast<unsigned>(line),
                               ComediApi::kLineIsOutput) < 0) {
            report(board->path, "digital line " + std::to_string(line) + " cannot be made an output");
            return kNotSupported;
        }
    }
    return kOk;
}

int16_t ComediCard::DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) {
    Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    if (group != 0)
        return kNotSupported;
    if (bit < 0 || bit >= kDigitalLineCount)
        return kInvalidChannel;
    if (value != 0 && value != 1)
        return kInvalidData;
    const int result = m_comedi.dioWrite(board->device, board->digital, static_cast<unsigned>(bit),
                                         static_cast<unsigned>(value));
    return result < 0 ? kNotSupported : kOk;
}

// ---- analogue inputs --------------------------------------------------------------------------

int16_t ComediCard::AIOsetADCconvSource(int16_t h, int16_t adc, int16_t) {
    return !boardOf(h) ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t ComediCard::AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t) {
    return !boardOf(h) ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t ComediCard::AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t, int32_t) {
    return !boardOf(h) ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t ComediCard::AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t) {
    return !boardOf(h) ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t ComediCard::AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) {
    Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    if (adc != 0 || channel < 0 || channel >= kInputCount)
        return kInvalidChannel;
    board->selected = channel;
    const Input& input = board->inputs[static_cast<std::size_t>(channel)];
    // A failed hint only costs the settling time; the conversion selects the input again anyway.
    m_comedi.dataReadHint(board->device, board->analogue, static_cast<unsigned>(channel), input.rangeIndex,
                          ComediApi::kGroundRef);
    return kOk;
}

int16_t ComediCard::AIOstartADCconversion(int16_t h, int16_t adc) {
    Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    if (adc != 0)
        return kInvalidChannel;
    const Input& input = board->inputs[static_cast<std::size_t>(board->selected)];
    uint32_t sample = 0;
    if (m_comedi.dataRead(board->device, board->analogue, static_cast<unsigned>(board->selected),
                          input.rangeIndex, ComediApi::kGroundRef, sample) < 0) {
        board->converted.reset();
        return kNotSupported;
    }
    board->converted = CountForSample(sample, input.volts, input.maxData);
    return kOk;
}

int16_t ComediCard::AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) {
    const Board* board = boardOf(h);
    if (!board)
        return kNotRegistered;
    if (adc != 0)
        return kInvalidChannel;
    if (!board->converted)
        return kInvalidData; // no conversion, or it failed: the caller's count stays as it was
    count = *board->converted;
    return kOk;
}

} // namespace corvin::instrument

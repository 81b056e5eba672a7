#include "instrument/LibComedi.h"

#include <comedilib.h>

#include <cerrno>

namespace corvin::instrument {

static_assert(ComediApi::kAnalogueInput == COMEDI_SUBD_AI);
static_assert(ComediApi::kDigitalInOut == COMEDI_SUBD_DIO);
static_assert(ComediApi::kUnitVolt == UNIT_volt);
static_assert(ComediApi::kGroundRef == AREF_GROUND);
static_assert(ComediApi::kLineIsOutput == COMEDI_OUTPUT);
static_assert(sizeof(lsampl_t) == sizeof(uint32_t));

namespace {

// libcomedi numbers its own errors from here on; below are the system's errno values.
constexpr int kFirstLibraryError = 0x1000;

comedi_t* Native(ComediDevice* device) {
    return reinterpret_cast<comedi_t*>(device);
}

} // namespace

ComediDevice* LibComedi::open(const std::string& path, int& error) {
    errno = 0;
    comedi_t* device = comedi_open(path.c_str());
    if (device == nullptr) {
        // The library keeps the system's reason; errno may have been touched while it cleaned up.
        error = comedi_errno();
        if (error <= 0 || error >= kFirstLibraryError)
            error = errno;
    }
    return reinterpret_cast<ComediDevice*>(device);
}

int LibComedi::close(ComediDevice* device) {
    return comedi_close(Native(device));
}

std::string LibComedi::boardName(ComediDevice* device) {
    const char* name = comedi_get_board_name(Native(device));
    return name != nullptr ? std::string(name) : std::string();
}

int LibComedi::findSubdeviceByType(ComediDevice* device, int type, unsigned startSubdevice) {
    return comedi_find_subdevice_by_type(Native(device), type, startSubdevice);
}

int LibComedi::channelCount(ComediDevice* device, unsigned subdevice) {
    return comedi_get_n_channels(Native(device), subdevice);
}

int LibComedi::findRange(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned unit,
                         double min, double max) {
    return comedi_find_range(Native(device), subdevice, channel, unit, min, max);
}

std::optional<ComediApi::Volts> LibComedi::range(ComediDevice* device, unsigned subdevice, unsigned channel,
                                                 unsigned rangeIndex) {
    const comedi_range* r = comedi_get_range(Native(device), subdevice, channel, rangeIndex);
    if (r == nullptr)
        return std::nullopt;
    return Volts{r->min, r->max};
}

uint32_t LibComedi::maxData(ComediDevice* device, unsigned subdevice, unsigned channel) {
    return comedi_get_maxdata(Native(device), subdevice, channel);
}

int LibComedi::dataReadHint(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                            unsigned reference) {
    return comedi_data_read_hint(Native(device), subdevice, channel, rangeIndex, reference);
}

int LibComedi::dataRead(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                        unsigned reference, uint32_t& sample) {
    lsampl_t raw = 0;
    const int result = comedi_data_read(Native(device), subdevice, channel, rangeIndex, reference, &raw);
    if (result >= 0)
        sample = raw;
    return result;
}

int LibComedi::dioConfig(ComediDevice* device, unsigned subdevice, unsigned line, unsigned direction) {
    return comedi_dio_config(Native(device), subdevice, line, direction);
}

int LibComedi::dioWrite(ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) {
    return comedi_dio_write(Native(device), subdevice, line, bit);
}

} // namespace corvin::instrument

#pragma once
// The test data file (.DAT): 24-byte records of a 20-byte Windows-1252 text and a little-endian
// single-precision value. Rows first (channel 1 first within a row), then the interval, the row
// count and the seven channel names. One reader serves every caller.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "common/Status.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace corvin::datafiles {

constexpr int kRecordLength = 24;
constexpr int kTextLength = 20;

// The bytes of a file holding `rows` rows of `data`, the interval and the names (cut or padded to 20).
QByteArray EncodeTestData(const PeriodicDataSet& data, int16_t rows, int16_t intervalSeconds,
                          const std::array<QString, kChannelCount>& channelNames);

// Writes the file atomically. On success `data.SampleCount` and `HeaderValues[1]` are the row count.
Status WriteTestDataFile(const QString& path, PeriodicDataSet& data, int16_t intervalSeconds,
                         const std::array<QString, kChannelCount>& channelNames,
                         const AtomicFileFactory& files = AtomicFileFactory());

// The row count a reader takes from a file of `length` bytes: round(round(L / 24) - 9) / 7),
// halves to even; nothing when it would not be a usable 16-bit count (negative, or too large).
std::optional<int16_t> RowsForLength(qint64 length);

// Reads `path` into `data` (SampleCapacity, SampleCount, PeriodicData, HeaderValues,
// ChannelNames). On failure `data` is left as it was and the message describes the error.
Status ReadTestDataFile(const QString& path, PeriodicDataSet& data);

} // namespace corvin::datafiles

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
// The records after the rows: interval, row count and the seven names.
constexpr int kTrailerRecords = 9;
// The shortest file a reader takes: the trailer of a test with no rows.
constexpr qint64 kMinimumFileLength = qint64(kRecordLength) * kTrailerRecords;

// The bytes of a file holding `rows` rows of `data`, the interval and the names (cut or padded
// to 20). A value the arrays do not hold is written as 0.
QByteArray EncodeTestData(const PeriodicDataSet& data, int16_t rows, int16_t intervalSeconds,
                          const std::array<QString, kChannelCount>& channelNames);

// Whether `data` holds the `rows` rows a save writes.
Status CheckRowsToWrite(const PeriodicDataSet& data, int16_t rows);

// Writes the file of `data.SampleCapacity` rows atomically; a file already at `path` is replaced
// only when the whole new file is on disc. On success `data.SampleCount` and `HeaderValues[1]`
// are the row count. Fails, writing nothing, when the arrays hold fewer rows than that.
Status WriteTestDataFile(const QString& path, PeriodicDataSet& data, int16_t intervalSeconds,
                         const std::array<QString, kChannelCount>& channelNames,
                         const AtomicFileFactory& files = AtomicFileFactory());

// The row count a reader takes from a file of `length` bytes: round(round(L / 24) - 9) / 7),
// halves to even; nothing when the file is too short to hold the trailer (under 216 bytes) or
// the count would not fit the 16-bit SampleCapacity.
std::optional<int16_t> RowsForLength(qint64 length);

// Reads a file from its bytes, as ReadTestDataFile does (for tests and in-memory callers).
Status DecodeTestData(const QByteArray& bytes, PeriodicDataSet& data);

// Reads `path` into `data` (SampleCapacity, SampleCount, PeriodicData, HeaderValues,
// ChannelNames). The row count comes from the file's length; records the length promises but the
// file lacks (a length just short of a whole record) read as zero bytes. On failure `data` is
// left as it was and the message describes the error, to follow the caller's own words.
Status ReadTestDataFile(const QString& path, PeriodicDataSet& data);

} // namespace corvin::datafiles

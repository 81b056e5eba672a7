#pragma once
// The recovery journal of a logged test: a header written when the logging starts, then one
// fixed-size frame per logging tick. All numbers little-endian.
//
// Header (200 bytes; 184 in version 1, which ends with its CRC at 180):
//   0   8  "CRVNJRNL"
//   8   2  format version (2; version 1 is read too)
//   10  2  header length (200)
//   12  8  start of the test, milliseconds since 1970-01-01 UTC
//   20  2  reading interval in seconds (5..30)
//   22  2  rows planned
//   24  16 probe name, Windows-1252, padded with spaces
//   40  140 the seven channel names, 20 bytes each, exactly as a test data file stores them
//   180 1  range: 0 not recorded, 1 HIGH, 2 LOW
//   181 1  screen scale 1..4 (0 not recorded)
//   182 1  the channels that were on, bit k - 1 for channel k; bit 7 set when recorded
//   183 1  0 a Standard test, 1 an Auto test, 0xFF not recorded
//   184 1  card: 0 not recorded, 1 none, 2 simulated, 3 Comedi
//   185 11 zeros
//   196 4  CRC-32 of bytes 0..195
// Frame (36 bytes):
//   0   4  row number, from 0
//   4   28 the seven readings of the row, single precision, channel 1 first
//   32  4  CRC-32 of bytes 0..31
//
// A reader keeps every complete frame up to the first one that is short, fails its CRC, is out
// of sequence or goes past the rows planned: whatever follows that is the torn tail of a write a
// crash interrupted.

#include "common/SharedState.h"
#include "common/Status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvin::datafiles {

constexpr int kJournalHeaderLength = 200;
constexpr int kJournalHeaderLengthV1 = 184;
constexpr int kJournalFrameLength = 36;
constexpr uint16_t kJournalVersion = 2;
constexpr int kJournalProbeNameLength = 16;
constexpr int kJournalChannelNameLength = 20;
// The most bytes a journal can usefully hold: the header and 32767 frames.
constexpr qint64 kMaxJournalLength = kJournalHeaderLength + qint64(kJournalFrameLength) * 32767;

struct JournalHeader {
    QDateTime startTime;
    int16_t intervalSeconds = 0;
    int16_t plannedRows = 0;
    QString probeName;
    // As the test data file stores them: given any length, kept as 20-character fields.
    std::array<QString, kChannelCount> channelNames;
    // What the test's record needs; a version 1 journal holds none of it.
    QString range;           // "HIGH", "LOW", or empty
    int16_t screenScale = 0; // 1..4, 0 not recorded
    std::optional<std::array<bool, kChannelCount>> channelsOn;
    std::optional<bool> autoTest;
    QString card; // "none", "sim", "comedi", or empty
};

using JournalRow = std::array<float, kChannelCount>;

QByteArray EncodeJournalHeader(const JournalHeader& header);
QByteArray EncodeJournalFrame(uint32_t row, const JournalRow& readings);

// What a journal holds.
struct RecoveredTest {
    JournalHeader header;
    std::vector<JournalRow> rows;
    // Bytes after the last complete frame (a torn or damaged tail); 0 for a clean journal.
    qint64 ignoredBytes = 0;
};

// True for the bytes of a journal whose header never reached the disc: nothing, zeros, or a
// beginning of the header cut short (a crash or a full disc while a test started). Such a journal
// holds no reading; anything else too short for a header is a damaged file.
bool IsEmptyJournal(QByteArrayView bytes);

// Reads a journal from its bytes. Fails, with the reason, only when the header cannot be read;
// the frames never fail (see above).
Status DecodeJournal(QByteArrayView bytes, RecoveredTest& test);

} // namespace corvin::datafiles

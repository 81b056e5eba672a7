#pragma once
// The record of a test, NAME.DAT.json beside the test data file NAME.DAT: what the readings alone
// do not say (when, who, where, which probe and range, which channels were on, the card, the
// user's note, the limits and verdicts) and the SHA-256 of the data file's bytes, so a later
// change to the data file shows. The data file itself stays exactly as the program always wrote
// it. UTF-8 JSON:
//   {"format": "corvin-test-record", "version": 1, "start": "2026-12-08T14:03:11+01:00", ...}
// A reader distrusts the record: one that is not JSON, of another format or a newer version, or
// with fields of the wrong type is refused whole, with one message, and never stops the data
// file from opening.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "common/Status.h"
#include "datafiles/Verdict.h"
#include "datafiles/WorkbookProperties.h"
#include "probes/ProbeLimits.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace corvin::datafiles {

inline constexpr char kRecordFormat[] = "corvin-test-record";
inline constexpr int kRecordVersion = 1;

struct RecordedVerdicts {
    std::array<Verdict, kChannelCount> channels{}; // channel k at [k - 1]
    Verdict test = Verdict::NotJudged;
};

struct TestRecord {
    QDateTime start; // invalid: not recorded
    QDateTime end;
    QString operatorName;
    QString station;
    QString programVersion;
    QString probeName;
    std::array<QString, kChannelCount> channelNames;
    QString range;                 // "HIGH", "LOW", or empty
    double fullScaleMicroAmps = 0; // 1, 10, 100 or 1000; 0 when not recorded
    std::optional<std::array<bool, kChannelCount>> channelsOn;
    int intervalSeconds = 0;
    int rows = 0;
    QString card; // "none", "sim", "comedi", or empty
    QString cardDevice;
    QString cardBoard;
    std::optional<bool> autoTest;
    QString note;
    QString datSha256; // lower-case hex
    std::optional<probes::ProbeLimits> limits;
    std::optional<RecordedVerdicts> verdicts;
};

// Who and where: the login name of the user, the host name, this program's version.
void FillStation(TestRecord& record);

// The record file of a test data file.
QString RecordPathFor(const QString& datPath);
QString Sha256Hex(const QByteArray& bytes);

QByteArray EncodeTestRecord(const TestRecord& record);
Status DecodeTestRecord(const QByteArray& bytes, TestRecord& record);
// Writes a test data file of `data` as WriteTestDataFile does, and its record with the hash of
// those bytes, as one save: when either cannot be written (a full disc) neither file changes.
Status WriteTestDataWithRecord(const QString& datPath, PeriodicDataSet& data, int16_t intervalSeconds,
                               const std::array<QString, kChannelCount>& channelNames, TestRecord record,
                               const AtomicFileFactory& files = AtomicFileFactory());

// What was found beside a test data file.
enum class RecordState {
    None,     // no record
    Matches,  // a record whose hash is the data file's
    Changed,  // a record, but the data file was changed after it was written
    Unusable, // a record that could not be read; `message` says why
};
struct RecordReading {
    RecordState state = RecordState::None;
    TestRecord record;
    QString message;
};
RecordReading ReadRecordBeside(const QString& datPath);
// The same for a data file whose bytes the caller has read already (nothing: it could not be).
RecordReading ReadRecordBeside(const QString& datPath, const std::optional<QByteArray>& datBytes);
// The largest test data file there can be: 32767 rows and the trailer.
inline constexpr qint64 kLargestDataFile = qint64(24) * (32767 * 7 + 9);

inline const QString kRecordChangedText =
    QStringLiteral("the data file was changed after its record was written");

// The record's fields, one "name: value" line each, in a fixed order; "not recorded" for those
// the record lacks. The lines `corvin-data info` prints and the record dialog shows.
QStringList RecordLines(const TestRecord& record);

// The record as a workbook's document properties, for a spreadsheet exported from a live test:
// title, subject (start), author (operator), keywords (verdict) and comments (note), and every
// field of RecordLines as a custom property (full scale, interval and rows as numbers).
WorkbookProperties RecordProperties(const TestRecord& record);

} // namespace corvin::datafiles

#include "FuzzTargets.h"

#include "common/Cp1252.h"
#include "common/TextTrim.h"
#include "datafiles/JournalFormat.h"
#include "datafiles/RecoveryFiles.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/TestDataChecks.h"
#include "datafiles/TestDataFile.h"
#include "datafiles/TestRecord.h"
#include "datafiles/Verdict.h"
#include "history/ServerAddress.h"
#include "instrument/SimulatorProfile.h"
#include "probes/NewProbeCheck.h"
#include "probes/ProbeFile.h"
#include "probes/ProbeLimits.h"
#include "settings/BarColourFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <array>
#include <bit>
#include <cstdlib>
#include <limits>

namespace corvin::fuzz {
namespace {

QByteArray Bytes(const uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A promise the code makes was broken: stop here, loudly.
void Require(bool promise) {
    if (!promise)
        std::abort();
}

bool SameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

constexpr std::array<FuzzTarget, 10> kTargets{{
    {"test_data_file", FuzzTestDataFile},
    {"probe_file", FuzzProbeFile},
    {"bar_colour_file", FuzzBarColourFile},
    {"simulator_profile", FuzzSimulatorProfile},
    {"recovery_journal", FuzzRecoveryJournal},
    {"probe_names", FuzzProbeNames},
    {"workbook_names", FuzzWorkbookNames},
    {"test_record", FuzzTestRecord},
    {"probe_limits", FuzzProbeLimits},
    {"history_address", FuzzHistoryAddress},
}};

} // namespace

std::span<const FuzzTarget> AllTargets() {
    return kTargets;
}

void FuzzTestDataFile(const uint8_t* data, std::size_t size) {
    const QByteArray bytes = Bytes(data, size);
    PeriodicDataSet read;
    if (!datafiles::DecodeTestData(bytes, read))
        return;
    datafiles::TestDataWarnings(read, bytes.size());
    // What was read writes back to a file that reads the same.
    const QByteArray again =
        datafiles::EncodeTestData(read, read.SampleCapacity, read.HeaderValues[0], read.ChannelNames);
    PeriodicDataSet reread;
    Require(bool(datafiles::DecodeTestData(again, reread)));
    Require(reread.SampleCapacity == read.SampleCapacity && reread.ChannelNames == read.ChannelNames);
    for (int k = 0; k < kChannelCount; ++k) {
        for (int r = 0; r < read.SampleCapacity; ++r)
            Require(SameBits(reread.PeriodicData[k][r], read.PeriodicData[k][r]));
    }
}

void FuzzProbeFile(const uint8_t* data, std::size_t size) {
    const probes::ProbeRecord record = probes::DecodeProbeRecord(Bytes(data, size));
    const cProbe probe = probes::ToProbe(record);
    const QByteArray written = probes::EncodeProbeRecord(probe);
    Require(written.size() == probes::kProbeRecordLength);
    // A probe read and written again reads back as the same probe.
    Require(probes::ToProbe(probes::DecodeProbeRecord(written)) == probe);
}

void FuzzBarColourFile(const uint8_t* data, std::size_t size) {
    const QByteArray bytes = Bytes(data, size);
    const QByteArray written = settings::BarColourFile::encode(settings::BarColourFile::decode(bytes));
    // The seven records come back as they were; missing bytes as zeros, extra bytes dropped.
    QByteArray expected = bytes.left(settings::BarColourFile::kFileSize);
    expected.append(QByteArray(settings::BarColourFile::kFileSize - expected.size(), '\0'));
    Require(written == expected);
}

void FuzzSimulatorProfile(const uint8_t* data, std::size_t size) {
    instrument::SimulatorProfile profile;
    if (!instrument::SimulatorProfile::parse(QString::fromUtf8(Bytes(data, size)), QStringLiteral("fuzz"),
                                             profile))
        return;
    for (int k = 1; k <= kChannelCount; ++k) {
        const instrument::ChannelCurrent& c = profile.channel(k);
        Require(c.periodSeconds > 0.0 && c.swingMicroAmps >= 0.0 && c.noiseMicroAmps >= 0.0);
        profile.currentAt(k, 12.5);
    }
}

void FuzzRecoveryJournal(const uint8_t* data, std::size_t size) {
    datafiles::RecoveredTest test;
    if (!datafiles::DecodeJournal(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), test))
        return;
    Require(test.rows.size() <= std::size_t(test.header.plannedRows));
    // What is recovered saves to a test data file that reads back the same rows.
    const PeriodicDataSet recovered = datafiles::ToPeriodicData(test);
    const QByteArray file = datafiles::EncodeTestData(recovered, recovered.SampleCapacity,
                                                      test.header.intervalSeconds, test.header.channelNames);
    PeriodicDataSet read;
    Require(bool(datafiles::DecodeTestData(file, read)));
    Require(std::size_t(read.SampleCapacity) == test.rows.size());
    for (std::size_t r = 0; r < test.rows.size(); ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            Require(SameBits(read.PeriodicData[k][r], test.rows[r][k]));
    }
    // And the header written again reads back as it was.
    datafiles::RecoveredTest again;
    Require(bool(datafiles::DecodeJournal(datafiles::EncodeJournalHeader(test.header), again)));
    Require(again.header.probeName == test.header.probeName &&
            again.header.channelNames == test.header.channelNames &&
            again.header.startTime == test.header.startTime);
}

void FuzzProbeNames(const uint8_t* data, std::size_t size) {
    // The name, then the channel texts, separated by zero bytes; UTF-8 as typed.
    const QList<QByteArray> parts = Bytes(data, size).split('\0');
    const QString name = QString::fromUtf8(parts.value(0));
    std::array<QString, kChannelCount> channels;
    for (int k = 0; k < kChannelCount; ++k)
        channels[k] = QString::fromUtf8(parts.value(k + 1));
    probes::DecodeFileName(parts.value(0));

    const probes::NewProbeCheck check(name, channels);
    check.message();
    if (!check.ready() || probes::UnsafeProbeNameReason(check.name()))
        return;
    // A name and texts that pass every check are stored without loss (texts cut at 16).
    const cProbe stored =
        probes::ToProbe(probes::DecodeProbeRecord(probes::EncodeProbeRecord(check.probe())));
    Require(stored.Probe_Name() == check.name());
    for (int k = 1; k <= kChannelCount; ++k)
        Require(stored.Ch(k) == TrimPadding(check.probe().Ch(k).left(probes::kProbeFieldLength)));
}

void FuzzWorkbookNames(const uint8_t* data, std::size_t size) {
    // A file name, then the seven channel names, separated by zero bytes: the names as a test data
    // file stores them (Windows-1252), the file name as typed (UTF-8).
    const QList<QByteArray> parts = Bytes(data, size).split('\0');
    QString path = QString::fromUtf8(parts.value(0));
    const QString typed = path;
    // A name keeps what was typed; one without an extension gets ".xls".
    if (datafiles::FormatForName(path) == datafiles::WorkbookFormat::Xls)
        Require(path == typed || path.startsWith(typed));

    PeriodicDataSet test;
    test.resize(2);
    test.HeaderValues[0] = 5;
    for (int k = 0; k < kChannelCount; ++k)
        test.ChannelNames[k] = FromCp1252(parts.value(k + 1).left(20));
    test.PeriodicData[0][1] = 0.1f;
    datafiles::SheetCells sheet;
    Require(bool(datafiles::FillPeriodicSheet(test, QDateTime(QDate(2026, 12, 8), QTime(9, 30)),
                                              datafiles::ExportCaller::ConvertMenu, sheet)));
    for (const auto format : {datafiles::WorkbookFormat::Xls, datafiles::WorkbookFormat::Xlsx}) {
        QByteArray workbook;
        // Whatever the names hold, a workbook comes out.
        Require(bool(datafiles::EncodeWorkbook(sheet, format, workbook)) && !workbook.isEmpty());
    }
}

void FuzzTestRecord(const uint8_t* data, std::size_t size) {
    datafiles::TestRecord record;
    if (!datafiles::DecodeTestRecord(Bytes(data, size), record))
        return;
    datafiles::RecordLines(record);
    datafiles::RecordProperties(record);
    // What was read writes back to a record that reads the same.
    datafiles::TestRecord again;
    Require(bool(datafiles::DecodeTestRecord(datafiles::EncodeTestRecord(record), again)));
    Require(again.probeName == record.probeName && again.note == record.note && again.rows == record.rows &&
            again.limits == record.limits && again.channelsOn == record.channelsOn &&
            again.start == record.start && again.datSha256 == record.datSha256);
}

void FuzzProbeLimits(const uint8_t* data, std::size_t size) {
    probes::ProbeLimits limits{};
    if (!probes::DecodeProbeLimits(Bytes(data, size), limits))
        return;
    for (int k = 1; k <= kChannelCount; ++k)
        Require(bool(probes::CheckChannelLimits(k, limits[std::size_t(k - 1)])));
    probes::ProbeLimits again{};
    Require(bool(probes::DecodeProbeLimits(probes::EncodeProbeLimits(limits), again)) && again == limits);
    // A verdict over them, whatever they are.
    PeriodicDataSet readings;
    readings.resize(3);
    readings.SampleCount = 3;
    for (int k = 0; k < kChannelCount; ++k)
        readings.PeriodicData[k] = {-1.0f, 0.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f};
    std::array<bool, kChannelCount> on;
    on.fill(true);
    datafiles::JudgeTest(readings, 5, on, limits);
}

void FuzzHistoryAddress(const uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(Bytes(data, size));
    history::ServerAddress address;
    if (!history::ParseServerAddress(text, address))
        return;
    Require(history::IsServerAddress(text) && !address.database.isEmpty());
    address.shown(); // the text messages show, built from the parts (never the password)
}

} // namespace corvin::fuzz

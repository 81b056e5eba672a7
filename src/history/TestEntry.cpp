#include "history/TestEntry.h"

#include "common/PlainFile.h"
#include "datafiles/TestDataFile.h"
#include "datafiles/TestRecord.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace corvin::history {

QString StatisticName(Statistic s) {
    switch (s) {
    case Statistic::Mean:
        return QStringLiteral("mean");
    case Statistic::Min:
        return QStringLiteral("min");
    case Statistic::Max:
        return QStringLiteral("max");
    case Statistic::End:
        return QStringLiteral("end");
    }
    return {};
}

double ValueOf(const ChannelNumbers& numbers, Statistic s) {
    switch (s) {
    case Statistic::Mean:
        return numbers.mean;
    case Statistic::Min:
        return numbers.min;
    case Statistic::Max:
        return numbers.max;
    case Statistic::End:
        return numbers.end;
    }
    return 0;
}

namespace {

// The numbers of one channel's rows, skipping what is no number; nothing when none is left.
std::optional<ChannelNumbers> NumbersOf(const std::vector<float>& readings, int rows) {
    ChannelNumbers n;
    double sum = 0;
    int count = 0;
    for (int r = 0; r < rows; ++r) {
        const double v = readings[r];
        if (!std::isfinite(v))
            continue;
        n.min = count == 0 ? v : std::min(n.min, v);
        n.max = count == 0 ? v : std::max(n.max, v);
        n.end = v;
        sum += v;
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    n.mean = sum / count;
    return n;
}

QString RecordStateName(datafiles::RecordState state) {
    switch (state) {
    case datafiles::RecordState::None:
        return QStringLiteral("none");
    case datafiles::RecordState::Matches:
        return QStringLiteral("matches");
    case datafiles::RecordState::Changed:
        return QStringLiteral("changed");
    case datafiles::RecordState::Unusable:
        return QStringLiteral("unusable");
    }
    return {};
}

void TakeRecord(const datafiles::TestRecord& r, TestEntry& entry) {
    entry.probe = r.probeName;
    entry.start = r.start.isValid() ? r.start.toString(Qt::ISODate) : QString();
    entry.end = r.end.isValid() ? r.end.toString(Qt::ISODate) : QString();
    if (r.start.isValid())
        entry.startMs = r.start.toMSecsSinceEpoch();
    entry.operatorName = r.operatorName;
    entry.recordStation = r.station;
    entry.range = r.range;
    entry.fullScale = r.fullScaleMicroAmps;
    entry.note = r.note;
    if (r.verdicts) {
        for (int k = 0; k < kChannelCount; ++k) {
            const datafiles::Verdict v = r.verdicts->channels[k];
            entry.channelVerdicts[k] =
                v == datafiles::Verdict::NotJudged ? QString() : datafiles::VerdictName(v);
        }
        entry.verdict = datafiles::VerdictName(r.verdicts->test);
    }
}

} // namespace

TestEntry CatalogueFile(const QString& path, const QString& station) {
    TestEntry entry;
    entry.station = station;
    entry.path = path;
    entry.verdict = datafiles::VerdictName(datafiles::Verdict::NotJudged);
    entry.recordState = RecordStateName(datafiles::RecordState::None);

    const QFileInfo info(path);
    entry.size = info.size();
    entry.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    if (const QFileInfo record(datafiles::RecordPathFor(path)); record.exists()) {
        entry.recordSize = record.size();
        entry.recordModifiedMs = record.lastModified().toMSecsSinceEpoch();
    }

    QByteArray bytes;
    Status s = ReadPlainFile(QFile::encodeName(path), datafiles::kLargestDataFile + 1, bytes);
    if (s && bytes.size() > datafiles::kLargestDataFile)
        s = Status::failure(QStringLiteral("it is far too long for a test data file"));
    PeriodicDataSet data;
    if (s)
        s = datafiles::DecodeTestData(bytes, data);
    if (!s) {
        entry.readable = false;
        entry.problem = s.message();
        entry.verdict = kUnreadableVerdict;
        entry.startMs = entry.modifiedMs;
        if (!bytes.isEmpty())
            entry.sha256 = datafiles::Sha256Hex(bytes);
        return entry;
    }
    entry.sha256 = datafiles::Sha256Hex(bytes);
    entry.rows = data.SampleCount;
    entry.intervalSeconds = data.HeaderValues[0];
    entry.channelNames = data.ChannelNames;
    for (int k = 0; k < kChannelCount; ++k)
        entry.numbers[k] = NumbersOf(data.PeriodicData[k], data.SampleCount);
    // Without a record the test ended when the file was written.
    entry.startMs = entry.modifiedMs - qint64(entry.rows) * std::max(entry.intervalSeconds, 0) * 1000;

    const datafiles::RecordReading reading = datafiles::ReadRecordBeside(path, bytes);
    entry.recordState = RecordStateName(reading.state);
    if (reading.state == datafiles::RecordState::Unusable) {
        entry.problem = reading.message;
        return entry;
    }
    if (reading.state == datafiles::RecordState::Changed)
        entry.problem = reading.message;
    if (reading.state != datafiles::RecordState::None) {
        TakeRecord(reading.record, entry);
        // A channel the record says was off has no numbers in the trend.
        if (reading.record.channelsOn) {
            for (int k = 0; k < kChannelCount; ++k) {
                if (!(*reading.record.channelsOn)[k])
                    entry.numbers[k].reset();
            }
        }
    }
    return entry;
}

} // namespace corvin::history

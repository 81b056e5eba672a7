#include "datafiles/RecoveryFiles.h"
#include "datafiles/TestRecord.h"

#include "common/AppendFile.h"
#include "common/AtomicFile.h"
#include "common/PlainFile.h"
#include "datafiles/RecoveryJournal.h"
#include "datafiles/TestDataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvin::datafiles {

QStringList ListJournals(const QString& folder) {
    const QString pattern = QStringLiteral("*") + QString::fromLatin1(RecoveryJournal::kExtension);
    QStringList paths;
    // Names carry the start time, so sorting by name puts the oldest test first.
    for (const QFileInfo& info :
         QDir(folder).entryInfoList({pattern}, QDir::Files | QDir::Hidden, QDir::Name)) {
        if (!info.isSymLink())
            paths << info.absoluteFilePath();
    }
    return paths;
}

Status ReadJournalFile(const QString& path, RecoveredTest& test) {
    // A pipe named like a journal must not hang start-up; whatever lies past the most frames a
    // journal can hold is not read.
    QByteArray bytes;
    if (Status s = ReadPlainFile(QFile::encodeName(path), kMaxJournalLength, bytes); !s)
        return s;
    return DecodeJournal(bytes, test);
}

bool JournalIsEmpty(const QString& path) {
    QByteArray bytes;
    return ReadPlainFile(QFile::encodeName(path), kJournalHeaderLength, bytes) && IsEmptyJournal(bytes);
}

bool JournalInUse(const QString& path) {
    return IsLockedForAppend(path);
}

Status SetJournalAside(const QString& path, QString& aside) {
    const QString base = path + QStringLiteral(".unreadable");
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    QFile file(path);
    if (!file.rename(name))
        return Status::failure(file.errorString());
    static_cast<void>(SyncFolder(QFileInfo(path).absolutePath())); // undone at worst by a power cut
    aside = name;
    return Status::success();
}

PeriodicDataSet ToPeriodicData(const RecoveredTest& test) {
    PeriodicDataSet data;
    const auto rows = static_cast<int16_t>(test.rows.size());
    data.resize(rows);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[k][r] = test.rows[r][k];
    }
    data.SampleCount = rows;
    data.ReadingIntervalSeconds = test.header.intervalSeconds;
    data.HeaderValues = {test.header.intervalSeconds, rows};
    data.ChannelNames = test.header.channelNames;
    return data;
}

TestRecord RecordOfJournal(const RecoveredTest& test) {
    const JournalHeader& h = test.header;
    TestRecord record;
    FillStation(record);
    record.start = h.startTime.toLocalTime();
    // The last row was read one interval after the one before it, the first one interval in.
    if (!test.rows.empty())
        record.end = record.start.addSecs(qint64(h.intervalSeconds) * qint64(test.rows.size()));
    record.probeName = h.probeName;
    record.channelNames = h.channelNames;
    record.range = h.range;
    record.fullScaleMicroAmps = FullScaleOf(h.screenScale);
    record.channelsOn = h.channelsOn;
    record.intervalSeconds = h.intervalSeconds;
    record.rows = int(test.rows.size());
    record.card = h.card;
    record.autoTest = h.autoTest;
    record.note = QStringLiteral("recovered from the test's journal");
    return record;
}

Status SaveRecoveredTest(const RecoveredTest& test, const QString& path, const AtomicFileFactory& files) {
    PeriodicDataSet data = ToPeriodicData(test);
    return WriteTestDataWithRecord(path, data, test.header.intervalSeconds, test.header.channelNames,
                                   RecordOfJournal(test), files);
}

Status RemoveJournal(const QString& path) {
    QFile file(path);
    if (!file.remove())
        return Status::failure(file.errorString());
    static_cast<void>(SyncFolder(QFileInfo(path).absolutePath())); // undone at worst by a power cut
    return Status::success();
}

} // namespace corvin::datafiles

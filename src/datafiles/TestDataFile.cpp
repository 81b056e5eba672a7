#include "datafiles/TestDataFile.h"

#include "common/Cp1252.h"
#include "common/LittleEndian.h"
#include "common/Rounding.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <bit>
#include <cstring>
#include <limits>

namespace corvin::datafiles {
namespace {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);

const QByteArray kBlankText(kTextLength, ' ');

void AppendRecord(QByteArray& bytes, const QByteArray& text, float value) {
    bytes.append(text);
    AppendLittleEndian(bytes, std::bit_cast<quint32>(value));
}

// The records of the file for `rows` rows, checked against 16 bits by the caller.
qint64 LengthForRows(int rows) {
    return qint64(kRecordLength) * (qint64(kChannelCount) * rows + kTrailerRecords);
}

float ValueAt(const char* record) {
    quint32 le;
    std::memcpy(&le, record + kTextLength, sizeof le);
    return std::bit_cast<float>(qFromLittleEndian(le));
}

QString TooShort(qint64 length) {
    return QStringLiteral("The file is %1 bytes long; a test data file holds at least %2 bytes")
        .arg(length)
        .arg(kMinimumFileLength);
}

QString TooLong(qint64 length) {
    return QStringLiteral("The file is %1 bytes long, more than a test data file of %2 rows can be")
        .arg(length)
        .arg(std::numeric_limits<int16_t>::max());
}

// Reads the records of a file of `length` bytes whose first bytes are `bytes` (all of them, or at
// least as many as the row count needs; any the file lacks count as zero bytes).
Status Decode(QByteArray bytes, qint64 length, PeriodicDataSet& data) {
    const std::optional<int16_t> rows = RowsForLength(length);
    if (!rows)
        return Status::failure(length < kMinimumFileLength ? TooShort(length) : TooLong(length));
    const qint64 needed = LengthForRows(*rows);
    if (bytes.size() < needed)
        bytes.append(QByteArray(needed - bytes.size(), '\0'));

    PeriodicDataSet read;
    read.resize(*rows);
    const char* record = bytes.constData();
    for (int r = 0; r < *rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k, record += kRecordLength)
            read.PeriodicData[k][r] = ValueAt(record);
    }
    read.SampleCount = *rows;

    const std::optional<int16_t> interval = ToInt16(ValueAt(record));
    if (!interval)
        return Status::failure(
            QStringLiteral("The reading interval stored in the file (%1) is not a 16-bit number")
                .arg(double(ValueAt(record))));
    record += kRecordLength;
    const std::optional<int16_t> storedRows = ToInt16(ValueAt(record));
    if (!storedRows)
        return Status::failure(QStringLiteral("The row count stored in the file (%1) is not a 16-bit number")
                                   .arg(double(ValueAt(record))));
    record += kRecordLength;
    read.HeaderValues = {*interval, *storedRows};
    for (int k = 0; k < kChannelCount; ++k, record += kRecordLength)
        read.ChannelNames[k] = FromCp1252(QByteArray(record, kTextLength));

    data.SampleCapacity = read.SampleCapacity;
    data.SampleCount = read.SampleCount;
    data.PeriodicData = std::move(read.PeriodicData);
    data.HeaderValues = read.HeaderValues;
    data.ChannelNames = std::move(read.ChannelNames);
    return Status::success();
}

} // namespace

QByteArray EncodeTestData(const PeriodicDataSet& data, int16_t rows, int16_t intervalSeconds,
                          const std::array<QString, kChannelCount>& channelNames) {
    const int rowCount = rows < 0 ? 0 : rows;
    QByteArray bytes;
    bytes.reserve(LengthForRows(rowCount));
    for (int r = 0; r < rowCount; ++r) {
        for (const std::vector<float>& channel : data.PeriodicData) {
            const auto index = static_cast<std::size_t>(r);
            AppendRecord(bytes, kBlankText, index < channel.size() ? channel[index] : 0.0f);
        }
    }
    AppendRecord(bytes, kBlankText, float(intervalSeconds));
    AppendRecord(bytes, kBlankText, float(rowCount));
    for (const QString& name : channelNames)
        AppendRecord(bytes, ToFixedField(name, kTextLength), 0.0f);
    return bytes;
}

Status CheckRowsToWrite(const PeriodicDataSet& data, int16_t rows) {
    if (rows < 0)
        return Status::failure(QStringLiteral("The number of rows to write (%1) is negative").arg(rows));
    for (const std::vector<float>& channel : data.PeriodicData) {
        if (channel.size() < static_cast<std::size_t>(rows))
            return Status::failure(
                QStringLiteral("The logged data hold fewer than the %1 rows to write").arg(rows));
    }
    return Status::success();
}

Status WriteTestDataFile(const QString& path, PeriodicDataSet& data, int16_t intervalSeconds,
                         const std::array<QString, kChannelCount>& channelNames,
                         const AtomicFileFactory& files) {
    const int16_t rows = data.SampleCapacity;
    if (Status s = CheckRowsToWrite(data, rows); !s)
        return s;
    if (Status s =
            WriteFileAtomically(path, EncodeTestData(data, rows, intervalSeconds, channelNames), files);
        !s)
        return s;
    data.SampleCount = rows;
    data.HeaderValues[1] = rows;
    return Status::success();
}

std::optional<int16_t> RowsForLength(qint64 length) {
    if (length < kMinimumFileLength)
        return std::nullopt;
    const double records = RoundHalfEven(double(length) / kRecordLength);
    const std::optional<int16_t> rows = ToInt16((records - kTrailerRecords) / kChannelCount);
    if (!rows || *rows < 0)
        return std::nullopt;
    return rows;
}

Status DecodeTestData(const QByteArray& bytes, PeriodicDataSet& data) {
    return Decode(bytes, bytes.size(), data);
}

Status ReadTestDataFile(const QString& path, PeriodicDataSet& data) {
    const QFileInfo info(path);
    // Only plain files: a pipe would block the reader and a device has no length to go by.
    if (info.exists() && !info.isFile())
        return Status::failure(QStringLiteral("Not a plain file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(file.errorString());
    const qint64 length = file.size();
    const std::optional<int16_t> rows = RowsForLength(length);
    if (!rows)
        return Status::failure(length < kMinimumFileLength ? TooShort(length) : TooLong(length));
    // The length is now known to be sane, so reading what the rows need is bounded.
    QByteArray bytes(std::min(length, LengthForRows(*rows)), Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return Status::failure(file.errorString());
        if (n == 0)
            break; // the file shrank while being read: the rest reads as zero bytes
        got += n;
    }
    bytes.truncate(got);
    return Decode(std::move(bytes), length, data);
}

} // namespace corvin::datafiles

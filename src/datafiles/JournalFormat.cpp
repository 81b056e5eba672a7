#include "datafiles/JournalFormat.h"

#include "common/Cp1252.h"
#include "common/Crc32.h"
#include "common/LittleEndian.h"
#include "common/TextTrim.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>

namespace corvin::datafiles {
namespace {

constexpr char kMagic[] = "CRVNJRNL";
constexpr int kMagicLength = 8;
const char* const kCards[] = {"", "none", "sim", "comedi"};
constexpr int kFrameCrcAt = kJournalFrameLength - 4;

template <typename T> T Get(const char* at) {
    T le;
    std::memcpy(&le, at, sizeof le);
    return qFromLittleEndian(le);
}

void PutCrc(QByteArray& bytes) {
    AppendLittleEndian<uint32_t>(bytes, Crc32(bytes));
}

} // namespace

QByteArray EncodeJournalHeader(const JournalHeader& header) {
    QByteArray bytes(kMagic, kMagicLength);
    bytes.reserve(kJournalHeaderLength);
    AppendLittleEndian<uint16_t>(bytes, kJournalVersion);
    AppendLittleEndian<uint16_t>(bytes, kJournalHeaderLength);
    AppendLittleEndian<int64_t>(bytes, header.startTime.toMSecsSinceEpoch());
    AppendLittleEndian<int16_t>(bytes, header.intervalSeconds);
    AppendLittleEndian<int16_t>(bytes, header.plannedRows);
    bytes.append(ToFixedField(header.probeName, kJournalProbeNameLength));
    for (const QString& name : header.channelNames)
        bytes.append(ToFixedField(name, kJournalChannelNameLength));
    bytes.append(char(header.range == QLatin1String("HIGH") ? 1 : header.range == QLatin1String("LOW") ? 2 : 0));
    bytes.append(char(header.screenScale >= 1 && header.screenScale <= 4 ? header.screenScale : 0));
    uint8_t on = 0;
    if (header.channelsOn) {
        on = 0x80;
        for (int k = 0; k < kChannelCount; ++k)
            on |= (*header.channelsOn)[k] ? uint8_t(1u << k) : 0;
    }
    bytes.append(char(on));
    bytes.append(char(header.autoTest ? (*header.autoTest ? 1 : 0) : 0xFF));
    int card = 0;
    for (int c = 1; c < 4; ++c)
        if (header.card == QLatin1String(kCards[c]))
            card = c;
    bytes.append(char(card));
    bytes.append(QByteArray(kJournalHeaderLength - 4 - bytes.size(), '\0'));
    PutCrc(bytes);
    return bytes;
}

QByteArray EncodeJournalFrame(uint32_t row, const JournalRow& readings) {
    QByteArray bytes;
    bytes.reserve(kJournalFrameLength);
    AppendLittleEndian<uint32_t>(bytes, row);
    for (float value : readings)
        AppendLittleEndian<uint32_t>(bytes, std::bit_cast<uint32_t>(value));
    PutCrc(bytes);
    return bytes;
}

bool IsEmptyJournal(QByteArrayView bytes) {
    if (bytes.size() >= kJournalHeaderLength)
        return false;
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; }))
        return true;
    const auto magic = std::min<qsizetype>(bytes.size(), kMagicLength);
    return std::memcmp(bytes.data(), kMagic, std::size_t(magic)) == 0;
}

Status DecodeJournal(QByteArrayView bytes, RecoveredTest& test) {
    if (bytes.size() < kJournalHeaderLength)
        return Status::failure(
            QStringLiteral("it is %1 bytes long, too short to hold a journal header").arg(bytes.size()));
    const char* h = bytes.data();
    if (std::memcmp(h, kMagic, kMagicLength) != 0)
        return Status::failure(QStringLiteral("it is not a Corvin recovery journal"));
    const auto version = Get<uint16_t>(h + 8);
    if (version != 1 && version != kJournalVersion)
        return Status::failure(
            QStringLiteral("it has journal version %1, which this version of Corvin does not read")
                .arg(version));
    const int headerLength = version == 1 ? kJournalHeaderLengthV1 : kJournalHeaderLength;
    const int crcAt = headerLength - 4;
    if (Get<uint16_t>(h + 10) != headerLength || Get<uint32_t>(h + crcAt) != Crc32(QByteArrayView(h, crcAt)))
        return Status::failure(QStringLiteral("its header is damaged"));

    RecoveredTest read;
    read.header.startTime = QDateTime::fromMSecsSinceEpoch(Get<int64_t>(h + 12), Qt::UTC);
    read.header.intervalSeconds = Get<int16_t>(h + 20);
    read.header.plannedRows = Get<int16_t>(h + 22);
    if (!read.header.startTime.isValid() || read.header.intervalSeconds < 5 ||
        read.header.intervalSeconds > 30 || read.header.plannedRows < 0)
        return Status::failure(QStringLiteral("its header is damaged"));
    read.header.probeName = TrimPaddingEnd(FromCp1252(QByteArray(h + 24, kJournalProbeNameLength)));
    for (int k = 0; k < kChannelCount; ++k)
        read.header.channelNames[k] =
            FromCp1252(QByteArray(h + 40 + k * kJournalChannelNameLength, kJournalChannelNameLength));

    if (version >= 2) {
        const auto byte = [h](int at) { return uint8_t(h[at]); };
        read.header.range = byte(180) == 1 ? QStringLiteral("HIGH") : byte(180) == 2 ? QStringLiteral("LOW") : QString();
        read.header.screenScale = byte(181) <= 4 ? byte(181) : 0;
        if (byte(182) & 0x80) {
            std::array<bool, kChannelCount> on{};
            for (int k = 0; k < kChannelCount; ++k)
                on[k] = (byte(182) >> k) & 1;
            read.header.channelsOn = on;
        }
        if (byte(183) <= 1)
            read.header.autoTest = byte(183) == 1;
        read.header.card = byte(184) < 4 ? QString::fromLatin1(kCards[byte(184)]) : QString();
    }
    qint64 at = headerLength;
    while (at + kJournalFrameLength <= bytes.size() &&
           read.rows.size() < static_cast<std::size_t>(read.header.plannedRows)) {
        const char* f = bytes.data() + at;
        if (Get<uint32_t>(f + kFrameCrcAt) != Crc32(QByteArrayView(f, kFrameCrcAt)) ||
            Get<uint32_t>(f) != read.rows.size())
            break;
        JournalRow row;
        for (int k = 0; k < kChannelCount; ++k)
            row[k] = std::bit_cast<float>(Get<uint32_t>(f + 4 + 4 * k));
        read.rows.push_back(row);
        at += kJournalFrameLength;
    }
    read.ignoredBytes = bytes.size() - at;
    test = std::move(read);
    return Status::success();
}

} // namespace corvin::datafiles

#include "datafiles/CompoundFile.h"

#include <QtEndian>

#include <cstring>

namespace corvin::datafiles {
namespace {

constexpr quint32 kFreeSect = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSect = 0xFFFFFFFD;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kEntriesPerFatSector = CompoundFile::kSectorSize / 4;
constexpr int kHeaderFatSlots = 109;
constexpr int kDirectoryEntrySize = 128;

void Put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void Put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

enum class EntryType : char { Unused = 0, Stream = 2, Root = 5 };

// One 128-byte directory entry.
QByteArray DirectoryEntry(const QString& name, EntryType type, quint32 child, quint32 start, quint32 size) {
    QByteArray e(kDirectoryEntrySize, '\0');
    Put32(e, 68, kNoStream); // left sibling
    Put32(e, 72, kNoStream); // right sibling
    Put32(e, 76, kNoStream); // child
    if (type == EntryType::Unused)
        return e;
    const QString n = name.left(31);
    for (qsizetype i = 0; i < n.size(); ++i)
        Put16(e, i * 2, n.at(i).unicode());
    Put16(e, 64, quint16((n.size() + 1) * 2)); // bytes, with the terminating zero
    e[66] = char(type);
    e[67] = 1; // black: a tree of one node per level needs no balancing
    Put32(e, 76, child);
    Put32(e, 116, start);
    Put32(e, 120, size);
    return e;
}

} // namespace

std::optional<QByteArray> CompoundFile::WithStream(const QString& name, QByteArray stream) {
    if (stream.size() > kMaxStreamBytes)
        return std::nullopt;
    if (stream.size() < kMiniStreamCutoff)
        stream.append(QByteArray(kMiniStreamCutoff - stream.size(), '\0'));
    const qint64 streamSectors = (stream.size() + kSectorSize - 1) / kSectorSize;

    // The table sectors come first, then the directory sector, then the stream; the table must
    // also cover its own sectors.
    qint64 fatSectors = 1;
    while (fatSectors * kEntriesPerFatSector < fatSectors + 1 + streamSectors)
        ++fatSectors;
    if (fatSectors > kHeaderFatSlots)
        return std::nullopt;
    const quint32 directorySector = quint32(fatSectors);
    const quint32 firstStreamSector = directorySector + 1;
    const qint64 totalSectors = fatSectors + 1 + streamSectors;

    QByteArray out(kSectorSize * (1 + totalSectors), '\0');

    // Header.
    static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(out.data(), kSignature, sizeof kSignature);
    Put16(out, 24, 0x003E); // minor version
    Put16(out, 26, 0x0003); // major version 3: 512-byte sectors
    Put16(out, 28, 0xFFFE); // little-endian
    Put16(out, 30, 9);      // sector size 2^9
    Put16(out, 32, 6);      // mini sector size 2^6
    Put32(out, 44, quint32(fatSectors));
    Put32(out, 48, directorySector);
    Put32(out, 56, kMiniStreamCutoff);
    Put32(out, 60, kEndOfChain); // no mini table
    Put32(out, 68, kEndOfChain); // no extension of the table list
    for (int i = 0; i < kHeaderFatSlots; ++i)
        Put32(out, 76 + 4 * i, i < fatSectors ? quint32(i) : kFreeSect);

    // The sector allocation table.
    const qsizetype fatStart = kSectorSize;
    for (qint64 s = 0; s < fatSectors * kEntriesPerFatSector; ++s) {
        quint32 next = kFreeSect;
        if (s < fatSectors)
            next = kFatSect;
        else if (s == directorySector)
            next = kEndOfChain;
        else if (s >= firstStreamSector && s < totalSectors)
            next = s + 1 == totalSectors ? kEndOfChain : quint32(s + 1);
        Put32(out, fatStart + 4 * s, next);
    }

    // The directory: the root, the stream and two unused entries.
    QByteArray directory = DirectoryEntry(QStringLiteral("Root Entry"), EntryType::Root, 1, kEndOfChain, 0);
    directory +=
        DirectoryEntry(name, EntryType::Stream, kNoStream, firstStreamSector, quint32(stream.size()));
    directory += DirectoryEntry({}, EntryType::Unused, 0, 0, 0);
    directory += DirectoryEntry({}, EntryType::Unused, 0, 0, 0);
    std::memcpy(out.data() + kSectorSize * (1 + directorySector), directory.constData(), directory.size());

    std::memcpy(out.data() + kSectorSize * (1 + firstStreamSector), stream.constData(), stream.size());
    return out;
}

} // namespace corvin::datafiles

#include "datafiles/CompoundFile.h"

#include <QtEndian>

#include <algorithm>
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
QByteArray DirectoryEntry(const QString& name, EntryType type, quint32 child, quint32 start, quint32 size,
                          bool red) {
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
    e[67] = red ? 0 : 1;
    Put32(e, 76, child);
    Put32(e, 116, start);
    Put32(e, 120, size);
    return e;
}

// Directory entries are kept in a red-black tree ordered by name length, then by the names in
// upper case.
bool NameBefore(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    return a.toUpper() < b.toUpper();
}

struct Node {
    quint32 left = kNoStream;
    quint32 right = kNoStream;
    bool red = false;
};

// A balanced tree of the sorted entries first..last (directory ids `ids`): the middle one is the
// root of the range. Nodes below the last complete level are red, the others black, so every path
// holds as many black nodes.
quint32 Balance(const std::vector<quint32>& ids, int first, int last, int depth, int fullDepth,
                std::vector<Node>& nodes) {
    if (first > last)
        return kNoStream;
    const int middle = (first + last) / 2;
    const quint32 id = ids[std::size_t(middle)];
    Node& n = nodes[id];
    n.red = depth >= fullDepth;
    const quint32 left = Balance(ids, first, middle - 1, depth + 1, fullDepth, nodes);
    const quint32 right = Balance(ids, middle + 1, last, depth + 1, fullDepth, nodes);
    nodes[id].left = left;
    nodes[id].right = right;
    return id;
}

} // namespace

std::optional<QByteArray> CompoundFile::withStream(const QString& name, QByteArray stream) {
    return withStreams({{name, std::move(stream)}});
}

std::optional<QByteArray> CompoundFile::withStreams(std::vector<Stream> streams) {
    qint64 total = 0;
    for (Stream& s : streams) {
        if (s.bytes.size() < kMiniStreamCutoff)
            s.bytes.append(QByteArray(kMiniStreamCutoff - s.bytes.size(), '\0'));
        total += (s.bytes.size() + kSectorSize - 1) / kSectorSize * kSectorSize;
    }
    if (total > kMaxStreamBytes)
        return std::nullopt;
    const qint64 streamSectors = total / kSectorSize;
    const qint64 entries = qint64(streams.size()) + 1;
    const qint64 directorySectors = (entries * kDirectoryEntrySize + kSectorSize - 1) / kSectorSize;

    // The table sectors come first, then the directory sectors, then the streams; the table must
    // also cover its own sectors.
    qint64 fatSectors = 1;
    while (fatSectors * kEntriesPerFatSector < fatSectors + directorySectors + streamSectors)
        ++fatSectors;
    if (fatSectors > kHeaderFatSlots)
        return std::nullopt;
    const quint32 directorySector = quint32(fatSectors);
    const qint64 totalSectors = fatSectors + directorySectors + streamSectors;

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

    // The sector allocation table: its own sectors, then one chain for the directory and one for
    // each stream.
    const qsizetype fatStart = kSectorSize;
    for (qint64 s = 0; s < fatSectors * kEntriesPerFatSector; ++s)
        Put32(out, fatStart + 4 * s, s < fatSectors ? kFatSect : kFreeSect);
    auto chain = [&](qint64 first, qint64 count) {
        for (qint64 s = first; s < first + count; ++s)
            Put32(out, fatStart + 4 * s, s + 1 == first + count ? kEndOfChain : quint32(s + 1));
    };
    chain(directorySector, directorySectors);

    // The directory: the root, then the streams; their tree hangs below the root.
    std::vector<quint32> sorted;
    for (std::size_t i = 0; i < streams.size(); ++i)
        sorted.push_back(quint32(i + 1));
    std::sort(sorted.begin(), sorted.end(),
              [&](quint32 a, quint32 b) { return NameBefore(streams[a - 1].name, streams[b - 1].name); });
    std::vector<Node> nodes(streams.size() + 1);
    int fullDepth = 0;
    while ((qint64(2) << fullDepth) - 1 <= qint64(streams.size()))
        ++fullDepth;
    const quint32 top = Balance(sorted, 0, int(sorted.size()) - 1, 0, fullDepth, nodes);

    QByteArray directory =
        DirectoryEntry(QStringLiteral("Root Entry"), EntryType::Root, top, kEndOfChain, 0, false);
    qint64 next = fatSectors + directorySectors;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const Stream& s = streams[i];
        const qint64 sectors = (s.bytes.size() + kSectorSize - 1) / kSectorSize;
        QByteArray e = DirectoryEntry(s.name, EntryType::Stream, kNoStream, quint32(next),
                                      quint32(s.bytes.size()), nodes[i + 1].red);
        Put32(e, 68, nodes[i + 1].left);
        Put32(e, 72, nodes[i + 1].right);
        directory += e;
        chain(next, sectors);
        std::memcpy(out.data() + kSectorSize * (1 + next), s.bytes.constData(), s.bytes.size());
        next += sectors;
    }
    while (directory.size() < directorySectors * kSectorSize)
        directory += DirectoryEntry({}, EntryType::Unused, 0, 0, 0, false);
    std::memcpy(out.data() + kSectorSize * (1 + directorySector), directory.constData(), directory.size());
    return out;
}

} // namespace corvin::datafiles

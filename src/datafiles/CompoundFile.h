#pragma once
// The compound document (structured storage, version 3, 512-byte sectors) that an .xls workbook
// lives in: a header, the sector allocation table, the directory with the root and its streams,
// then the streams one after the other. A stream under 4096 bytes would belong in the mini
// stream, so shorter streams are padded to that length with zero bytes (.xls readers stop at the
// workbook's end record, property-set readers at the sizes the set states).

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace corvin::datafiles {

class CompoundFile {
public:
    static constexpr int kSectorSize = 512;
    static constexpr int kMiniStreamCutoff = 4096;
    // The header lists at most 109 table sectors; larger documents would need extension sectors.
    static constexpr qint64 kMaxStreamBytes = (qint64(109) * (kSectorSize / 4) - 109 - 1) * kSectorSize;

    // The document holding one stream named `name` (at most 31 characters) at its root; nothing
    // when the stream is longer than kMaxStreamBytes allows.
    static std::optional<QByteArray> withStream(const QString& name, QByteArray stream);

    struct Stream {
        QString name; // at most 31 characters, each name once
        QByteArray bytes;
    };
    // The document holding `streams` at its root; nothing when they are longer together than
    // kMaxStreamBytes allows.
    static std::optional<QByteArray> withStreams(std::vector<Stream> streams);
};

} // namespace corvin::datafiles

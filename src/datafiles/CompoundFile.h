#pragma once
// The compound document (structured storage, version 3, 512-byte sectors) that an .xls workbook
// lives in: a header, the sector allocation table, one directory sector with the root and a single
// stream, then the stream. A stream under 4096 bytes would belong in the mini stream, so shorter
// streams are padded to that length with zero bytes (.xls readers stop at the workbook's end
// record).

#include <QByteArray>
#include <QString>
#include <optional>

namespace corvin::datafiles {

class CompoundFile {
public:
    static constexpr int kSectorSize = 512;
    static constexpr int kMiniStreamCutoff = 4096;
    // The header lists at most 109 table sectors; larger documents would need extension sectors.
    static constexpr qint64 kMaxStreamBytes = (qint64(109) * (kSectorSize / 4) - 109 - 1) * kSectorSize;

    // The document holding one stream named `name` (at most 31 characters) at its root; nothing
    // when the stream is longer than kMaxStreamBytes allows.
    static std::optional<QByteArray> WithStream(const QString& name, QByteArray stream);
};

} // namespace corvin::datafiles

#include "datafiles/XlsWorkbook.h"

#include "common/LittleEndian.h"

#include "datafiles/ColumnWidths.h"
#include "datafiles/CompoundFile.h"
#include "datafiles/PropertySets.h"

#include <QHash>
#include <QtEndian>

#include <bit>
#include <cmath>
#include <cstring>

namespace corvin::datafiles {
namespace {

// Record types.
enum Record : quint16 {
    kEof = 0x000A,
    kDateMode = 0x0022,
    kWindow1 = 0x003D,
    kCodePage = 0x0042,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kBoundSheet = 0x0085,
    kFont = 0x0031,
    kContinue = 0x003C,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kExtSst = 0x00FF,
    kDimensions = 0x0200,
    kNumber = 0x0203,
    kBoolErr = 0x0205,
    kWindow2 = 0x023E,
    kStyle = 0x0293,
    kFormat = 0x041E,
    kBof = 0x0809,
};

// The most data one record holds; more goes into CONTINUE records.
constexpr int kMaxRecordData = 8224;

// Cell formats: 15 is the default cell format, 16 the date-time one.
constexpr quint16 kXfGeneral = 15;
constexpr quint16 kXfDateTime = 16;
constexpr quint16 kDateTimeFormatIndex = 164; // the first index of a workbook's own formats
constexpr quint8 kErrorNum = 0x24;            // #NUM!

// Little-endian bytes of one record's data.
class Data {
public:
    Data& u8(quint8 v) {
        m_bytes.append(char(v));
        return *this;
    }
    Data& u16(quint16 v) {
        AppendLittleEndian(m_bytes, v);
        return *this;
    }
    Data& u32(quint32 v) {
        AppendLittleEndian(m_bytes, v);
        return *this;
    }
    Data& f64(double v) {
        AppendLittleEndian(m_bytes, std::bit_cast<quint64>(v));
        return *this;
    }
    Data& bytes(const QByteArray& b) {
        m_bytes.append(b);
        return *this;
    }
    const QByteArray& get() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

void Put(QByteArray& stream, quint16 type, const QByteArray& data) {
    char header[4];
    qToLittleEndian(type, header);
    qToLittleEndian(quint16(data.size()), header + 2);
    stream.append(header, 4);
    stream.append(data);
}

bool FitsOneByte(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

// The characters of a BIFF8 string after its length: the option byte, then one byte per
// character when every character is below U+0100, else UTF-16.
QByteArray StringBody(const QString& text) {
    QByteArray b;
    if (FitsOneByte(text)) {
        b.append(char(0x00));
        for (const QChar c : text)
            b.append(char(c.unicode()));
    } else {
        b.append(char(0x01));
        for (const QChar c : text) {
            char u[2];
            qToLittleEndian(quint16(c.unicode()), u);
            b.append(u, 2);
        }
    }
    return b;
}

// A string with an 8-bit length (sheet and font names) and with a 16-bit length.
QByteArray ShortString(const QString& text) {
    return QByteArray(1, char(quint8(text.size()))) + StringBody(text);
}
QByteArray LongString(const QString& text) {
    Data d;
    d.u16(quint16(text.size()));
    return d.get() + StringBody(text);
}

QByteArray Bof(quint16 substream) {
    // BIFF8, the build and year Excel 97 wrote, the lowest version that reads it.
    return Data().u16(0x0600).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x06).get();
}

QByteArray Xf(quint16 font, quint16 format, quint16 typeAndParent, quint8 usedAttributes) {
    // Bottom-aligned, no borders, no fill; the default pattern colours.
    return Data()
        .u16(font)
        .u16(format)
        .u16(typeAndParent)
        .u8(0x20)
        .u8(0)
        .u8(0)
        .u8(usedAttributes)
        .u32(0)
        .u32(0)
        .u16(0x20C0)
        .get();
}

// The shared string table: every distinct text once, in the order first used.
struct StringTable {
    QHash<QString, quint32> index;
    QStringList strings;
    quint32 uses = 0;

    quint32 add(const QString& text) {
        ++uses;
        auto it = index.constFind(text);
        if (it != index.constEnd())
            return *it;
        const quint32 i = quint32(strings.size());
        index.insert(text, i);
        strings << text;
        return i;
    }
};

// Appends the SST record (with CONTINUE records when it is long) and its EXTSST index. A string
// is never split across records; one longer than a record cannot be written.
bool PutStringTable(QByteArray& stream, const StringTable& table) {
    const quint16 perBucket = quint16(std::max<qsizetype>(8, (table.strings.size() + 127) / 128));
    struct Start {
        quint32 streamOffset;
        quint16 recordOffset;
    };
    std::vector<Start> bucketStarts;

    QByteArray record = Data().u32(table.uses).u32(quint32(table.strings.size())).get();
    quint16 type = kSst;
    auto flush = [&] {
        Put(stream, type, record);
        record.clear();
        type = kContinue;
    };
    for (qsizetype i = 0; i < table.strings.size(); ++i) {
        const QByteArray s = LongString(table.strings[i]);
        if (s.size() > kMaxRecordData)
            return false;
        if (record.size() + s.size() > kMaxRecordData)
            flush();
        if (i % perBucket == 0)
            bucketStarts.push_back({quint32(stream.size() + 4 + record.size()), quint16(4 + record.size())});
        record.append(s);
    }
    flush();

    Data ext;
    ext.u16(perBucket);
    for (const Start& s : bucketStarts)
        ext.u32(s.streamOffset).u16(s.recordOffset).u16(0);
    Put(stream, kExtSst, ext.get());
    return true;
}

// The records of one worksheet, from its BOF to its EOF.
QByteArray Worksheet(const SheetCells* sheet, StringTable& strings, bool selected) {
    QByteArray s;
    Put(s, kBof, Bof(0x0010));
    Put(s, kDefColWidth, Data().u16(8).get());

    if (sheet) {
        for (int c = 0; c < sheet->columnCount(); ++c) {
            const std::optional<QStringList>& fit = sheet->fittedTexts(c);
            if (!fit)
                continue;
            const int width =
                ColumnWidths::storedWidth256(ColumnWidths::widestPixels(*fit, DefaultFont::Arial10));
            // Options: the width was fitted to the contents.
            Put(s, kColInfo,
                Data()
                    .u16(quint16(c))
                    .u16(quint16(c))
                    .u16(quint16(width))
                    .u16(kXfGeneral)
                    .u16(0x0004)
                    .u16(0)
                    .get());
        }
    }

    const bool empty = !sheet || sheet->isEmpty();
    Put(s, kDimensions,
        Data()
            .u32(0)
            .u32(empty ? 0 : quint32(sheet->lastRow() + 1))
            .u16(0)
            .u16(empty ? 0 : quint16(sheet->lastColumn() + 1))
            .u16(0)
            .get());

    if (sheet) {
        // Most cells are numbers: their record is built in place rather than through Data.
        char number[18] = {char(kNumber & 0xFF), char(kNumber >> 8), 14, 0};
        sheet->forEachCell([&](int row, int col, const SheetCell& cell) {
            if (cell.kind == CellKind::Text) {
                Put(s, kLabelSst,
                    Data()
                        .u16(quint16(row))
                        .u16(quint16(col))
                        .u16(kXfGeneral)
                        .u32(strings.add(cell.text))
                        .get());
            } else if (!std::isfinite(cell.number)) {
                Put(s, kBoolErr,
                    Data().u16(quint16(row)).u16(quint16(col)).u16(kXfGeneral).u8(kErrorNum).u8(1).get());
            } else {
                qToLittleEndian(quint16(row), number + 4);
                qToLittleEndian(quint16(col), number + 6);
                qToLittleEndian(cell.kind == CellKind::DateTime ? kXfDateTime : kXfGeneral, number + 8);
                qToLittleEndian(std::bit_cast<quint64>(cell.number), number + 10);
                s.append(number, sizeof number);
            }
        });
    }

    // Grid lines, headers, zeros and outline symbols shown; the first sheet is the one selected
    // and displayed.
    const quint16 options = selected ? 0x06B6 : 0x00B6;
    Put(s, kWindow2, Data().u16(options).u16(0).u16(0).u16(0x0040).u16(0).u16(0).u16(0).u32(0).get());
    Put(s, kEof, {});
    return s;
}

} // namespace

Status XlsWorkbook::encode(const SheetCells& sheet, const QStringList& sheetNames, QByteArray& out,
                           const WorkbookProperties& properties) {
    if (sheetNames.isEmpty())
        return Status::failure(QStringLiteral("A workbook needs at least one sheet"));

    // The sheets first: writing them fills the string table that the global records hold.
    StringTable strings;
    std::vector<QByteArray> sheets;
    for (qsizetype i = 0; i < sheetNames.size(); ++i)
        sheets.push_back(Worksheet(i == 0 ? &sheet : nullptr, strings, i == 0));

    QByteArray globals;
    Put(globals, kBof, Bof(0x0005));
    Put(globals, kCodePage, Data().u16(1200).get()); // strings are Unicode
    Put(globals, kWindow1,
        Data().u16(360).u16(270).u16(14940).u16(9150).u16(0x0038).u16(0).u16(0).u16(1).u16(600).get());
    Put(globals, kDateMode, Data().u16(0).get()); // dates count from 1900
    // Four fonts, all Arial 10 (the file format skips index 4, so four is the least that works).
    const QByteArray font = Data()
                                .u16(200)    // 10 pt, in twentieths of a point
                                .u16(0)      // not italic, not struck out
                                .u16(0x7FFF) // the window text colour
                                .u16(400)    // normal weight
                                .u16(0)
                                .u8(0)
                                .u8(0)
                                .u8(0)
                                .u8(0)
                                .bytes(ShortString(QStringLiteral("Arial")))
                                .get();
    for (int i = 0; i < 4; ++i)
        Put(globals, kFont, font);
    Put(globals, kFormat,
        Data()
            .u16(kDateTimeFormatIndex)
            .bytes(LongString(QString::fromLatin1(SheetCells::kDateTimeFormat)))
            .get());
    // Style formats 0-14 (0 is Normal), the default cell format 15, and the date-time format 16.
    Put(globals, kXf, Xf(0, 0, 0xFFF5, 0x00));
    for (int i = 1; i < 15; ++i)
        Put(globals, kXf, Xf(0, 0, 0xFFF5, 0xF4));
    Put(globals, kXf, Xf(0, 0, 0x0001, 0x00));
    Put(globals, kXf, Xf(0, kDateTimeFormatIndex, 0x0001, 0x04));
    Put(globals, kStyle, Data().u16(0x8000).u8(0).u8(0xFF).get()); // the built-in style Normal

    // The sheet list holds each sheet's position in the stream, known once the globals are done.
    std::vector<qsizetype> positionAt;
    for (const QString& name : sheetNames) {
        positionAt.push_back(globals.size() + 4);
        Put(globals, kBoundSheet, Data().u32(0).u8(0).u8(0).bytes(ShortString(name.left(31))).get());
    }
    if (!PutStringTable(globals, strings))
        return Status::failure(QStringLiteral("A text of the sheet is too long for an .xls workbook"));
    Put(globals, kEof, {});

    QByteArray stream = globals;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        qToLittleEndian(quint32(stream.size()), stream.data() + positionAt[i]);
        stream += sheets[i];
    }
    std::optional<QByteArray> file = CompoundFile::withStreams(
        {{QStringLiteral("Workbook"), std::move(stream)},
         {PropertySets::kSummaryName, PropertySets::summary(properties)},
         {PropertySets::kDocumentSummaryName, PropertySets::documentSummary(properties)}});
    if (!file)
        return Status::failure(QStringLiteral("The workbook is too large for an .xls file"));
    out = std::move(*file);
    return Status::success();
}

} // namespace corvin::datafiles

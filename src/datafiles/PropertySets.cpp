#include "datafiles/PropertySets.h"

#include "common/LittleEndian.h"

#include <bit>
#include <cmath>
#include <utility>

namespace corvin::datafiles {

const QString PropertySets::kSummaryName = QStringLiteral("\005SummaryInformation");
const QString PropertySets::kDocumentSummaryName = QStringLiteral("\005DocumentSummaryInformation");

namespace {

// The format identifiers of the three sections, as stored (the GUIDs' first three fields
// little-endian).
const QByteArray kSummaryId = QByteArray::fromHex("e0859ff2f94f6810ab9108002b27b3d9");
const QByteArray kDocumentSummaryId = QByteArray::fromHex("02d5cdd59c2e1b10939708002b2cf9ae");
const QByteArray kUserDefinedId = QByteArray::fromHex("05d5cdd59c2e1b10939708002b2cf9ae");

constexpr quint16 kUtf8CodePage = 65001;
enum Type : quint16 { kI2 = 2, kR8 = 5, kLpstr = 30, kFiletime = 64 };
enum Id : quint32 {
    kDictionary = 0,
    kCodePage = 1,
    kTitle = 2,
    kSubject = 3,
    kAuthor = 4,
    kKeywords = 5,
    kComments = 6,
    kCreateTime = 12,
    kAppName = 18,
    kFirstCustom = 2,
};

void Pad4(QByteArray& b) {
    while (b.size() % 4 != 0)
        b.append('\0');
}

QByteArray Typed(quint16 type) {
    QByteArray b;
    AppendLittleEndian(b, type);
    AppendLittleEndian(b, quint16(0));
    return b;
}

QByteArray CodePage() {
    QByteArray b = Typed(kI2);
    AppendLittleEndian(b, kUtf8CodePage);
    Pad4(b);
    return b;
}

// A code-page string: its length in bytes with the terminating zero, the bytes, the zero.
QByteArray Utf8(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\0', ' '); // a zero would end the string
    return bytes;
}

QByteArray String8(const QString& text) {
    const QByteArray bytes = Utf8(text);
    QByteArray b;
    AppendLittleEndian(b, quint32(bytes.size() + 1));
    b.append(bytes).append('\0');
    Pad4(b);
    return b;
}

QByteArray Text(const QString& text) {
    return Typed(kLpstr) + String8(text);
}

// One section: its size, its property count, the identifier/offset pairs, the values.
QByteArray Section(const std::vector<std::pair<quint32, QByteArray>>& properties) {
    const quint32 headerSize = 8 + 8 * quint32(properties.size());
    QByteArray index;
    QByteArray values;
    for (const auto& [id, value] : properties) {
        AppendLittleEndian(index, id);
        AppendLittleEndian(index, headerSize + quint32(values.size()));
        values.append(value);
        Pad4(values);
    }
    QByteArray b;
    AppendLittleEndian(b, headerSize + quint32(values.size()));
    AppendLittleEndian(b, quint32(properties.size()));
    return b + index + values;
}

// The stream: byte order, version, system, class, the sections' identifiers and offsets, the
// sections.
QByteArray Stream(const std::vector<std::pair<QByteArray, QByteArray>>& sections) {
    QByteArray b;
    AppendLittleEndian(b, quint16(0xFFFE));
    AppendLittleEndian(b, quint16(0));
    AppendLittleEndian(b, quint32(0x00020006)); // written on a 32-bit Windows NT system
    b.append(QByteArray(16, '\0'));
    AppendLittleEndian(b, quint32(sections.size()));
    quint32 offset = quint32(b.size() + 20 * sections.size());
    for (const auto& [id, section] : sections) {
        b.append(id);
        AppendLittleEndian(b, offset);
        offset += quint32(section.size());
    }
    for (const auto& section : sections)
        b.append(section.second);
    return b;
}

// 100-nanosecond intervals since 1601-01-01 UTC.
QByteArray FileTime(const QDateTime& when) {
    const qint64 sinceEpoch = when.toMSecsSinceEpoch();
    const quint64 ticks = quint64(sinceEpoch + 11644473600000LL) * 10000ULL;
    QByteArray b = Typed(kFiletime);
    AppendLittleEndian(b, quint32(ticks & 0xFFFFFFFF));
    AppendLittleEndian(b, quint32(ticks >> 32));
    return b;
}

} // namespace

QByteArray PropertySets::summary(const WorkbookProperties& p) {
    std::vector<std::pair<quint32, QByteArray>> props = {{kCodePage, CodePage()}};
    const std::pair<quint32, const QString*> texts[] = {{kTitle, &p.title},
                                                        {kSubject, &p.subject},
                                                        {kAuthor, &p.author},
                                                        {kKeywords, &p.keywords},
                                                        {kComments, &p.comments}};
    for (const auto& [id, text] : texts) {
        if (!text->isEmpty())
            props.push_back({id, Text(*text)});
    }
    props.push_back({kCreateTime, FileTime(p.created.isValid() ? p.created : QDateTime::currentDateTime())});
    props.push_back({kAppName, Text(QStringLiteral("Microsoft Excel"))});
    return Stream({{kSummaryId, Section(props)}});
}

QByteArray PropertySets::documentSummary(const WorkbookProperties& p) {
    std::vector<std::pair<QByteArray, QByteArray>> sections = {
        {kDocumentSummaryId, Section({{kCodePage, CodePage()}})}};
    const std::vector<CustomProperty> custom = p.distinctCustom();
    if (!custom.empty()) {
        // The dictionary: the count, then each identifier with its name (no type of its own).
        QByteArray dictionary;
        AppendLittleEndian(dictionary, quint32(custom.size()));
        std::vector<std::pair<quint32, QByteArray>> props;
        quint32 id = kFirstCustom;
        for (const CustomProperty& c : custom) {
            AppendLittleEndian(dictionary, id);
            const QByteArray name = Utf8(c.name);
            AppendLittleEndian(dictionary, quint32(name.size() + 1));
            dictionary.append(name).append('\0'); // entries follow each other unpadded
            if (const double* number = std::get_if<double>(&c.value); number && std::isfinite(*number)) {
                QByteArray v = Typed(kR8);
                AppendLittleEndian(v, std::bit_cast<quint64>(*number));
                props.push_back({id, v});
            } else {
                props.push_back({id, Text(number ? QString::number(*number) : std::get<QString>(c.value))});
            }
            ++id;
        }
        props.insert(props.begin(), {kCodePage, CodePage()});
        props.insert(props.begin(), {kDictionary, dictionary});
        sections.push_back({kUserDefinedId, Section(props)});
    }
    return Stream(sections);
}

} // namespace corvin::datafiles

#include "datafiles/ZipPackage.h"

#include "common/LittleEndian.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>

namespace corvin::datafiles {
namespace {

constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kCentralHeader = 0x02014b50;
constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr qsizetype kLocalHeaderSize = 30;
constexpr qsizetype kCentralHeaderSize = 46;
constexpr qsizetype kEndSize = 22;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;

quint16 Get16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 Get32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

void Append16(QByteArray& b, quint16 v) {
    AppendLittleEndian(b, v);
}
void Append32(QByteArray& b, quint32 v) {
    AppendLittleEndian(b, v);
}

Status Broken(const QString& why) {
    return Status::failure(QStringLiteral("The workbook package is damaged: %1").arg(why));
}

quint32 Crc(const QByteArray& bytes) {
    return quint32(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

} // namespace

Status ZipPackage::Read(const QByteArray& zip, ZipPackage& package) {
    // The end record is the last thing in the file, before a comment of at most 64 KiB.
    qsizetype end = -1;
    for (qsizetype at = zip.size() - kEndSize; at >= 0 && at >= zip.size() - kEndSize - 0xFFFF; --at) {
        if (Get32(zip, at) == kEndOfDirectory) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return Broken(QStringLiteral("no end of central directory"));
    if (Get16(zip, end + 4) != 0 || Get16(zip, end + 6) != 0)
        return Broken(QStringLiteral("a multi-disk archive"));
    const quint16 count = Get16(zip, end + 10);
    const qsizetype directorySize = Get32(zip, end + 12);
    qsizetype at = Get32(zip, end + 16);
    if (at + directorySize > end)
        return Broken(QStringLiteral("the central directory lies outside the file"));

    std::vector<Member> members;
    for (quint16 i = 0; i < count; ++i) {
        if (at + kCentralHeaderSize > end || Get32(zip, at) != kCentralHeader)
            return Broken(QStringLiteral("a bad central directory entry"));
        Member m;
        const quint16 flags = Get16(zip, at + 8);
        m.method = Get16(zip, at + 10);
        m.time = Get16(zip, at + 12);
        m.date = Get16(zip, at + 14);
        m.crc = Get32(zip, at + 16);
        const quint32 compressed = Get32(zip, at + 20);
        m.size = Get32(zip, at + 24);
        const quint16 nameLength = Get16(zip, at + 28);
        const qsizetype entryLength =
            kCentralHeaderSize + nameLength + Get16(zip, at + 30) + Get16(zip, at + 32);
        const qsizetype local = Get32(zip, at + 42);
        if (at + entryLength > end)
            return Broken(QStringLiteral("a central directory entry runs past its end"));
        if ((flags & 0x0001) != 0 || (m.method != kStored && m.method != kDeflated))
            return Broken(QStringLiteral("an encrypted or unknown member"));
        if (compressed == 0xFFFFFFFF || m.size == 0xFFFFFFFF || local == 0xFFFFFFFF)
            return Broken(QStringLiteral("a Zip64 member"));
        m.name = zip.mid(at + kCentralHeaderSize, nameLength);
        if (local + kLocalHeaderSize > zip.size() || Get32(zip, local) != kLocalHeader)
            return Broken(QStringLiteral("a bad local header"));
        const qsizetype data = local + kLocalHeaderSize + Get16(zip, local + 26) + Get16(zip, local + 28);
        if (data + qsizetype(compressed) > zip.size())
            return Broken(QStringLiteral("a member runs past the end of the file"));
        m.data = zip.mid(data, compressed);
        members.push_back(std::move(m));
        at += entryLength;
    }
    package.m_members = std::move(members);
    return Status::success();
}

const ZipPackage::Member* ZipPackage::find(const QString& name) const {
    const QByteArray wanted = name.toUtf8();
    for (const Member& m : m_members) {
        if (m.name == wanted)
            return &m;
    }
    return nullptr;
}

Status ZipPackage::content(const QString& name, QByteArray& out) const {
    const Member* m = find(name);
    if (!m)
        return Broken(QStringLiteral("no member %1").arg(name));
    QByteArray inflated;
    if (m->method == kStored) {
        inflated = m->data;
    } else {
        inflated.resize(m->size);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return Status::failure(QStringLiteral("Out of memory"));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m->data.constData()));
        z.avail_in = uInt(m->data.size());
        z.next_out = reinterpret_cast<Bytef*>(inflated.data());
        z.avail_out = uInt(inflated.size());
        const int result = inflate(&z, Z_FINISH);
        const uLong produced = z.total_out;
        inflateEnd(&z);
        if (result != Z_STREAM_END || produced != m->size)
            return Broken(QStringLiteral("member %1 does not inflate").arg(name));
    }
    if (inflated.size() != qsizetype(m->size) || Crc(inflated) != m->crc)
        return Broken(QStringLiteral("member %1 fails its check sum").arg(name));
    out = std::move(inflated);
    return Status::success();
}

Status ZipPackage::replace(const QString& name, const QByteArray& content) {
    const QByteArray wanted = name.toUtf8();
    auto m =
        std::find_if(m_members.begin(), m_members.end(), [&](const Member& x) { return x.name == wanted; });
    if (m == m_members.end())
        return Broken(QStringLiteral("no member %1").arg(name));
    z_stream z{};
    // The fastest level: the member is mostly numbers, and the time goes into the export.
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return Status::failure(QStringLiteral("Out of memory"));
    QByteArray deflated(qsizetype(deflateBound(&z, uLong(content.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.constData()));
    z.avail_in = uInt(content.size());
    z.next_out = reinterpret_cast<Bytef*>(deflated.data());
    z.avail_out = uInt(deflated.size());
    const int result = deflate(&z, Z_FINISH);
    deflated.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        return Status::failure(QStringLiteral("The workbook could not be compressed"));
    m->method = kDeflated;
    m->crc = Crc(content);
    m->size = quint32(content.size());
    m->data = std::move(deflated);
    return Status::success();
}

QByteArray ZipPackage::bytes() const {
    QByteArray out;
    QByteArray directory;
    for (const Member& m : m_members) {
        const quint32 offset = quint32(out.size());
        // The fields both headers share: version needed 2.0, no flags, method, time, date, sizes.
        QByteArray common;
        Append16(common, 20);
        Append16(common, 0);
        Append16(common, m.method);
        Append16(common, m.time);
        Append16(common, m.date);
        Append32(common, m.crc);
        Append32(common, quint32(m.data.size()));
        Append32(common, m.size);
        Append16(common, quint16(m.name.size()));
        Append16(common, 0); // no extra field

        Append32(out, kLocalHeader);
        out += common;
        out += m.name;
        out += m.data;

        Append32(directory, kCentralHeader);
        Append16(directory, 20); // made by: version 2.0
        directory += common;
        Append16(directory, 0); // no comment
        Append16(directory, 0); // disk 0
        Append16(directory, 0); // internal attributes
        Append32(directory, 0); // external attributes
        Append32(directory, offset);
        directory += m.name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    Append32(out, kEndOfDirectory);
    Append16(out, 0);
    Append16(out, 0);
    Append16(out, quint16(m_members.size()));
    Append16(out, quint16(m_members.size()));
    Append32(out, quint32(directory.size()));
    Append32(out, directoryOffset);
    Append16(out, 0);
    return out;
}

} // namespace corvin::datafiles

#pragma once
// The zip container of an .xlsx workbook, read and written just far enough to replace one of its
// members: the members come from the central directory, a replaced member is deflated anew, the
// others are copied as they are. Zip64 archives, encryption and multi-disk archives are refused;
// libxlsxwriter writes none of them for workbooks of our size.

#include "common/Status.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace corvin::datafiles {

class ZipPackage {
public:
    // Reads the member list of `zip`; every offset and size is checked against the bytes.
    static Status Read(const QByteArray& zip, ZipPackage& package);

    // The inflated content of the member `name`, or a failure saying why not.
    Status content(const QString& name, QByteArray& out) const;
    // Gives the member `name` (which must exist) new content.
    Status replace(const QString& name, const QByteArray& content);
    // The archive with every member in its original order.
    QByteArray bytes() const;

private:
    struct Member {
        QByteArray name;
        quint16 method = 0; // 0 stored, 8 deflated
        quint16 time = 0;
        quint16 date = 0;
        quint32 crc = 0;
        quint32 size = 0; // uncompressed
        QByteArray data;  // as stored
    };
    const Member* find(const QString& name) const;

    std::vector<Member> m_members;
};

} // namespace corvin::datafiles

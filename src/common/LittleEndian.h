#pragma once
// Numbers appended to a byte array least significant byte first, as every file format Corvin
// writes stores them (test data files, journals, workbooks and their containers).

#include <QByteArray>
#include <QtEndian>

namespace corvin {

template <typename T> void AppendLittleEndian(QByteArray& bytes, T value) {
    const T le = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&le), sizeof le);
}

} // namespace corvin

#pragma once
// Windows-1252, the code page of every fixed-record file the program reads and writes.
// Decoding never fails: the five bytes that code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) become the control characters of the same number, as Windows itself maps them, so a
// name read and written back keeps its bytes. Encoding turns a character the code page lacks
// into '?'.

#include <QByteArray>
#include <QString>

namespace corvin {

QString FromCp1252(const QByteArray& bytes);
QByteArray ToCp1252(const QString& text);

// Text as exactly `width` Windows-1252 bytes: cut at width, or padded on the right with spaces.
QByteArray ToFixedField(const QString& text, int width);

} // namespace corvin

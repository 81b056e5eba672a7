#pragma once
// CRC-32 (the polynomial of zlib, PNG and Ethernet), for the frames of the recovery journal.

#include <QByteArrayView>
#include <cstdint>

namespace corvin {

uint32_t Crc32(QByteArrayView bytes);

} // namespace corvin

#include "common/Crc32.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace corvin;

// The check values every CRC-32 (zlib, PNG) implementation gives.
TEST(Crc32, StandardCheckValues) {
    EXPECT_EQ(Crc32(QByteArrayView("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32(QByteArrayView()), 0x00000000u);
    EXPECT_EQ(Crc32(QByteArray(32, '\0')), 0x190A55ADu);
}

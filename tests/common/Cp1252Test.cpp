#include "common/Cp1252.h"
#include "common/Rounding.h"

#include <gtest/gtest.h>

using namespace corvin;

// ---- Windows-1252 ----------------------------------------------------------------------------

TEST(Cp1252, MicroSignAndAccentsAreSingleBytes) {
    EXPECT_EQ(ToCp1252(QStringLiteral("µA é")), QByteArray("\xB5"
                                                           "A \xE9"));
    EXPECT_EQ(FromCp1252(QByteArray("\xB5"
                                    "A \xE9")),
              QStringLiteral("µA é"));
}

TEST(Cp1252, HighControlRangeMapsToTypographicCharacters) {
    EXPECT_EQ(FromCp1252(QByteArray("\x80\x96\x99")), QString::fromUtf16(u"€–™"));
    EXPECT_EQ(ToCp1252(QString::fromUtf16(u"€–™")), QByteArray("\x80\x96\x99"));
}

TEST(Cp1252, UndefinedBytesSurviveARoundTrip) {
    const QByteArray undefined("\x81\x8D\x8F\x90\x9D");
    EXPECT_EQ(ToCp1252(FromCp1252(undefined)), undefined);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(ToCp1252(QString::fromUtf16(u"Ω1")), QByteArray("?1"));
}

TEST(Cp1252, FixedFieldsAreCutOrPaddedWithSpaces) {
    EXPECT_EQ(ToFixedField(QStringLiteral("abc"), 5), QByteArray("abc  "));
    EXPECT_EQ(ToFixedField(QStringLiteral("abcdefg"), 5), QByteArray("abcde"));
    EXPECT_EQ(ToFixedField(QString(), 3), QByteArray("   "));
}

// ---- Rounding --------------------------------------------------------------------------------

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(2.51), 3.0);
}

TEST(Rounding, SixteenBitConversionRefusesWhatDoesNotFit) {
    EXPECT_EQ(ToInt16(32767.4), std::optional<int16_t>(32767));
    EXPECT_EQ(ToInt16(-32768.0), std::optional<int16_t>(-32768));
    EXPECT_FALSE(ToInt16(32767.6).has_value());
    EXPECT_FALSE(ToInt16(std::nan("")).has_value());
}

#include "instrument/CardLibrary.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

using namespace corvin::instrument;

// ---- the driver's result texts, word for word ----

TEST(CardErrorText, KnownCodes) {
    const std::pair<int16_t, const char*> table[] = {
        {0, "Error code 0: OK!"},
        {-1, "Error code -1: Board/feature not supported"},
        {-2, "Error Code -2: Address already registered"},
        {-3, "Error Code -3: IRQ level already registered"},
        {-4, "Error Code -4: Board/resource not registered"},
        {-5, "Error Code -5: Invalid channel"},
        {-6, "Error Code -6: Invalid data"},
        {-7, "Error Code -7: Out of range"},
        {-8, "Error Code -8: Insufficient memory"},
        {-9, "Error Code -9: Buffer not registered"},
        {-10, "Error Code = -10: PC226E not found"},
    };
    for (const auto& [code, text] : table)
        EXPECT_EQ(CardErrorText(code), QString::fromLatin1(text)) << code;
}

TEST(CardErrorText, OtherCodesAreUndefined) {
    EXPECT_EQ(CardErrorText(-11), QStringLiteral("Error Code -11: Undefined code."));
    EXPECT_EQ(CardErrorText(1), QStringLiteral("Error Code 1: Undefined code."));
    EXPECT_EQ(CardErrorText(-32768), QStringLiteral("Error Code -32768: Undefined code."));
    EXPECT_EQ(kCardErrorCaption, QStringLiteral("DIO_TC DLL Error"));
}

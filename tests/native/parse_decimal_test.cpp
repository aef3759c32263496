// ParseDecimal on chosen texts and on random bytes, compared with a
// reference that accumulates in 64 bits and reduces modulo 2^32.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "shell/parse_decimal.h"

namespace {

uint32_t ReferenceParse(const std::vector<char>& text)
{
    uint64_t value = 0;
    for (size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = (value * 10 + static_cast<uint64_t>(text[i] - '0')) % (uint64_t{1} << 32);
    }
    return static_cast<uint32_t>(value);
}

TEST(ParseDecimal, ReadsLeadingDigitsOnly)
{
    EXPECT_EQ(ParseDecimal("12ab"), 12u);
    EXPECT_EQ(ParseDecimal("0"), 0u);
    EXPECT_EQ(ParseDecimal("007"), 7u);
    EXPECT_EQ(ParseDecimal("65538 rest"), 65538u);
    EXPECT_EQ(ParseDecimal("4294967295"), 4294967295u);
}

TEST(ParseDecimal, NoLeadingDigitGivesZero)
{
    EXPECT_EQ(ParseDecimal(""), 0u);
    EXPECT_EQ(ParseDecimal(" 12"), 0u);
    EXPECT_EQ(ParseDecimal("-12"), 0u);
    EXPECT_EQ(ParseDecimal("+12"), 0u);
    EXPECT_EQ(ParseDecimal("0x1F"), 0u);
    EXPECT_EQ(ParseDecimal("\xB2"), 0u);
    EXPECT_EQ(ParseDecimal(nullptr), 0u);
}

TEST(ParseDecimal, WrapsModulo2To32)
{
    EXPECT_EQ(ParseDecimal("4294967296"), 0u);
    EXPECT_EQ(ParseDecimal("4294967297"), 1u);
    // 10^20 mod 2^32.
    EXPECT_EQ(ParseDecimal("100000000000000000000"), 1661992960u);
}

// Random buffers, digit-heavy so that long numbers occur, each allocated at
// its exact length so that the address sanitizer catches a read past the NUL.
TEST(ParseDecimal, RandomBytesMatchReference)
{
    std::mt19937 random(20261207u);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> anyByte(1, 255);
    std::uniform_int_distribution<int> digit('0', '9');
    std::bernoulli_distribution pickDigit(0.8);
    for (int round = 0; round < 20000; ++round) {
        std::vector<char> text(static_cast<size_t>(length(random)));
        for (char& c : text) {
            c = static_cast<char>(pickDigit(random) ? digit(random) : anyByte(random));
        }
        std::vector<char> terminated(text);
        terminated.push_back('\0');
        char* exact = new char[terminated.size()];
        std::copy(terminated.begin(), terminated.end(), exact);
        ASSERT_EQ(ParseDecimal(exact), ReferenceParse(text)) << "round " << round;
        delete[] exact;
    }
}

}  // namespace

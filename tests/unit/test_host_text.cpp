#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/host_text.h"

namespace velmora {
namespace {

TEST(HostText, ReadsLeniently) {
    const struct {
        std::string text;
        std::uint32_t number;
    } cases[] = {
        {"1A2B", 0x1A2B},
        {" 0x1a2b", 0x1A2B},
        {"", 0},
        {"12345", 0x12345},
        {"-1", 0xFFFFFFFF},
        {"ffff", 0xFFFF},
        {"\t\n\v\f\r 7", 7},
        {"0X00ff", 0xFF},
        {"+a", 0xA},
        {"-0x10", 0xFFFFFFF0},
        {"12g4", 0x12},
        {"g", 0},
        {"0x", 0},
        {"0xg", 0},
        {"-", 0},
        {"- 1", 0},
        {"+-1", 0},
        {"0x0x5", 0},
        {"ffffffff", 0xFFFFFFFF},
        {"100000000", 0xFFFFFFFF},
        {"-100000000", 0xFFFFFFFF},
        {"00000000000000000001", 1},
        {"123456789abcdef0123456789", 0xFFFFFFFF},
        {"1 2", 1},
        {std::string("5\0"
                     "7",
                     3),
         5},
        {"\xff"
         "1",
         0},
    };
    for (const auto& c : cases) EXPECT_EQ(readHostNumber(c.text), c.number) << '"' << c.text << '"';
}

// The library this reading follows is the reference for every 32-bit case.
TEST(HostText, AgreesWithStrtoul) {
    const char* texts[] = {"0", "  -7", "+0Xab", "fffe", "-ffffffff", "8000zz", "0x", " x1"};
    for (const char* t : texts) {
        const auto expect = static_cast<std::uint32_t>(std::strtoul(t, nullptr, 16));
        EXPECT_EQ(readHostNumber(t), expect) << t;
    }
}

TEST(HostText, RegisterKeepsLowSixteenBits) {
    const struct {
        const char* text;
        std::uint16_t word;
    } cases[] = {
        {"1A2B", 0x1A2B}, {"0x1a2b", 0x1A2B}, {"", 0},           {"12345", 0x2345},
        {"-1", 0xFFFF},   {"10000", 0},       {"-0x10", 0xFFF0}, {"999999999999", 0xFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(readHostText(c.text), c.word) << c.text;
}

TEST(HostText, WritesLowerCaseWithoutLeadingZeros) {
    const struct {
        std::uint16_t word;
        const char* text;
    } cases[] = {
        {0, "0"}, {0x00AB, "ab"}, {0x0A00, "a00"}, {0xFFFF, "ffff"}, {0x1000, "1000"}, {0x7, "7"},
    };
    for (const auto& c : cases) EXPECT_EQ(writeHostText(c.word), c.text);
}

TEST(HostText, EveryWordSurvivesTheRoundTrip) {
    for (unsigned w = 0; w <= 0xFFFF; ++w) {
        const auto word = static_cast<std::uint16_t>(w);
        ASSERT_EQ(readHostText(writeHostText(word)), word) << w;
    }
}

} // namespace
} // namespace velmora

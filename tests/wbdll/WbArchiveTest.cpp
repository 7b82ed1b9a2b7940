// The save archive: its byte encoding, and what a read past the end or a write to a loading archive does.
#include "WbArchive.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(WbArchive, StoresLittleEndianAndReadsBack)
{
    std::vector<uint8_t> bytes{0xAA}; // a store appends after what is there
    WbArchive out(bytes);
    out << int8_t(-2) << uint8_t(200) << int32_t(-123456) << uint32_t(0x43494E45);
    EXPECT_EQ(out.GetPosition(), 10u);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xAA, 0xFE, 200, 0xC0, 0x1D, 0xFE, 0xFF, 0x45, 0x4E, 0x49, 0x43}));

    WbArchive in(std::span<const uint8_t>(bytes).subspan(1));
    int8_t small = 0;
    uint8_t byte = 0;
    int32_t signedValue = 0;
    uint32_t code = 0;
    in >> small >> byte >> signedValue >> code;
    EXPECT_EQ(std::tuple(small, byte, signedValue, code), std::tuple(int8_t(-2), uint8_t(200), -123456, 0x43494E45u));
    EXPECT_FALSE(in.IsFailed());
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(WbArchive, ReadingPastTheEndYieldsZeroAndStaysFailed)
{
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6};
    WbArchive in(bytes);
    int32_t first = 0;
    int32_t second = 77;
    in >> first >> second;
    EXPECT_EQ(first, 0x04030201);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(in.IsFailed());
    // The short value consumed nothing; what remains still reads, but the failure is kept.
    uint8_t byte = 0;
    in >> byte;
    EXPECT_EQ(byte, 5);
    EXPECT_TRUE(in.IsFailed());

    // A write to a loading archive and a read from a storing one fail alike.
    WbArchive loading(bytes);
    loading << int32_t(5);
    EXPECT_TRUE(loading.IsFailed());
    std::vector<uint8_t> stored;
    WbArchive storing(stored);
    uint32_t value = 9;
    storing >> value;
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(storing.IsFailed());
}

// The module's comment texts: two string blocks of 76 and 160 bytes, read by string ID.
#include "WbStringTable.h"
#include "TheaterResourceFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TheaterStrings, ThreeCommentsInTwoBlocks)
{
    TheaterResFile resources;
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1023), "Business is a big hit.");
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1024), "There are not many customers.");
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1025), "Today is the release of a new film.");
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1022), "") << "an empty slot of block 64";
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1026), "") << "an empty slot of block 65";
    EXPECT_EQ(WbLoadResString(*resources.Get(), 7), "") << "a block the module does not have";
}

// Block 64 holds strings 1008 to 1023: fifteen empty ones, then "Business is a big hit." (22 characters).
std::vector<uint8_t> Block64Fixture()
{
    RecordBuilder block;
    for (char16_t c : std::u16string(15, u'\0') + u'\x16' + u"Business is a big hit.")
        block.Byte(uint8_t(c)).Byte(uint8_t(c >> 8));
    return block.Build();
}

TEST(StringTable, ReadsUtf16AsUtf8AndRefusesDamagedBlocks)
{
    // The last character becomes U+3002, the ideographic full stop.
    WbParsed<std::array<CString, 16>> strings = WbReadStringBlock(Patched(Block64Fixture(), 74, {0x02, 0x30}), 64);
    ASSERT_TRUE(strings) << strings.GetError();
    EXPECT_EQ((*strings)[15], "Business is a big hit\xE3\x80\x82");
    EXPECT_EQ((*strings)[0], "");

    // Damaged blocks are refused.
    ExpectRefused(
        {
            {"empty", {}, "string block 64: 0 bytes, expected at least 2 for the length of string 1008 at offset 0"},
            {"last string cut", Truncated(Block64Fixture(), 75),
             "string block 64: string 1023 at offset 30 has 22 characters, 43 bytes left"},
            {"a byte more", Extended(Block64Fixture(), {0}), "string block 64: 77 bytes, expected 76"},
        },
        [](auto bytes) { return WbReadStringBlock(bytes, 64); });
    EXPECT_FALSE(WbReadStringBlock(Block64Fixture(), 0)) << "there is no block 0";
}

} // namespace

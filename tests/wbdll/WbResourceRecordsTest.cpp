// The theater's records, bitmaps and string blocks as host values; damaged ones refused naming field and limit.
#include "WbResourceRecords.h"
#include "TheaterResourceFixtures.h"
#include "WbBitmapReader.h"
#include "WbFourCC.h"
#include "WbStringTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace {

TEST(TheaterRecords, AttrDescAndTenantDefinitionDescribeTheModuleAndTheTheater)
{
    WbParsed<WbFileAttr> attr = WbReadAttrRecord(TheaterRecord("ATTR", 128));
    ASSERT_TRUE(attr) << attr.GetError();
    EXPECT_EQ(std::tuple(attr->id, attr->attrib, attr->dependID, attr->gameLevel, attr->secretItem, attr->itemType,
                         attr->mustItem, std::string(attr->name)),
              std::tuple(WbFourCC("CINE"), 1, WbFourCC("****"), 3, 0, 1720, 0, std::string("Movie Theater")));
    WbParsed<WbDescRecord> desc = WbReadDescRecord(TheaterRecord("DESC", 128));
    ASSERT_TRUE(desc) << desc.GetError();
    EXPECT_EQ(std::pair(desc->programType, desc->value), std::pair(WbFourCC("TnPl"), 3));

    // The tenant definition gives sizes, prices, texts and hours.
    WbParsed<WbTenantDefData> data = WbReadTenantDefRecord(TheaterRecord("TNDF", 1));
    ASSERT_TRUE(data) << data.GetError();
    EXPECT_EQ(std::tuple(data->itemType, data->widthUnits, data->heightUnits, data->subPluginType, data->priceHundreds,
                         data->monthlyCostHundreds, data->openMinute, data->closeMinute),
              std::tuple(1720, 31, 3, WbFourCC("MoPI"), 5000, 20, 600u, 1320u));
    // The category name keeps its trailing blank.
    EXPECT_EQ(std::tuple(data->categoryText, data->categoryName, data->priceText, data->costText, data->descriptionText,
                         data->nameText, data->secondNameText),
              std::tuple("A category of items for residents to live comfortably.", "City Function ", "$500000",
                         "$2000/M", "The movie theater you manage.", "Movie Theater", "Movie Theater"));
    // What the record leaves unnamed, by the host's rules: seats from offset 97, a ticket at half the
    // monthly cost, two staff.
    EXPECT_EQ(std::tuple(data->capacity, data->incomePerCustomer, data->belongCapacity), std::tuple(200, 10, 2));
}

// The customer table's kinds, each with its name, demand type, start and end silhouette, option type,
// percent, number of people and share of the callers.
auto MemberFields(const std::vector<WbTenantMemberDef>& members)
{
    std::vector<std::tuple<std::string, int, int, int, int, int, int, float>> fields;
    for (const WbTenantMemberDef& m : members)
        fields.emplace_back(m.GetName(), m.GetDemandType(), m.GetStartSilhouetteType(), m.GetEndSilhouetteType(),
                            m.GetOptionType(), m.GetPercent(), m.GetNumOfPeople(), m.GetRate());
    return fields;
}

TEST(TheaterRecords, CustomerTableHasOnePersonAndACoupleAndRemarksAreFiveTexts)
{
    // No kind names a percentage, so each gets an equal share of the callers; otherwise each kind's rate is
    // its percentage.
    using testing::FieldsAre, testing::FloatEq;
    WbParsed<std::vector<WbTenantMemberDef>> members = WbReadMemberTable(TheaterRecord("TMDF", 1));
    ASSERT_TRUE(members) << members.GetError();
    EXPECT_THAT(MemberFields(*members), testing::ElementsAre(FieldsAre("", 4, 18, 18, 1, 0, 1, FloatEq(0.5f)),
                                                             FieldsAre("", 4, 19, 19, 2, 0, 2, FloatEq(0.5f))));
    members = WbReadMemberTable(Patched(Patched(TheaterRecord("TMDF", 1), 39, {70}), 65, {30}));
    ASSERT_TRUE(members) << members.GetError();
    EXPECT_THAT(MemberFields(*members), testing::ElementsAre(FieldsAre("", 4, 18, 18, 1, 70, 1, FloatEq(0.7f)),
                                                             FieldsAre("", 4, 19, 19, 2, 30, 2, FloatEq(0.3f))));

    WbParsed<std::vector<WbRemark>> remarks = WbReadRemarks(TheaterRecord("WODF", 1));
    ASSERT_TRUE(remarks) << remarks.GetError();
    std::vector<std::string> texts;
    for (const WbRemark& remark : *remarks) {
        texts.push_back(remark.text.Str());
        EXPECT_EQ(remark.values, (std::array<int32_t, 4>{255, 255, 0, 0}));
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{"It may be crowded.", "It seems like a blockbuster.", "I can't wait to see it.",
                                        "It looks like a good movie.", "I hope it will be fun."}));
}

TEST(TheaterRecords, DamagedRecordsAreRefusedWithFieldAndLimit)
{
    const std::vector<uint8_t> tndf = TheaterRecord("TNDF", 1), tmdf = TheaterRecord("TMDF", 1),
                               wodf = TheaterRecord("WODF", 1);
    ExpectRefused(
        {
            {"empty", {}, "TNDF 1: 0 bytes, expected at least 1 for the version at offset 0"},
            {"one byte short", Truncated(tndf, 337),
             "TNDF 1: 337 bytes, expected at least 338 for the end bytes at offset 337"},
            {"one byte more", Extended(tndf, {0}), "TNDF 1: 339 bytes, expected 338"},
            {"version 2", Patched(tndf, 0, {2}), "TNDF 1: version 2 at offset 0, expected 1"},
            {"text without NUL", Patched(tndf, 76, {'!'}),
             "TNDF 1: category description at offset 21 is not ended by a NUL (byte 33 after its 54 characters)"},
            {"text past the end", Patched(tndf, 125, {250}),
             "TNDF 1: 338 bytes, expected at least 377 for the price text at offset 125"},
            {"opening minute 1440", Patched(tndf, 308, {0xA0, 0x05}),
             "TNDF 1: opening minute 1440 at offset 308, expected 0 to 1439"},
            {"end bytes not zero", Patched(tndf, 336, {1}), "TNDF 1: end bytes 1, 0 at offset 336, expected 0, 0"},
        },
        [](auto bytes) { return WbReadTenantDefRecord(bytes); });
    ExpectRefused({{"description cut", Truncated(TheaterRecord("DESC", 128), 8),
                    "DESC 128: 8 bytes, expected at least 9 for the value at offset 5"}},
                  [](auto bytes) { return WbReadDescRecord(bytes); });
    ExpectRefused({{"attribute name cut", Truncated(TheaterRecord("ATTR", 128), 43),
                    "ATTR 128: 43 bytes, expected at least 44 for the name at offset 29"}},
                  [](auto bytes) { return WbReadAttrRecord(bytes); });
    ExpectRefused(
        {
            {"negative entry count", Patched(tmdf, 17, {0xFF, 0xFF, 0xFF, 0xFF}),
             "TMDF 1: number of entries -1 at offset 17, expected 0 or more"},
            {"entry count past the record", Patched(tmdf, 17, {3}),
             "TMDF 1: number of entries 3 at offset 17, the record has room for at most 2"},
            {"nobody in a group", Patched(tmdf, 69, {0}),
             "TMDF 1: entry 2 number of people 0 at offset 69, expected 1 to 2147483647"},
            {"percent above 100", Patched(tmdf, 39, {101}),
             "TMDF 1: entry 1 percent 101 at offset 39, expected 0 to 100"},
            {"percentages above 100", Patched(Patched(tmdf, 39, {60}), 65, {60}),
             "TMDF 1: percentages add up to 120, expected at most 100"},
        },
        [](auto bytes) { return WbReadMemberTable(bytes); });
    ExpectRefused({{"one remark too many", Patched(wodf, 1, {6}),
                    "WODF 1: 213 bytes, expected at least 217 for the remark 6 number at offset 213"},
                   {"one remark too few", Patched(wodf, 1, {4}), "WODF 1: 213 bytes, expected 173"}},
                  [](auto bytes) { return WbReadRemarks(bytes); });
}

// A 3 x 2 bitmap with four colours:
std::vector<uint8_t> SmallBitmapFixture()
{
    return Words({
        40, 3, 2,                              // 0: header size, width, height (bottom row first)
        1 | 8 << 16,                           // 12: planes, bits per pixel
        0, 8, 2835, 2835,                      // 16: compression, image size, resolution
        4, 0,                                  // 32: colours used, colours important
        0x00FFFFFF, 0x00FF0000, 0x0000FF00, 0, // 40: white, red, green, black (blue, green, red, 0)
        0x00030303,                            // 56: bottom row: black, black, black, padding
        0x00020100,                            // 60: top row: white, red, green, padding
    });
}

TEST(BitmapReader, ReadsRowsTopFirstWithTheirPaletteAndRefusesDamagedOnes)
{
    const std::vector<uint8_t> good = SmallBitmapFixture();
    WbParsed<std::unique_ptr<WbBitImage>> image = WbReadBitmap(good, 7);
    ASSERT_TRUE(image) << image.GetError();
    EXPECT_EQ((*image)->GetPixels(), (std::vector<uint8_t>{0, 1, 2, 3, 3, 3}));
    EXPECT_EQ((*image)->GetPalette()[1], (WbRGB{255, 0, 0}));
    EXPECT_EQ((*image)->GetPalette()[2], (WbRGB{0, 255, 0}));
    EXPECT_TRUE(WbReadBitmap(Extended(good, {0, 0}), 7)) << "bytes after the rows are allowed";

    // Damaged bitmaps are refused with the field and its limit.
    ExpectRefused(
        {
            {"shorter than the header", Truncated(good, 39),
             "bitmap 7: 39 bytes, expected at least the 40-byte header"},
            {"old header", Patched(good, 0, {12}), "bitmap 7: header size 12, expected 40"},
            {"huge width", Patched(good, 4, {0x01, 0x20}), "bitmap 7: width 8193, expected 1 to 8192"},
            {"rows top first", Patched(good, 8, {0xFE, 0xFF, 0xFF, 0xFF}),
             "bitmap 7: height -2 (rows top first), expected bottom-up rows"},
            {"no height", Patched(good, 8, {0}), "bitmap 7: height 0, expected 1 to 8192"},
            {"two planes", Patched(good, 12, {2}), "bitmap 7: 2 planes, expected 1"},
            {"four bits", Patched(good, 14, {4}), "bitmap 7: 4 bits per pixel, expected 8"},
            {"run-length coded", Patched(good, 16, {1}), "bitmap 7: compression 1, expected 0 (none)"},
            {"too many colours", Patched(good, 32, {0x01, 0x01}), "bitmap 7: 257 colours used, expected at most 256"},
            {"last row cut", Truncated(good, 63),
             "bitmap 7: 63 bytes, expected at least 64 (header, 4 colours, 2 rows of 4 bytes)"},
            {"full palette assumed", Patched(good, 32, {0}),
             "bitmap 7: 64 bytes, expected at least 1072 (header, 256 colours, 2 rows of 4 bytes)"},
            {"colour past the palette", Patched(good, 61, {4}), "bitmap 7: pixel 1,0 uses colour 4, the palette has 4"},
        },
        [](auto bytes) { return WbReadBitmap(bytes, 7); });
}

TEST(TheaterStrings, ThreeCommentsInTwoBlocks)
{
    TheaterResFile resources;
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1023), "Business is a big hit.");
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1024), "There are not many customers.");
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1025), "Today is the release of a new film.");
    EXPECT_EQ(WbLoadResString(*resources.Get(), 1026), "") << "an empty slot of block 65";
    EXPECT_EQ(WbLoadResString(*resources.Get(), 7), "") << "a block the module does not have";
}

// Block 64 holds strings 1008 to 1023: fifteen empty ones, then "Business is a big hit." (22 characters).
std::vector<uint8_t> Block64Fixture()
{
    std::vector<uint8_t> block;
    for (char16_t c : std::u16string(15, u'\0') + u'\x16' + u"Business is a big hit.")
        block.insert(block.end(), {uint8_t(c), uint8_t(c >> 8)});
    return block;
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

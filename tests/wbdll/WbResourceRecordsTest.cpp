// The theater's binary records read into the host's values, and refused with a message that names the
// record, the field and the limit when damaged. Offsets in the comments are those of the records' fields.
#include "WbResourceRecords.h"
#include "TheaterResourceFixtures.h"
#include "WbFourCC.h"

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
            {"zero width", Patched(tndf, 5, {0}), "TNDF 1: width 0 at offset 5, expected 1 to 1024"},
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

} // namespace

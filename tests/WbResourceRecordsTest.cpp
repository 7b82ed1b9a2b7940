// The theater's binary records: carried byte for byte by the module, read into the host's values, and
// refused with a message that names the record, the field and the limit when damaged.
#include "WbResourceRecords.h"
#include "TheaterResourceFixtures.h"
#include "WbFourCC.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <tuple>
#include <utility>

namespace {

TEST(TheaterRecords, ModuleCarriesEachRecordByteForByte)
{
    TheaterResFile resources;
    struct Expected {
        const char* type;
        uint32_t id;
        std::vector<uint8_t> bytes;
    };
    const Expected records[] = {
        {"ATTR", 128, AttrFixture()}, {"DESC", 128, DescFixture()}, {"TNDF", 1, TndfFixture()},
        {"TMDF", 1, TmdfFixture()},   {"WODF", 1, WodfFixture()},
    };
    for (const Expected& record : records) {
        SCOPED_TRACE(std::string(record.type) + " " + std::to_string(record.id));
        EXPECT_EQ(Bytes(resources.Get()->Find(record.type, record.id)), record.bytes);
    }
}

TEST(TheaterRecords, AttrAndDescDescribeTheModule)
{
    WbParsed<WbFileAttr> attr = WbReadAttrRecord(AttrFixture());
    ASSERT_TRUE(attr) << attr.GetError();
    EXPECT_EQ(std::tuple(attr->id, attr->attrib, attr->dependID, attr->gameLevel, attr->secretItem, attr->itemType,
                         attr->mustItem, std::string(attr->name)),
              std::tuple(WbFourCC("CINE"), 1, WbFourCC("****"), 3, 0, 1720, 0, std::string("Movie Theater")));
    WbParsed<WbDescRecord> desc = WbReadDescRecord(DescFixture());
    ASSERT_TRUE(desc) << desc.GetError();
    EXPECT_EQ(std::pair(desc->programType, desc->value), std::pair(WbFourCC("TnPl"), 3));
}

TEST(TheaterRecords, TenantDefinitionGivesSizesPricesTextsAndHours)
{
    WbParsed<WbTenantDefData> data = WbReadTenantDefRecord(TndfFixture());
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

// Name, demand type, start and end silhouette, option type, percent and number of people.
auto MemberFields(const WbTenantMemberDef& member)
{
    return std::tuple(std::string(member.GetName()), member.GetDemandType(), member.GetStartSilhouetteType(),
                      member.GetEndSilhouetteType(), member.GetOptionType(), member.GetPercent(),
                      member.GetNumOfPeople());
}

TEST(TheaterRecords, CustomerTableHasOnePersonAndACouple)
{
    WbParsed<std::vector<WbTenantMemberDef>> members = WbReadMemberTable(TmdfFixture());
    ASSERT_TRUE(members) << members.GetError();
    ASSERT_EQ(members->size(), 2u);
    EXPECT_EQ(MemberFields((*members)[0]), std::tuple("", 4, 18, 18, 1, 0, 1));
    EXPECT_EQ(MemberFields((*members)[1]), std::tuple("", 4, 19, 19, 2, 0, 2));
    // No kind names a percentage, so each gets an equal share of the callers.
    EXPECT_FLOAT_EQ((*members)[0].GetRate(), 0.5f);
    EXPECT_FLOAT_EQ((*members)[1].GetRate(), 0.5f);

    // Otherwise each kind's rate is its percentage.
    members = WbReadMemberTable(Patched(Patched(TmdfFixture(), 39, {70}), 65, {30}));
    ASSERT_TRUE(members) << members.GetError();
    EXPECT_FLOAT_EQ((*members)[0].GetRate(), 0.7f);
    EXPECT_FLOAT_EQ((*members)[1].GetRate(), 0.3f);
}

TEST(TheaterRecords, RemarksAreFiveTexts)
{
    WbParsed<std::vector<WbRemark>> remarks = WbReadRemarks(WodfFixture());
    ASSERT_TRUE(remarks) << remarks.GetError();
    ASSERT_EQ(remarks->size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ((*remarks)[i].text, kRemarkTexts[i]);
        EXPECT_EQ((*remarks)[i].values, (std::array<int32_t, 4>{255, 255, 0, 0}));
    }
}

template <typename T>
std::function<std::string(std::span<const uint8_t>)> ErrorOf(WbParsed<T> (*reader)(std::span<const uint8_t>, uint32_t),
                                                             uint32_t id)
{
    return [reader, id](std::span<const uint8_t> bytes) {
        WbParsed<T> parsed = reader(bytes, id);
        return parsed ? std::string("(accepted)") : parsed.GetError();
    };
}

TEST(TheaterRecords, DamagedRecordsAreRefusedWithFieldAndLimit)
{
    const auto attr = ErrorOf(WbReadAttrRecord, 128);
    const auto desc = ErrorOf(WbReadDescRecord, 128);
    const auto tndf = ErrorOf(WbReadTenantDefRecord, 1);
    const auto tmdf = ErrorOf(WbReadMemberTable, 1);
    const auto wodf = ErrorOf(WbReadRemarks, 1);
    struct Case {
        const char* what;
        std::function<std::string(std::span<const uint8_t>)> read;
        std::vector<uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", tndf, {}, "TNDF 1: 0 bytes, expected at least 1 for the version at offset 0"},
        {"one byte short", tndf, Truncated(TndfFixture(), 337),
         "TNDF 1: 337 bytes, expected at least 338 for the end bytes at offset 337"},
        {"one byte more", tndf, Extended(TndfFixture(), {0}), "TNDF 1: 339 bytes, expected 338"},
        {"version 2", tndf, Patched(TndfFixture(), 0, {2}), "TNDF 1: version 2 at offset 0, expected 1"},
        {"zero width", tndf, Patched(TndfFixture(), 5, {0}), "TNDF 1: width 0 at offset 5, expected 1 to 1024"},
        {"negative height", tndf, Patched(TndfFixture(), 9, {0xFF, 0xFF, 0xFF, 0xFF}),
         "TNDF 1: height -1 at offset 9, expected 1 to 64"},
        {"text without NUL", tndf, Patched(TndfFixture(), 76, {'!'}),
         "TNDF 1: category description at offset 21 is not ended by a NUL (byte 33 after its 54 characters)"},
        {"text past the end", tndf, Patched(TndfFixture(), 125, {250}),
         "TNDF 1: 338 bytes, expected at least 377 for the price text at offset 125"},
        {"opening minute 1440", tndf, Patched(TndfFixture(), 308, {0xA0, 0x05}),
         "TNDF 1: opening minute 1440 at offset 308, expected 0 to 1439"},
        {"end bytes not zero", tndf, Patched(TndfFixture(), 336, {1}),
         "TNDF 1: end bytes 1, 0 at offset 336, expected 0, 0"},
        {"description cut", desc, Truncated(DescFixture(), 8),
         "DESC 128: 8 bytes, expected at least 9 for the value at offset 5"},
        {"attribute name cut", attr, Truncated(AttrFixture(), 43),
         "ATTR 128: 43 bytes, expected at least 44 for the name at offset 29"},
        {"negative entry count", tmdf, Patched(TmdfFixture(), 17, {0xFF, 0xFF, 0xFF, 0xFF}),
         "TMDF 1: number of entries -1 at offset 17, expected 0 or more"},
        {"entry count past the record", tmdf, Patched(TmdfFixture(), 17, {3}),
         "TMDF 1: number of entries 3 at offset 17, the record has room for at most 2"},
        {"huge entry count", tmdf, Patched(TmdfFixture(), 17, {0xFF, 0xFF, 0xFF, 0x7F}),
         "TMDF 1: number of entries 2147483647 at offset 17, the record has room for at most 2"},
        {"nobody in a group", tmdf, Patched(TmdfFixture(), 69, {0}),
         "TMDF 1: entry 2 number of people 0 at offset 69, expected 1 to 2147483647"},
        {"percent above 100", tmdf, Patched(TmdfFixture(), 39, {101}),
         "TMDF 1: entry 1 percent 101 at offset 39, expected 0 to 100"},
        {"percentages above 100", tmdf, Patched(Patched(TmdfFixture(), 39, {60}), 65, {60}),
         "TMDF 1: percentages add up to 120, expected at most 100"},
        {"one remark too many", wodf, Patched(WodfFixture(), 1, {6}),
         "WODF 1: 213 bytes, expected at least 217 for the remark 6 number at offset 213"},
        {"one remark too few", wodf, Patched(WodfFixture(), 1, {4}), "WODF 1: 213 bytes, expected 173"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.read(c.bytes), c.error);
    }
}

} // namespace

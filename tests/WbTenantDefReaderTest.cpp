// A tenant definition read from its module: the theater's values, customers, remarks and pictures all come
// from the resources, and a damaged resource leaves the definition empty with the reason.
#include "WbTenantDefReader.h"
#include "TheaterResourceFixtures.h"
#include "WbFourCC.h"
#include "WbTenantDef.h"
#include "WbTheaterDef.h"
#include "WbTheaterPlugin.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(TenantDefReader, TheTheaterComesFromItsModule)
{
    TheaterResFile resources;
    WbPluginSpecifier specifier;
    WbTheaterPlugin plugin(WbFourCC("TnPl"), specifier);
    const WbTheaterDef def(WbFourCC("TnDf"), specifier, resources.Get(), nullptr, &plugin);
    ASSERT_EQ(def.GetResourceError(), "");
    EXPECT_EQ(def.CalcEquipRect(), (RECT{0, 0, 31, 3}));
    EXPECT_EQ(def.GetDefData().closeMinute, 1320u);
    EXPECT_NE(def.GetSubPluginList(), nullptr) << "the definition collects 'MoPI' films";
    EXPECT_EQ(def.GetMemberDefs().size(), 2u);
    ASSERT_EQ(def.GetRemarks().size(), 5u);
    EXPECT_EQ(def.GetRemarks()[4].text, "I hope it will be fun.");

    // Every part of the five maps, over its own bitmap.
    const WbImageObj& images = *def.GetImageObj();
    EXPECT_EQ(images.GetPartCount(), 19);
    struct Lookup {
        uint32_t id;
        int32_t pattern;
        int width, height, bitmapWidth;
    };
    for (const Lookup& lookup :
         {Lookup{100, 300, 248, 96, 248}, Lookup{100, 303, 248, 96, 248}, Lookup{101, 900, 26, 26, 26},
          Lookup{101, 1, 26, 26, 26}, Lookup{101, 10302, 248, 108, 232}, Lookup{101, 30300, 248, 108, 248}}) {
        SCOPED_TRACE("object " + std::to_string(lookup.id) + " pattern " + std::to_string(lookup.pattern));
        const int index = images.FindObject(lookup.id, lookup.pattern, 0, 0, 255);
        ASSERT_GE(index, 0);
        const RECT rect = images.GetObjectImage(index);
        EXPECT_EQ(rect.right - rect.left, lookup.width);
        EXPECT_EQ(rect.bottom - rect.top, lookup.height);
        EXPECT_EQ(images.GetPart(index).image->GetWidth(), lookup.bitmapWidth);
    }
    // The frame of the running film is the tenant's pattern 100 x height + 3.
    EXPECT_EQ(images.GetPart(images.FindObject(100, 303, 0, 0, 255)).rect, (RECT{0, 288, 248, 384}));
}

// The entries with one resource left out (no data given) or its data replaced.
std::vector<ResEntryCopy> Edited(std::vector<ResEntryCopy> entries, const char* type, uint16_t typeNumber, uint16_t id,
                                 std::optional<std::vector<uint8_t>> data = std::nullopt)
{
    auto matches = [&](const ResEntryCopy& entry) {
        return (type ? entry.type.Is(type) : entry.type.Is(typeNumber)) && entry.name.Is(id);
    };
    if (!data)
        std::erase_if(entries, matches);
    for (ResEntryCopy& entry : entries)
        if (matches(entry))
            entry.data = *data;
    return entries;
}

TEST(TenantDefReader, ADamagedResourceLeavesTheDefinitionEmptyWithTheReason)
{
    const std::vector<ResEntryCopy> good = TheaterResEntries();
    ASSERT_FALSE(good.empty());
    const std::vector<uint8_t> map1001 = Bytes(TheaterResFile().Get()->Find("OBJMAP", 1001));
    std::string octalLooking(map1001.begin(), map1001.end());
    octalLooking.replace(octalLooking.find("0010301"), 7, "001O301");

    struct Case {
        const char* what;
        std::vector<ResEntryCopy> entries;
        const char* error;
    };
    const Case cases[] = {
        {"no definition record", Edited(good, "TNDF", 0, 1), "the module has no TNDF 1"},
        {"a cut definition record", Edited(good, "TNDF", 0, 1, Truncated(TndfFixture(), 337)),
         "TNDF 1: 337 bytes, expected at least 338 for the end bytes at offset 337"},
        {"a damaged customer table", Edited(good, "TMDF", 0, 1, Patched(TmdfFixture(), 0, {2})),
         "TMDF 1: version 2 at offset 0, expected 1"},
        {"no tower picture", Edited(good, nullptr, kResTypeBitmap, 1000), "the module has no bitmap 1000"},
        {"a map without its bitmap", Edited(good, nullptr, kResTypeBitmap, 1002), "the module has no bitmap 1002"},
        {"a bitmap without its map", Edited(good, "OBJMAP", 0, 1003), "the module has no OBJMAP 1003"},
        {"a damaged map",
         Edited(good, "OBJMAP", 0, 1001, std::vector<uint8_t>(octalLooking.begin(), octalLooking.end())),
         "OBJMAP 1001: line 8: Pattern '001O301' is not a decimal number up to 2147483647"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TheaterResFile resources(WriteResFile(c.entries));
        WbPluginSpecifier specifier;
        WbTheaterPlugin plugin(WbFourCC("TnPl"), specifier);
        const WbTheaterDef def(WbFourCC("TnDf"), specifier, resources.Get(), nullptr, &plugin);
        EXPECT_EQ(def.GetResourceError(), c.error);
        EXPECT_EQ(def.GetImageObj(), nullptr) << "nothing of a damaged module is taken";
        EXPECT_EQ(def.GetDefData().closeMinute, 0u);
    }

    // The module's own resources, written back the same way, are read in full.
    TheaterResFile rewritten(WriteResFile(good));
    WbParsed<WbTenantResources> read = WbReadTenantResources(*rewritten.Get());
    EXPECT_TRUE(read) << read.GetError();
}

} // namespace

// A tenant definition takes all from its module's resources, or nothing and the reason when one is damaged.
#include "WbTenantDefReader.h"
#include "TheaterResourceFixtures.h"
#include "WbFourCC.h"
#include "WbTenantDef.h"
#include "WbTheaterDef.h"
#include "WbTheaterPlugin.h"

#include <gtest/gtest.h>

namespace {

// The definition the module's program plug-in makes over these resources.
struct TheaterDefOver {
    explicit TheaterDefOver(std::vector<uint8_t> bytes = Bytes(TheaterResourceBytes())) : resources(std::move(bytes)) {}
    TheaterResFile resources;
    WbPluginSpecifier specifier;
    WbTheaterPlugin plugin{WbFourCC("TnPl"), specifier};
    const WbTheaterDef def{WbFourCC("TnDf"), specifier, resources.Get(), nullptr, &plugin};
};

TEST(TenantDefReader, TheTheaterComesFromItsModule)
{
    const TheaterDefOver theater;
    const WbTheaterDef& def = theater.def;
    ASSERT_EQ(def.GetResourceError(), "");
    EXPECT_EQ(def.CalcEquipRect(), (RECT{0, 0, 31, 3}));
    EXPECT_EQ(def.GetDefData().closeMinute, 1320u);
    EXPECT_EQ(def.GetMemberDefs().size(), 2u);
    ASSERT_EQ(def.GetRemarks().size(), 5u);
    EXPECT_EQ(def.GetRemarks()[4].text, "I hope it will be fun.");

    // Every part of the five maps, over its own bitmap. The frame of the running film is the tenant's
    // pattern 100 x height + 3. The outside views' patterns are written with leading zeros ("0010300") and
    // read as decimal: 10300, not the octal 4288.
    const WbImageObj& images = *def.GetImageObj();
    EXPECT_EQ(images.GetPartCount(), 19);
    for (const auto& [id, pattern, rect, bitmapWidth] :
         {std::tuple(100u, 300, RECT{0, 0, 248, 96}, 248), std::tuple(100u, 303, RECT{0, 288, 248, 384}, 248),
          std::tuple(101u, 900, RECT{0, 0, 26, 26}, 26), std::tuple(101u, 1, RECT{0, 104, 26, 130}, 26),
          std::tuple(101u, 10302, RECT{0, 216, 248, 324}, 232), std::tuple(101u, 30300, RECT{0, 0, 248, 108}, 248)}) {
        SCOPED_TRACE("object " + std::to_string(id) + " pattern " + std::to_string(pattern));
        const int index = images.FindObject(id, pattern, 0, 0, 255);
        ASSERT_GE(index, 0);
        EXPECT_EQ(images.GetPart(index).rect, rect);
        EXPECT_EQ(images.GetPart(index).image->GetWidth(), bitmapWidth);
    }
}

// The module's resources (or an edit of them) with bytes of one entry changed, counted from its header: the
// data size at 0, the type at 8 (a name's first character, or 0xFFFF and the number at 10), the data after it.
std::vector<uint8_t> Edited(const char* type, uint16_t typeNumber, uint32_t id, size_t at,
                            std::initializer_list<uint8_t> with,
                            std::vector<uint8_t> bytes = Bytes(TheaterResourceBytes()))
{
    const WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(TheaterResourceBytes());
    const WbResEntry* entry = type ? WbFindResEntry(*entries, type, id) : WbFindResEntry(*entries, typeNumber, id);
    return entry ? Patched(std::move(bytes), entry->offset + at, with) : std::vector<uint8_t>();
}

TEST(TenantDefReader, ADamagedResourceLeavesTheDefinitionEmptyWithTheReason)
{
    const DamagedCase cases[] = {
        {"no definition record", Edited("TNDF", 0, 1, 8, {'X'}), "the module has no TNDF 1"},
        // 337 bytes of data instead of 338: the padding keeps the next entry where it was.
        {"a cut definition record", Edited("TNDF", 0, 1, 0, {0x51, 0x01}),
         "TNDF 1: 337 bytes, expected at least 338 for the end bytes at offset 337"},
        {"a damaged customer table", Edited("TMDF", 0, 1, 40, {2}), "TMDF 1: version 2 at offset 0, expected 1"},
        {"neither map nor bitmap of the tower picture",
         Edited("OBJMAP", 0, 1000, 8, {'X'}, Edited(nullptr, kResTypeBitmap, 1000, 10, {99})),
         "the module has no OBJMAP 1000"},
        {"a map without its bitmap", Edited(nullptr, kResTypeBitmap, 1002, 10, {99}), "the module has no bitmap 1002"},
        {"a bitmap without its map", Edited("OBJMAP", 0, 1003, 8, {'X'}), "the module has no OBJMAP 1003"},
        {"a damaged map", Replaced(TheaterResourceBytes(), "0010301", "001O301"),
         "OBJMAP 1001: line 8: Pattern '001O301' is not a decimal number up to 2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TheaterDefOver theater(c.bytes);
        EXPECT_EQ(theater.def.GetResourceError(), c.error);
        EXPECT_EQ(theater.def.GetImageObj(), nullptr) << "nothing of a damaged module is taken";
        EXPECT_EQ(theater.def.GetDefData().closeMinute, 0u);
    }
}

} // namespace

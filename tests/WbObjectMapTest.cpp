// Object maps: the module's five maps give exactly their parts; damaged maps are refused by line.
#include "WbObjectMap.h"
#include "TheaterResourceFixtures.h"
#include "WbBitmapReader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace {

struct ExpectedPart {
    uint32_t map;
    const char* name;
    std::optional<uint32_t> id;
    std::optional<int32_t> pattern;
    RECT rect;
    bool halftone;
};

// One row per part, in map order. The OutView patterns are written with leading zeros ("0010300") and
// read as decimal: 10300, not the octal 4288.
const ExpectedPart kParts[] = {
    {100, "Category", 101, 900, {0, 0, 26, 26}, false},
    {100, "Category", 101, 901, {0, 26, 26, 52}, false},
    {100, "Category", 101, 902, {0, 52, 26, 78}, false},
    {100, "Movie Theater", 101, 0, {0, 78, 26, 104}, false},
    {100, "Movie Theater", 101, 1, {0, 104, 26, 130}, false},
    {1000, "Csr", std::nullopt, std::nullopt, {0, 0, 248, 96}, true},
    {1000, "View", 100, 300, {0, 0, 248, 96}, false},
    {1000, "View", 100, 301, {0, 96, 248, 192}, false},
    {1000, "View", 100, 302, {0, 192, 248, 288}, false},
    {1000, "View", 100, 303, {0, 288, 248, 384}, false},
    {1001, "OutView", 101, 10300, {0, 0, 248, 108}, false},
    {1001, "OutView", 101, 10301, {0, 108, 248, 216}, false},
    {1001, "OutView", 101, 10302, {0, 216, 248, 324}, false},
    {1002, "OutView", 101, 20300, {0, 0, 248, 108}, false},
    {1002, "OutView", 101, 20301, {0, 108, 248, 216}, false},
    {1002, "OutView", 101, 20302, {0, 216, 248, 324}, false},
    {1003, "OutView", 101, 30300, {0, 0, 248, 108}, false},
    {1003, "OutView", 101, 30301, {0, 108, 248, 216}, false},
    {1003, "OutView", 101, 30302, {0, 216, 248, 324}, false},
};

TEST(TheaterObjectMaps, GiveTheirParts)
{
    TheaterResFile resources;
    size_t row = 0;
    for (uint32_t map : {100u, 1000u, 1001u, 1002u, 1003u}) {
        WbParsed<std::vector<WbObjectMapPart>> parts = WbParseObjectMap(resources.Get()->Find("OBJMAP", map), map);
        ASSERT_TRUE(parts) << parts.GetError();
        for (const WbObjectMapPart& part : *parts) {
            ASSERT_LT(row, std::size(kParts)) << "OBJMAP " << map << " has more parts than expected";
            const ExpectedPart& expected = kParts[row++];
            SCOPED_TRACE("OBJMAP " + std::to_string(map) + " part " + part.name);
            EXPECT_EQ(std::tuple(map, std::string(part.name), part.id, part.pattern, part.rect, part.halftone),
                      std::tuple(expected.map, expected.name, expected.id, expected.pattern, expected.rect,
                                 expected.halftone));
        }
    }
    EXPECT_EQ(row, std::size(kParts));
}

std::vector<uint8_t> Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return {text.begin(), text.end()};
}

TEST(ObjectMap, DamagedMapsAreRefusedWithTheirLine)
{
    TheaterResFile resources;
    const std::span<const uint8_t> good = resources.Get()->Find("OBJMAP", 1000);
    const std::string map(good.begin(), good.end());
    // Lines of map 1000: 1 to 3 the Csr part, 4 to 8 View 300, 9 to 13 View 301, ..., 24 End.
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
        {"a bare LF", Replaced(map, "Csr\r\n", "Csr\n"), "OBJMAP 1000: line 1: holds a stray CR, LF or NUL"},
        {"a NUL inside", Replaced(map, "Csr", std::string("C\0r", 3)),
         "OBJMAP 1000: line 1: holds a stray CR, LF or NUL"},
        {"no End", Replaced(map, "End\r\n", ""), "OBJMAP 1000: no End line"},
        {"End without CR LF", Replaced(map, "End\r\n", "End"), "OBJMAP 1000: line 24: does not end with CR LF"},
        {"a line after End", Replaced(map, "End\r\n", "End\r\n\r\n"), "OBJMAP 1000: line 25: follows the End line"},
        {"unknown keyword", Replaced(map, "Pattern", "Patern"), "OBJMAP 1000: line 6: unknown keyword 'Patern'"},
        {"pattern not decimal", Replaced(map, "\t300", "\t3O0"),
         "OBJMAP 1000: line 6: Pattern '3O0' is not a decimal number up to 2147483647"},
        {"pattern too large", Replaced(map, "\t300", "\t2147483648"),
         "OBJMAP 1000: line 6: Pattern '2147483648' is not a decimal number up to 2147483647"},
        {"negative ID", Replaced(map, "\t100", "\t-100"),
         "OBJMAP 1000: line 5: ID '-100' is not a decimal number up to 4294967295"},
        {"three numbers", Replaced(map, "Rect 0,0,248,96\r\n", "Rect 0,0,248\r\n"),
         "OBJMAP 1000: line 7: Rect '0,0,248' is not four decimal numbers separated by commas"},
        {"empty rectangle", Replaced(map, "Rect 0,96,248,192", "Rect 0,96,248,96"),
         "OBJMAP 1000: line 12: Rect 0,96,248,96 is empty"},
        {"not a Rect", Replaced(map, "Rect 0,0,248,96\r\n", "Box 0,0,248,96\r\n"),
         "OBJMAP 1000: line 7: List is 'Box 0,0,248,96', expected 'Rect left,top,right,bottom'"},
        {"part without its Rect", Replaced(map, "\t\tList\tRect 0,0,248,96 Halftone\r\n", ""),
         "OBJMAP 1000: line 2: part 'Csr' (line 1) ends without its List Rect"},
        {"part not closed", Replaced(map, "Halftone\r\n\r\n", "Halftone\r\n"),
         "OBJMAP 1000: line 3: part 'Csr' (line 1) is not closed by an empty line"},
        {"second ID", Replaced(map, "\t\tID\t100\r\n", "\t\tID\t100\r\n\t\tID\t100\r\n"),
         "OBJMAP 1000: line 6: part 'View' has a second ID"},
        {"field outside a part", Replaced(map, "DefParts\tName\tCsr\r\n", ""),
         "OBJMAP 1000: line 1: part field outside a part"},
        {"DefParts without Name", Replaced(map, "DefParts\tName\tCsr", "DefParts\tCsr"),
         "OBJMAP 1000: line 1: expected 'DefParts<tab>Name<tab>name' or 'End', found 'DefParts\tCsr'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WbParsed<std::vector<WbObjectMapPart>> parts = WbParseObjectMap(c.bytes, 1000);
        EXPECT_EQ(parts ? std::string("(accepted)") : parts.GetError(), c.error);
    }
}

TEST(ObjectMap, PartsMustStartInsideTheirBitmap)
{
    WbObjectMapPart inside;
    inside.name = "OutView";
    inside.rect = RECT{0, 0, 248, 108}; // wider than its 232-pixel bitmap: the rest is not drawn
    WbObjectMapPart outside = inside;
    outside.rect = RECT{232, 0, 480, 108};
    outside.line = 9;

    WbImageObj images;
    WbParsed<int> added = WbAddObjectMap(images, {inside}, std::make_unique<WbBitImage>(232, 324), 1001);
    ASSERT_TRUE(added) << added.GetError();
    EXPECT_EQ(images.GetPartCount(), 1);
    EXPECT_EQ(images.GetObjectImage(0), (RECT{0, 0, 248, 108}));

    WbParsed<int> refused = WbAddObjectMap(images, {inside, outside}, std::make_unique<WbBitImage>(232, 324), 1001);
    EXPECT_EQ(refused ? std::string("(accepted)") : refused.GetError(),
              "OBJMAP 1001: part 2 'OutView' (line 9) starts at 232,0, outside bitmap 1001 (232 x 324)");
    EXPECT_EQ(images.GetPartCount(), 1) << "a refused map adds nothing";
}

} // namespace

// Object maps: the module's five maps give exactly their parts; damaged maps are refused by line.
#include "WbObjectMap.h"
#include "AllocationHook.h"
#include "TheaterResourceFixtures.h"
#include "WbBitmapReader.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The tower picture's map, a row per part in map order; the definition's tests find the other maps' parts.
TEST(TheaterObjectMaps, GiveTheirParts)
{
    using Part = std::tuple<std::string, std::optional<uint32_t>, std::optional<int32_t>, RECT, bool>;
    const std::vector<Part> expected = {
        {"Csr", std::nullopt, std::nullopt, {0, 0, 248, 96}, true}, // only the cursor is drawn in halftone
        {"View", 100, 300, {0, 0, 248, 96}, false},
        {"View", 100, 301, {0, 96, 248, 192}, false},
        {"View", 100, 302, {0, 192, 248, 288}, false},
        {"View", 100, 303, {0, 288, 248, 384}, false},
    };
    WbParsed<std::vector<WbObjectMapPart>> read = WbParseObjectMap(TheaterRecord("OBJMAP", 1000), 1000);
    ASSERT_TRUE(read) << read.GetError();
    std::vector<Part> parts;
    for (const WbObjectMapPart& part : *read)
        parts.emplace_back(part.name, part.id, part.pattern, part.rect, part.halftone);
    EXPECT_EQ(parts, expected);
}

TEST(ObjectMap, DamagedMapsAreRefusedWithTheirLine)
{
    const std::vector<uint8_t> map = Bytes(TheaterResFile().Get()->Find("OBJMAP", 1000));
    // Lines of map 1000: 1 to 3 the Csr part, 4 to 8 View 300, 9 to 13 View 301, ..., 24 End.
    ExpectRefused(
        {
            {"a bare LF", Replaced(map, "Csr\r\n", "Csr\n"), "OBJMAP 1000: line 1: holds a stray CR, LF or NUL"},
            {"no End", Replaced(map, "End\r\n", ""), "OBJMAP 1000: no End line"},
            {"End without CR LF", Replaced(map, "End\r\n", "End"), "OBJMAP 1000: line 24: does not end with CR LF"},
            {"a line after End", Replaced(map, "End\r\n", "End\r\n\r\n"), "OBJMAP 1000: line 25: follows the End line"},
            {"unknown keyword", Replaced(map, "Pattern", "Patern"), "OBJMAP 1000: line 6: unknown keyword 'Patern'"},
            {"pattern not decimal", Replaced(map, "\t300", "\t3O0"),
             "OBJMAP 1000: line 6: Pattern '3O0' is not a decimal number up to 2147483647"},
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
            {"second ID", Replaced(map, "\t\tID\t100\r\n", "\t\tID\t100\r\n\t\tID\t100\r\n"),
             "OBJMAP 1000: line 6: part 'View' has a second ID"},
            {"field outside a part", Replaced(map, "DefParts\tName\tCsr\r\n", ""),
             "OBJMAP 1000: line 1: part field outside a part"},
            {"DefParts without Name", Replaced(map, "DefParts\tName\tCsr", "DefParts\tCsr"),
             "OBJMAP 1000: line 1: expected 'DefParts<tab>Name<tab>name' or 'End', found 'DefParts\\x09Csr'"},
            // A part not closed; the map's own text is shown escaped: a control byte, a byte beyond ASCII, a quote, a
            // backslash.
            {"damaged part name", Replaced(Replaced(map, "Csr", "C\x1B'\\\xFF"), "Halftone\r\n\r\n", "Halftone\r\n"),
             "OBJMAP 1000: line 3: part 'C\\x1B\\'\\\\\\xFF' (line 1) is not closed by an empty line"},
        },
        [](auto bytes) { return WbParseObjectMap(bytes, 1000); });
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
    EXPECT_EQ(ErrorOf(WbAddObjectMap(images, {inside}, std::make_unique<WbBitImage>(232, 324), 1001)), "(accepted)");
    EXPECT_EQ(ErrorOf(WbAddObjectMap(images, {inside, outside}, std::make_unique<WbBitImage>(232, 324), 1001)),
              "OBJMAP 1001: part 2 'OutView' (line 9) starts at 232,0, outside bitmap 1001 (232 x 324)");
    EXPECT_EQ(images.GetPartCount(), 1) << "a refused map adds nothing";
    EXPECT_EQ(images.GetObjectImage(0), (RECT{0, 0, 248, 108}));
}

// Memory running out while the images take a map's parts frees the bitmap (the sanitizer build finds leaks).
TEST(ObjectMap, RunningOutOfMemoryLosesNoBitmap)
{
    const std::vector<WbObjectMapPart> parts{
        {.name = "frame", .id = std::nullopt, .pattern = std::nullopt, .rect = RECT{0, 0, 2, 2}}};
    int attempts = 0;
    for (bool failed = true; failed; ++attempts) {
        WbImageObj images;
        auto bitmap = std::make_unique<WbBitImage>(2, 2);
        AllocationHook::Arm(attempts + 1);
        try {
            WbAddObjectMap(images, parts, std::move(bitmap), 1);
        } catch (const std::bad_alloc&) {
        }
        failed = AllocationHook::Disarm();
    }
    EXPECT_GT(attempts, 2) << "the images' lists and the part's name allocate";
}

} // namespace

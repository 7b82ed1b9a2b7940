// The module's compiled resource file: every resource under its type and ID; damaged files refused with where.
#include "WbResParser.h"
#include "TheaterResourceFixtures.h"
#include "WbModuleLoader.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

TEST(TheaterResFile, CarriesEveryResourceUnderItsTypeIdAndSize)
{
    WbWorldDef world;
    WbLoadResult loaded = WbLoadPluginModule(THEATER_BIN_DIR "/Theater.wbp", &world);
    ASSERT_TRUE(loaded.module) << loaded.error;
    const CResFile resFile(loaded.module->GetModuleHandle());
    EXPECT_EQ(resFile.GetError(), "");
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(loaded.module->GetModuleHandle()->resources);
    ASSERT_TRUE(entries) << entries.GetError();
    EXPECT_EQ(entries->size(), TheaterInventory().size()) << "the module carries resources nobody asked for";
    for (const WbResEntry& entry : *entries)
        EXPECT_EQ(entry.language, 0) << entry.type.Describe() << " " << entry.name.Describe() << " is not neutral";
    // Each resource under its type and ID, with its size and bytes.
    for (const ExpectedResource& expected : TheaterInventory()) {
        SCOPED_TRACE(std::string(expected.printedType) + " " + std::to_string(expected.id));
        const std::span<const uint8_t> bytes = expected.typeNumber ? resFile.Find(expected.typeNumber, expected.id)
                                                                   : resFile.Find(expected.printedType, expected.id);
        EXPECT_EQ(bytes.size(), expected.size);
        EXPECT_EQ(crc32(0, bytes.data(), uInt(bytes.size())), expected.crc32);
    }
    EXPECT_EQ(resFile.Find("tndf", 1).size(), 338u) << "type names match in any case";
    EXPECT_TRUE(resFile.Find("TNDF", 2).empty());
    EXPECT_TRUE(resFile.Find("TNDX", 1).empty());
    EXPECT_TRUE(resFile.Find(kResTypeBitmap, 1).empty());
    EXPECT_TRUE(resFile.Find("TNDF", 0x10001).empty()) << "IDs above 16 bits name no resource";
}

// A .res with its empty entry, a type by name and a string block by number, the last entry unpadded:
std::vector<uint8_t> SmallResFixture()
{
    const std::vector<uint8_t> words = Words({
        0,          32,         0x0000FFFF, 0x0000FFFF, 0, 0, 0, 0, // 0: the empty entry
        3,          40,         0x004E0054, 0x00460044, // 32: entry 1: data size, header size, type "TNDF" in UTF-16
        0xFFFF0000, 0x00000001,                // 48: its NUL, the name's number marker, name 1, two bytes padding
        0,          0,          0,          0, // 56: data version, flags, language, version...
        0x00030201,                            // 72: three data bytes and a padding byte
        3,          32,         0x0006FFFF, 0x0040FFFF, 0, 0, 0, 0, // 76: entry 2: string block 64
    });
    return Extended(words, {7, 8, 9}); // 108: three data bytes, unpadded at the end
}

TEST(ResFileParser, ReadsEachEntryAndRefusesDamagedFilesWithEntryAndOffset)
{
    const std::vector<uint8_t> good = SmallResFixture(); // the entries' data points into it
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(good);
    ASSERT_TRUE(entries) << entries.GetError();
    ASSERT_EQ(entries->size(), 2u);
    const WbResEntry& first = (*entries)[0];
    const WbResEntry& second = (*entries)[1];
    EXPECT_EQ(std::tuple(first.type.Describe(), first.name.Describe(), Bytes(first.data)),
              std::tuple("TNDF", "1", std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(second.type.Is(kResTypeString));
    EXPECT_EQ(std::tuple(second.offset, Bytes(second.data)), std::tuple(76u, std::vector<uint8_t>{7, 8, 9}));

    // Damaged files are refused with the entry and its offset.
    std::vector<uint8_t> nameless = good;
    std::fill(nameless.begin() + 40, nameless.begin() + 72, uint8_t('A'));
    ExpectRefused(
        {
            {"shorter than the empty entry", Truncated(good, 10),
             ".res: 10 bytes, a .res file opens with a 32-byte empty entry"},
            {"first entry not empty", Patched(good, 0, {1}),
             ".res: the first entry has data size 1 and header size 32, expected the empty entry (0 and 32)"},
            {"header too small", Patched(good, 36, {20}),
             ".res: entry 1 at offset 32: header size 20, expected at least 32"},
            {"header past the end", Patched(good, 36, {0xFF, 0xFF}),
             ".res: entry 1 at offset 32: header size 65535 runs past the end (79 bytes left)"},
            {"header size disagrees with its fields", Patched(good, 36, {32}),
             ".res: entry 1 at offset 32: header size 32, but its fields take 40"},
            {"type name without NUL", nameless,
             ".res: entry 1 at offset 32: the type name at offset 40 has no terminating NUL inside the header"},
            {"last data cut", Truncated(good, 110),
             ".res: entry 2 at offset 76: data size 3 runs past the end (2 bytes left)"},
            {"stray bytes after the last entry", Extended(good, {0, 0, 0, 0}),
             ".res: entry 3 at offset 112: 3 bytes left, an entry header needs at least 8"},
        },
        WbParseResFile);

    // A module with such resources finds nothing in them, and says why: here data past the end.
    const std::vector<uint8_t> damaged = Patched(good, 32, {100});
    WbModule module{.path = "Damaged.wbp", .resources = damaged};
    EXPECT_TRUE(CResFile(&module).Find("TNDF", 1).empty());
    EXPECT_EQ(CResFile(&module).GetError(),
              "Damaged.wbp: .res: entry 1 at offset 32: data size 100 runs past the end (39 bytes left)");
    WbModule bare{.path = "Bare.wbp", .resources = {}};
    EXPECT_EQ(CResFile(&bare).GetError(), "Bare.wbp: the module carries no resources");
}

} // namespace

// The module's compiled resource file: every resource under its type, ID and size, found through the
// loaded module's record in the chain of resource modules; damaged files are refused with where and why.
#include "WbResParser.h"
#include "TheaterResourceFixtures.h"
#include "WbModuleLoader.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>

namespace {

std::vector<uint8_t> SourceFile(const std::string& path)
{
    std::ifstream file(THEATER_SOURCE_DIR "/" + path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

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
    for (const ExpectedResource& expected : TheaterInventory()) {
        SCOPED_TRACE(std::string(expected.printedType) + " " + std::to_string(expected.id));
        EXPECT_EQ((expected.typeNumber ? resFile.Find(expected.typeNumber, expected.id)
                                       : resFile.Find(expected.printedType, expected.id))
                      .size(),
                  expected.size);
    }
    // The records byte for byte (type names match in any case), the templates as they stand in the tree.
    for (const auto& [type, id, bytes] :
         {std::tuple("ATTR", 128, AttrFixture()), std::tuple("DESC", 128, DescFixture()),
          std::tuple("tndf", 1, TndfFixture()), std::tuple("TMDF", 1, TmdfFixture()),
          std::tuple("WODF", 1, WodfFixture()), std::tuple("WBDLG", 1000, SourceFile("resources/templates/1000.wbdlg")),
          std::tuple("WBDLG", 2000, SourceFile("resources/templates/2000.wbdlg"))})
        EXPECT_EQ(Bytes(resFile.Find(type, id)), bytes) << type << " " << id;
    EXPECT_TRUE(resFile.Find("TNDF", 2).empty());
    EXPECT_TRUE(resFile.Find("TNDX", 1).empty());
    EXPECT_TRUE(resFile.Find(kResTypeBitmap, 1).empty());
    EXPECT_TRUE(resFile.Find("TNDF", 0x10001).empty()) << "IDs above 16 bits name no resource";
}

// Text as the UTF-16LE bytes a version record stores, NUL included.
std::vector<uint8_t> Utf16Z(std::u16string_view text)
{
    std::vector<uint8_t> out;
    for (char16_t c : std::u16string(text) + u'\0')
        out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
    return out;
}

bool Contains(std::span<const uint8_t> haystack, const std::vector<uint8_t>& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

TEST(TheaterResFile, VersionRecordNamesTheModuleAndItsVersion)
{
    TheaterResFile resources;
    const std::span<const uint8_t> version = resources.Get()->Find(kResTypeVersion, 1);
    ASSERT_EQ(version.size(), 756u);
    // The fixed file information follows the record's header and its key "VS_VERSION_INFO", at offset 40.
    ASSERT_TRUE(Contains(version.first(40), Utf16Z(u"VS_VERSION_INFO")));
    const std::vector<uint8_t> fixed = RecordBuilder()
                                           .Ints({0xFEEF04BD, 0x00010000}) // 40: signature, structure version 1.0
                                           .Ints({0x00010001, 0x00010000}) // 48: file version 1.1.1.0
                                           .Ints({0x00010001, 0x00010000}) // 56: product version 1.1.1.0
                                           .Ints({0x3F, 0})                // 64: file flags mask, file flags
                                           .Int(4)                         // 72: 32-bit Windows
                                           .Ints({2, 0})                   // 76: a dynamic library, subtype 0
                                           .Build();
    EXPECT_EQ(Bytes(version.subspan(40, 44)), fixed);
    // The string block for language 0000, Unicode, and the translation 0x0000, 0x04B0 at the record's end.
    EXPECT_TRUE(Contains(version, Utf16Z(u"000004b0")));
    EXPECT_TRUE(Contains(version, Utf16Z(u"Translation")));
    EXPECT_EQ(Bytes(version.last(4)), (std::vector<uint8_t>{0x00, 0x00, 0xB0, 0x04}));
    for (const auto& [key, value] :
         {std::pair(u"FileDescription", u"Theater 拡張機能 DLL"), std::pair(u"FileVersion", u"1, 1, 1, 0"),
          std::pair(u"InternalName", u"Theater"), std::pair(u"OriginalFilename", u"Theater.DLL"),
          std::pair(u"ProductName", u"Theater ﾀﾞｲﾅﾐｯｸ ﾘﾝｸ ﾗｲﾌﾞﾗﾘ"), std::pair(u"ProductVersion", u"1, 1, 1, 0"),
          std::pair(u"CompanyName", u"Theater Project"), std::pair(u"LegalCopyright", u"(C) Theater Project.")}) {
        const std::vector<uint8_t> keyBytes = Utf16Z(key);
        SCOPED_TRACE(std::string(keyBytes.begin(), keyBytes.end()));
        EXPECT_TRUE(Contains(version, keyBytes));
        EXPECT_TRUE(Contains(version, Utf16Z(value)));
    }
}

// A .res with its empty entry, a custom type by name and a string block by number, the last entry's
// padding left out:
std::vector<uint8_t> SmallResFixture()
{
    return RecordBuilder()
        .Ints({0, 32, 0x0000FFFF, 0x0000FFFF, 0, 0, 0, 0}) // 0: the empty entry
        .Ints({3, 40})                                     // 32: entry 1: data size, header size
        .Ints({0x004E0054, 0x00460044})                    // 40: type "TNDF" in UTF-16
        .Ints({0xFFFF0000})                                // 48: its NUL, then the name's number marker...
        .Ints({0x00000001})                                // 52: ...name 1, then two bytes of padding
        .Ints({0, 0, 0, 0})                                // 56: data version, flags, language, version...
        .Ints({0x00030201})                                // 72: three data bytes and a padding byte
        .Ints({3, 32, 0x0006FFFF, 0x0040FFFF, 0, 0, 0, 0}) // 76: entry 2: string block 64
        .Bytes({7, 8, 9})                                  // 108: three data bytes, unpadded at the end
        .Build();
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
            {"empty", {}, ".res: 0 bytes, a .res file opens with a 32-byte empty entry"},
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
            {"data past the end", Patched(good, 32, {100}),
             ".res: entry 1 at offset 32: data size 100 runs past the end (39 bytes left)"},
            {"last data cut", Truncated(good, 110),
             ".res: entry 2 at offset 76: data size 3 runs past the end (2 bytes left)"},
            {"stray bytes after the last entry", Extended(good, {0, 0, 0, 0}),
             ".res: entry 3 at offset 112: 3 bytes left, an entry header needs at least 8"},
        },
        WbParseResFile);

    // A module with such resources finds nothing in them, and says why.
    const std::vector<uint8_t> damaged = Patched(good, 32, {100});
    WbModule module{.path = "Damaged.wbp", .resources = damaged};
    EXPECT_TRUE(CResFile(&module).Find("TNDF", 1).empty());
    EXPECT_EQ(CResFile(&module).GetError(),
              "Damaged.wbp: .res: entry 1 at offset 32: data size 100 runs past the end (39 bytes left)");
    WbModule bare{.path = "Bare.wbp", .resources = {}};
    EXPECT_EQ(CResFile(&bare).GetError(), "Bare.wbp: the module carries no resources");
}

} // namespace

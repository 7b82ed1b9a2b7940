// The module's compiled resource file: every resource under its type, ID and size, found through the
// loaded module's record in the chain of resource modules; damaged files are refused with where and why.
#include "WbResParser.h"
#include "Afx.h"
#include "CResFile.h"
#include "TheaterResourceFixtures.h"
#include "TheaterResources.h"
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

// Every resource, found through the loaded module's record in the chain as the host finds it.
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
    const std::span<const uint8_t> tndf = resFile.Find("tndf", 1);
    EXPECT_EQ(Bytes(tndf), TndfFixture()) << "type names match in any case";
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
    EXPECT_EQ(Get32(version, 40), 0xFEEF04BDu) << "signature";
    const std::vector<uint8_t> fixed = RecordBuilder()
                                           .Ints({0x00010001, 0x00010000}) // 48: file version 1.1.1.0
                                           .Ints({0x00010001, 0x00010000}) // 56: product version 1.1.1.0
                                           .Ints({0x3F, 0})                // 64: file flags mask, file flags
                                           .Int(4)                         // 72: 32-bit Windows
                                           .Ints({2, 0})                   // 76: a dynamic library, subtype 0
                                           .Build();
    EXPECT_EQ(std::vector<uint8_t>(version.begin() + 48, version.begin() + 84), fixed);

    EXPECT_TRUE(Contains(version, Utf16Z(u"000004b0"))) << "string block for language 0000, Unicode";
    const char16_t* strings[][2] = {
        {u"FileDescription", u"Theater 拡張機能 DLL"},
        {u"FileVersion", u"1, 1, 1, 0"},
        {u"InternalName", u"Theater"},
        {u"OriginalFilename", u"Theater.DLL"},
        {u"ProductName", u"Theater ﾀﾞｲﾅﾐｯｸ ﾘﾝｸ ﾗｲﾌﾞﾗﾘ"},
        {u"ProductVersion", u"1, 1, 1, 0"},
        {u"CompanyName", u"Theater Project"},
        {u"LegalCopyright", u"(C) Theater Project."},
    };
    for (const auto& pair : strings) {
        const std::vector<uint8_t> key = Utf16Z(pair[0]);
        SCOPED_TRACE(std::string(key.begin(), key.end()));
        EXPECT_TRUE(Contains(version, key));
        EXPECT_TRUE(Contains(version, Utf16Z(pair[1])));
    }
    const std::vector<uint8_t> translation{0x00, 0x00, 0xB0, 0x04};
    EXPECT_TRUE(Contains(version, Utf16Z(u"Translation")));
    EXPECT_TRUE(std::equal(translation.begin(), translation.end(), version.end() - 4)) << "0x0000, 0x04B0";
}

TEST(TheaterResFile, DialogTemplatesAreCarriedAsTheyStandInTheTree)
{
    TheaterResFile resources;
    for (uint32_t id : {1000u, 2000u}) {
        SCOPED_TRACE("WBDLG " + std::to_string(id));
        const std::span<const uint8_t> text = resources.Get()->Find("WBDLG", id);
        std::ifstream file(THEATER_SOURCE_DIR "/resources/templates/" + std::to_string(id) + ".wbdlg",
                           std::ios::binary);
        const std::vector<uint8_t> source{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(Bytes(text), source);
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

TEST(ResFileParser, ReadsTypesNamesAndDataOfEachEntry)
{
    const std::vector<uint8_t> bytes = SmallResFixture();
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(bytes);
    ASSERT_TRUE(entries) << entries.GetError();
    ASSERT_EQ(entries->size(), 2u);
    const WbResEntry& first = (*entries)[0];
    const WbResEntry& second = (*entries)[1];
    EXPECT_EQ(std::tuple(first.type.Describe(), first.name.Describe(), Bytes(first.data)),
              std::tuple("TNDF", "1", std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(second.type.Is(kResTypeString));
    EXPECT_EQ(std::tuple(second.offset, Bytes(second.data)), std::tuple(76u, std::vector<uint8_t>{7, 8, 9}));
}

TEST(ResFileParser, DamagedFilesAreRefusedWithEntryAndOffset)
{
    const std::vector<uint8_t> good = SmallResFixture();
    std::vector<uint8_t> nameless = good;
    std::fill(nameless.begin() + 40, nameless.begin() + 72, uint8_t('A'));
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(c.bytes);
        EXPECT_EQ(entries ? std::string("(accepted)") : entries.GetError(), c.error);
    }
}

TEST(ResFileParser, DamagedModuleResourcesFindNothingAndSayWhy)
{
    const std::vector<uint8_t> damaged = Patched(SmallResFixture(), 32, {100});
    WbModule module;
    module.path = "Damaged.wbp";
    module.resources = damaged;
    const CResFile resFile(&module);
    EXPECT_TRUE(resFile.Find("TNDF", 1).empty());
    EXPECT_EQ(resFile.GetError(),
              "Damaged.wbp: .res: entry 1 at offset 32: data size 100 runs past the end (39 bytes left)");

    WbModule bare;
    bare.path = "Bare.wbp";
    EXPECT_EQ(CResFile(&bare).GetError(), "Bare.wbp: the module carries no resources");
}

} // namespace

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

#include <fstream>
#include <iterator>
#include <string>

namespace {

const WbResEntry* FindExpected(const std::vector<WbResEntry>& entries, const ExpectedResource& expected)
{
    return expected.typeName ? WbFindResEntry(entries, expected.typeName, expected.id)
                             : WbFindResEntry(entries, expected.typeNumber, expected.id);
}

std::span<const uint8_t> FindExpected(const CResFile& resFile, const ExpectedResource& expected)
{
    return expected.typeName ? resFile.Find(expected.typeName, expected.id)
                             : resFile.Find(expected.typeNumber, expected.id);
}

TEST(TheaterResFile, CarriesEveryResourceUnderItsTypeIdAndSize)
{
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(TheaterResourceBytes());
    ASSERT_TRUE(entries) << entries.GetError();
    EXPECT_EQ(entries->size(), TheaterInventory().size()) << "the module carries resources nobody asked for";
    for (const ExpectedResource& expected : TheaterInventory()) {
        SCOPED_TRACE(std::string(expected.printedType) + " " + std::to_string(expected.id));
        const WbResEntry* entry = FindExpected(*entries, expected);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->data.size(), expected.size);
        EXPECT_EQ(entry->language, 0) << "resources are language neutral";
    }
}

TEST(TheaterResFile, IsFoundThroughTheLoadedModulesChainRecord)
{
    WbWorldDef world;
    WbLoadResult loaded = WbLoadPluginModule(THEATER_BIN_DIR "/Theater.wbp", &world);
    ASSERT_TRUE(loaded.module) << loaded.error;
    const CResFile resFile(loaded.module->GetModuleHandle());
    EXPECT_EQ(resFile.GetError(), "");
    for (const ExpectedResource& expected : TheaterInventory()) {
        SCOPED_TRACE(std::string(expected.printedType) + " " + std::to_string(expected.id));
        EXPECT_EQ(FindExpected(resFile, expected).size(), expected.size);
    }
    const std::span<const uint8_t> tndf = resFile.Find("tndf", 1);
    EXPECT_EQ(std::vector<uint8_t>(tndf.begin(), tndf.end()), TndfFixture()) << "type names match in any case";
    EXPECT_TRUE(resFile.Find("TNDF", 2).empty());
    EXPECT_TRUE(resFile.Find("TNDX", 1).empty());
    EXPECT_TRUE(resFile.Find(kResTypeBitmap, 1).empty());
    EXPECT_TRUE(resFile.Find("TNDF", 0x10001).empty()) << "IDs above 16 bits name no resource";
}

// UTF-8 text (Basic Multilingual Plane only) as the UTF-16LE bytes a version record stores, NUL included.
std::vector<uint8_t> Utf16Z(std::string_view text)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < text.size();) {
        const uint8_t lead = uint8_t(text[i]);
        uint32_t code = lead;
        int more = 0;
        if (lead >= 0xE0) {
            code = lead & 0x0F;
            more = 2;
        } else if (lead >= 0xC0) {
            code = lead & 0x1F;
            more = 1;
        }
        for (int k = 1; k <= more; ++k)
            code = code << 6 | (uint8_t(text[i + size_t(k)]) & 0x3F);
        i += size_t(more) + 1;
        out.push_back(uint8_t(code));
        out.push_back(uint8_t(code >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

bool Contains(std::span<const uint8_t> haystack, const std::vector<uint8_t>& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

uint32_t Get32(std::span<const uint8_t> bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

TEST(TheaterResFile, VersionRecordNamesTheModuleAndItsVersion)
{
    TheaterResFile resources;
    const std::span<const uint8_t> version = resources.Get()->Find(kResTypeVersion, 1);
    ASSERT_EQ(version.size(), 756u);
    // The fixed file information follows the record's header and its key "VS_VERSION_INFO", at offset 40.
    ASSERT_TRUE(Contains(version.first(40), Utf16Z("VS_VERSION_INFO")));
    EXPECT_EQ(Get32(version, 40), 0xFEEF04BDu) << "signature";
    EXPECT_EQ(Get32(version, 48), 0x00010001u) << "file version 1.1";
    EXPECT_EQ(Get32(version, 52), 0x00010000u) << "file version .1.0";
    EXPECT_EQ(Get32(version, 56), 0x00010001u) << "product version 1.1";
    EXPECT_EQ(Get32(version, 60), 0x00010000u) << "product version .1.0";
    EXPECT_EQ(Get32(version, 64), 0x3Fu) << "file flags mask";
    EXPECT_EQ(Get32(version, 68), 0u) << "file flags";
    EXPECT_EQ(Get32(version, 72), 4u) << "32-bit Windows";
    EXPECT_EQ(Get32(version, 76), 2u) << "a dynamic library";
    EXPECT_EQ(Get32(version, 80), 0u) << "subtype";

    EXPECT_TRUE(Contains(version, Utf16Z("000004b0"))) << "string block for language 0000, Unicode";
    const char* strings[][2] = {
        {"FileDescription", "Theater 拡張機能 DLL"},
        {"FileVersion", "1, 1, 1, 0"},
        {"InternalName", "Theater"},
        {"OriginalFilename", "Theater.DLL"},
        {"ProductName", "Theater ﾀﾞｲﾅﾐｯｸ ﾘﾝｸ ﾗｲﾌﾞﾗﾘ"},
        {"ProductVersion", "1, 1, 1, 0"},
        {"CompanyName", "Theater Project"},
        {"LegalCopyright", "(C) Theater Project."},
    };
    for (const auto& pair : strings) {
        SCOPED_TRACE(pair[0]);
        EXPECT_TRUE(Contains(version, Utf16Z(pair[0])));
        EXPECT_TRUE(Contains(version, Utf16Z(pair[1])));
    }
    const std::vector<uint8_t> translation{0x00, 0x00, 0xB0, 0x04};
    EXPECT_TRUE(Contains(version, Utf16Z("Translation")));
    EXPECT_TRUE(std::equal(translation.begin(), translation.end(), version.end() - 4)) << "0x0000, 0x04B0";
}

TEST(TheaterResFile, DialogTemplatesAreCrLfTextOfTheirSizes)
{
    TheaterResFile resources;
    struct Template {
        uint32_t id;
        size_t size;
        int lines;
    };
    for (const Template& expected : {Template{1000, 1265, 53}, Template{2000, 704, 31}}) {
        SCOPED_TRACE("WBDLG " + std::to_string(expected.id));
        const std::span<const uint8_t> text = resources.Get()->Find("WBDLG", expected.id);
        ASSERT_EQ(text.size(), expected.size);
        int lines = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            ASSERT_NE(text[i], 0) << "offset " << i;
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at offset " << i;
                ++lines;
            } else if (text[i] == '\r') {
                ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at offset " << i;
            }
        }
        EXPECT_EQ(lines, expected.lines);
        EXPECT_EQ(text.back(), '\n') << "the last line ends with CR LF too";

        std::ifstream file(THEATER_SOURCE_DIR "/resources/templates/" + std::to_string(expected.id) + ".wbdlg",
                           std::ios::binary);
        const std::vector<uint8_t> source{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), source) << "carried as it stands in the tree";
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
        .Byte(7)
        .Byte(8)
        .Byte(9) // 108: three data bytes, unpadded at the end
        .Build();
}

TEST(ResFileParser, ReadsTypesNamesAndDataOfEachEntry)
{
    const std::vector<uint8_t> bytes = SmallResFixture();
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(bytes);
    ASSERT_TRUE(entries) << entries.GetError();
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].type.Describe(), "TNDF");
    EXPECT_EQ((*entries)[0].name.Describe(), "1");
    EXPECT_EQ(std::vector<uint8_t>((*entries)[0].data.begin(), (*entries)[0].data.end()),
              (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE((*entries)[1].type.Is(kResTypeString));
    EXPECT_EQ((*entries)[1].offset, 76u);
    EXPECT_EQ(std::vector<uint8_t>((*entries)[1].data.begin(), (*entries)[1].data.end()),
              (std::vector<uint8_t>{7, 8, 9}));
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

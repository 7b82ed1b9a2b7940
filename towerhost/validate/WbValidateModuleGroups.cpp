// The groups that look at the module itself, before any tower: the file as the system's loader sees it
// (its headers, its processor, the names it exports, loading and unloading), and its four entry points called
// as the host calls them and as a careless host might (null, twice, in the wrong order), and after a reload.
#include "WbCheckContext.h"
#include "WbDestructionLog.h"
#include "WbHostCallRing.h"
#include "WbModuleFileCheck.h"
#include "WbModuleLibrary.h"
#include "WbModuleLoader.h"
#include "WbPluginEntry.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"
#include "WbValidateGroups.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr std::array<const char*, 4> kEntryPoints = {kGetAttrName, kConstructProgramPluginName,
                                                     kConstructTemplatePluginName, kDestructProgramPluginName};
// Names the static linker gives every shared library; they are not the module's own.
const std::set<std::string> kLinkerNames = {"_init", "_fini", "_edata", "_end", "__bss_start"};
constexpr int kLoadRounds = 10;
constexpr size_t kExtrasNamed = 5;

#if defined(__x86_64__)
constexpr int kHostMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kHostMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr int kHostMachine = EM_386;
#endif

std::string Quoted(const std::string& path)
{
    std::string quoted = "\"";
    quoted += std::filesystem::path(path).filename().string();
    return quoted + "\"";
}

// The module's ELF headers and dynamic symbols, read with libelf; the file stays open while they are read.
class WbElfModule final {
public:
    explicit WbElfModule(const std::string& path) : mDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        elf_version(EV_CURRENT);
        if (mDescriptor >= 0)
            mElf = elf_begin(mDescriptor, ELF_C_READ, nullptr);
        if (!mElf || elf_kind(mElf) != ELF_K_ELF || !gelf_getehdr(mElf, &mHeader))
            throw WbCheckFailure(Quoted(path) + ": ELF headers unreadable (" + elf_errmsg(-1) + ")");
    }
    WbElfModule(const WbElfModule&) = delete;
    WbElfModule& operator=(const WbElfModule&) = delete;
    ~WbElfModule()
    {
        elf_end(mElf);
        if (mDescriptor >= 0)
            ::close(mDescriptor);
    }

    int GetClass() const { return gelf_getclass(mElf); }
    int GetMachine() const { return mHeader.e_machine; }

    // The names of the functions and data the module defines for others to find, in the file's order.
    std::vector<std::string> DefinedExports() const
    {
        std::vector<std::string> names;
        for (Elf_Scn* section = elf_nextscn(mElf, nullptr); section; section = elf_nextscn(mElf, section)) {
            GElf_Shdr header;
            if (!gelf_getshdr(section, &header) || header.sh_type != SHT_DYNSYM || header.sh_entsize == 0)
                continue;
            Elf_Data* data = elf_getdata(section, nullptr);
            const size_t count = data ? data->d_size / header.sh_entsize : 0;
            for (size_t index = 0; index < count; ++index) {
                GElf_Sym symbol;
                if (!gelf_getsym(data, int(index), &symbol) || symbol.st_shndx == SHN_UNDEF ||
                    symbol.st_shndx == SHN_ABS || GELF_ST_BIND(symbol.st_info) == STB_LOCAL ||
                    GELF_ST_VISIBILITY(symbol.st_other) == STV_HIDDEN)
                    continue;
                const char* name = elf_strptr(mElf, header.sh_link, symbol.st_name);
                if (name && *name && !kLinkerNames.contains(name))
                    names.emplace_back(name);
            }
        }
        return names;
    }

private:
    int mDescriptor;
    Elf* mElf = nullptr;
    GElf_Ehdr mHeader{};
};

// A Windows module's headers and export table, read from the file's bytes: the validator's Linux build has no
// loader for it, but what the file says of itself can still be checked.
class WbPeModule final {
public:
    explicit WbPeModule(const std::string& path) : mName(Quoted(path))
    {
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        mBytes.resize(size_t(std::max<std::streamoff>(file.tellg(), 0)));
        file.seekg(0);
        file.read(mBytes.data(), std::streamsize(mBytes.size()));
        const uint32_t header = Read32(0x3C);
        if (Read16(0) != 0x5A4D || Read32(header) != 0x00004550)
            Fail("no PE header where the MZ header points");
        mMachine = Read16(header + 4);
        const uint32_t sections = Read16(header + 6);
        const uint32_t optional = header + 24;
        const uint32_t optionalBytes = Read16(header + 20);
        const uint16_t magic = Read16(optional);
        if (magic != 0x10B && magic != 0x20B)
            Fail("optional header of unknown kind " + std::to_string(magic));
        mBits = magic == 0x20B ? 64 : 32;
        const uint32_t directories = optional + (mBits == 64 ? 112 : 96);
        if (Read32(directories - 4) > 0) {
            mExportRva = Read32(directories);
            mExportBytes = Read32(directories + 4);
        }
        for (uint32_t i = 0; i < sections; ++i) {
            const uint32_t at = optional + optionalBytes + 40 * i;
            Section section{Read32(at + 8), Read32(at + 12), Read32(at + 16), Read32(at + 20)};
            if (uint64_t(section.fileOffset) + section.fileBytes > mBytes.size())
                Fail("section " + std::to_string(i + 1) + " needs bytes to " +
                     std::to_string(uint64_t(section.fileOffset) + section.fileBytes) + ", the file has " +
                     std::to_string(mBytes.size()));
            mSections.push_back(section);
        }
    }

    static bool IsOne(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        char magic[2] = {};
        return file.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
    }

    int GetBits() const { return mBits; }
    // 0x14C for x86, 0x8664 for x86-64.
    uint16_t GetMachine() const { return mMachine; }

    std::vector<std::string> Exports() const
    {
        std::vector<std::string> names;
        if (mExportBytes == 0)
            return names;
        const uint32_t directory = Offset(mExportRva);
        const uint32_t count = Read32(directory + 24);
        const uint32_t nameTable = Offset(Read32(directory + 32));
        for (uint32_t i = 0; i < count; ++i) {
            std::string name;
            for (uint32_t at = Offset(Read32(nameTable + 4 * i)); Read8(at) != 0; ++at)
                name += char(Read8(at));
            names.push_back(name);
        }
        return names;
    }

private:
    struct Section {
        uint32_t virtualBytes;
        uint32_t rva;
        uint32_t fileBytes;
        uint32_t fileOffset;
    };

    [[noreturn]] void Fail(const std::string& what) const { throw WbCheckFailure(mName + ": " + what); }
    uint8_t Read8(uint64_t at) const
    {
        if (at >= mBytes.size())
            Fail("cut short: byte " + std::to_string(at) + " is past the end of the file");
        return uint8_t(mBytes[at]);
    }
    uint16_t Read16(uint64_t at) const { return uint16_t(Read8(at) | Read8(at + 1) << 8); }
    uint32_t Read32(uint64_t at) const { return uint32_t(Read16(at)) | uint32_t(Read16(at + 2)) << 16; }
    uint32_t Offset(uint32_t rva) const
    {
        for (const Section& section : mSections)
            if (rva >= section.rva && rva - section.rva < std::max(section.virtualBytes, section.fileBytes))
                return rva - section.rva + section.fileOffset;
        Fail("address " + std::to_string(rva) + " lies in no section");
    }

    std::string mName;
    std::vector<char> mBytes;
    uint16_t mMachine = 0;
    int mBits = 0;
    uint32_t mExportRva = 0;
    uint32_t mExportBytes = 0;
    std::vector<Section> mSections;
};

// What the file group can do for a Windows module: read it. Running it is the Windows build's.
constexpr char kWindowsNote[] = "a Windows module: its run-time checks need the Windows build of towerhost "
                                "under Wine, so only the file group runs";

WbCheckVerdict CheckFormat(const std::string& path)
{
    if (WbPeModule::IsOne(path)) {
        const WbPeModule module(path);
        return {WbCheckStatus::Warn, Quoted(path) + " is " + kWindowsNote};
    }
    if (const std::string damage = WbModuleFileCheck::Damage(path); !damage.empty())
        throw WbCheckFailure(Quoted(path) + ": " + damage);
    return {};
}

WbCheckVerdict CheckMachine(const std::string& path)
{
    if (WbPeModule::IsOne(path)) {
        const WbPeModule module(path);
        if (module.GetMachine() != 0x14C && module.GetMachine() != 0x8664)
            throw WbCheckFailure(Quoted(path) + ": built for PE machine " + std::to_string(module.GetMachine()) +
                                 ", neither x86 nor x86-64");
        return {WbCheckStatus::Pass, "a " + std::to_string(module.GetBits()) + "-bit Windows module"};
    }
    const WbElfModule module(path);
    const int bits = module.GetClass() == ELFCLASS64 ? 64 : 32;
    if (bits != int(sizeof(void*)) * 8 || module.GetMachine() != kHostMachine)
        throw WbCheckFailure(Quoted(path) + ": built as " + std::to_string(bits) + "-bit code for ELF machine " +
                             std::to_string(module.GetMachine()) + ", the host is " +
                             std::to_string(sizeof(void*) * 8) + "-bit for machine " + std::to_string(kHostMachine));
    return {};
}

// A missing entry point fails at every strictness; an export of the module's own beyond the four leaks its
// inside to the host and collides with other modules' names, which fails from strictness 5 up.
WbCheckVerdict CheckExports(const std::string& path, int strictness)
{
    const std::vector<std::string> exported =
        WbPeModule::IsOne(path) ? WbPeModule(path).Exports() : WbElfModule(path).DefinedExports();
    const std::set<std::string> names(exported.begin(), exported.end());
    std::string missing;
    for (const char* entry : kEntryPoints)
        if (!names.contains(entry))
            missing += (missing.empty() ? "" : ", ") + std::string(entry);
    if (!missing.empty())
        throw WbCheckFailure(Quoted(path) + " lacks the export " + missing);
    std::vector<std::string> extras;
    for (const std::string& name : exported)
        if (std::find(kEntryPoints.begin(), kEntryPoints.end(), name) == kEntryPoints.end())
            extras.push_back(name);
    if (extras.empty())
        return {};
    // A module built without an export list shows hundreds of library names; the first few say enough.
    std::string extra;
    for (size_t i = 0; i < std::min(extras.size(), kExtrasNamed); ++i)
        extra += (i ? ", " : "") + extras[i];
    if (extras.size() > kExtrasNamed)
        extra += " and " + std::to_string(extras.size() - kExtrasNamed) + " more";
    const std::string message = Quoted(path) + " exports more than the four entry points: " + extra;
    if (strictness >= 5)
        throw WbCheckFailure(message);
    return {WbCheckStatus::Warn, message};
}

// The system loader maps the file, runs its static constructors and, at the close, its static destructors:
// ten rounds show that neither crashes nor keeps the file loaded.
WbCheckVerdict CheckLoadUnload(const std::string& path)
{
    for (int round = 1; round <= kLoadRounds; ++round) {
        std::string reason;
        WbHostCallRing::Enter("the module's static constructors");
        WbModuleLibrary library = WbModuleLibrary::Open(path, reason);
        if (!library.IsOpen())
            throw WbCheckFailure(Quoted(path) + " does not load in round " + std::to_string(round) + ": " + reason);
        if (!library.Symbol<GetAttrFn>(kGetAttrName))
            throw WbCheckFailure(Quoted(path) + " loaded in round " + std::to_string(round) +
                                 " does not show its GetAttr");
        WbHostCallRing::Enter("the module's static destructors");
        library.Close();
    }
    return {};
}

} // namespace

void WbRunFileGroup(WbCheckContext& context)
{
    const std::string& path = context.GetModulePath();
    if (!context.Check("format", [&] { return CheckFormat(path); }))
        return;
    if (!context.Check("machine", [&] { return CheckMachine(path); }))
        return;
    context.Check("exports", [&] { return CheckExports(path, context.GetStrictness()); });
    context.Check("load-unload", [&] {
        if (WbPeModule::IsOne(path))
            return WbCheckVerdict{WbCheckStatus::Skip, "a Windows module is loaded by the Windows build"};
        return CheckLoadUnload(path);
    });
}

bool WbIsWindowsModule(const std::string& path) { return WbPeModule::IsOne(path); }

namespace {

constexpr uint32_t kModuleType = WbFourCC("TnPl");

// The four entry points of a module opened by the system loader alone, without the host's loader.
class WbRawEntries final {
public:
    explicit WbRawEntries(const std::string& path)
    {
        // The system loader would end the child with a signal on a file cut short; the host checks first.
        if (const std::string damage = WbModuleFileCheck::Damage(path); !damage.empty())
            throw WbCheckFailure("the module does not load: " + damage);
        std::string reason;
        WbHostCallRing::Enter("the module's static constructors");
        mLibrary = WbModuleLibrary::Open(path, reason);
        if (!mLibrary.IsOpen())
            throw WbCheckFailure("the module does not load: " + reason);
        mGetAttr = mLibrary.Symbol<GetAttrFn>(kGetAttrName);
        mConstruct = mLibrary.Symbol<ConstructProgramPluginFn>(kConstructProgramPluginName);
        mDestruct = mLibrary.Symbol<DestructProgramPluginFn>(kDestructProgramPluginName);
        if (!mGetAttr || !mConstruct || !mDestruct)
            throw WbCheckFailure("the module lacks an entry point");
    }

    // The attribute record, owned by the caller as the host owns it.
    std::unique_ptr<WbPluginSpecifier> GetAttr() const
    {
        WbHostCallRing::Enter(kGetAttrName);
        return std::unique_ptr<WbPluginSpecifier>(mGetAttr());
    }
    WbTenantPlugin* Construct(WbPluginSpecifier& attr) const
    {
        WbHostCallRing::Enter(kConstructProgramPluginName);
        return mConstruct(attr);
    }
    int Destruct() const
    {
        WbHostCallRing::Enter(kDestructProgramPluginName);
        return mDestruct();
    }

private:
    WbModuleLibrary mLibrary;
    GetAttrFn mGetAttr = nullptr;
    ConstructProgramPluginFn mConstruct = nullptr;
    DestructProgramPluginFn mDestruct = nullptr;
};

// What a loaded module answers, to compare one load with the next.
struct WbModuleAnswers {
    std::string name;
    uint32_t type = 0;
    int32_t param1 = 0;
    int32_t param2 = 0;
    uint32_t definitionType = 0;
    RECT size{};

    bool operator==(const WbModuleAnswers& other) const
    {
        return name == other.name && type == other.type && param1 == other.param1 && param2 == other.param2 &&
               definitionType == other.definitionType && size.left == other.size.left && size.top == other.size.top &&
               size.right == other.size.right && size.bottom == other.size.bottom;
    }
};

std::string Describe(const WbModuleAnswers& answers)
{
    return "\"" + answers.name + "\" type " + WbFourCCText(answers.type) + " (" + std::to_string(answers.param1) +
           ", " + std::to_string(answers.param2) + "), definition " + WbFourCCText(answers.definitionType) + " of " +
           std::to_string(answers.size.right - answers.size.left) + "x" +
           std::to_string(answers.size.bottom - answers.size.top);
}

std::unique_ptr<WbPluginModule> LoadModule(const std::string& path, WbWorldDef& worldDef)
{
    WbLoadResult loaded = WbLoadPluginModule(path, &worldDef);
    if (!loaded.module)
        throw WbCheckFailure("the host's loader refuses the module: " + loaded.error);
    return std::move(loaded.module);
}

WbModuleAnswers AnswersOf(const WbPluginModule& module)
{
    const WbPluginSpecifier& attr = module.GetAttr();
    WbTenantDef* def = module.GetDefinition();
    return {attr.mName.GetString(),
            attr.mType,
            attr.mParam1,
            attr.mParam2,
            def ? def->GetType() : 0,
            def ? def->CalcEquipRect() : RECT{}};
}

WbCheckVerdict CheckAttributes(const WbRawEntries& entries)
{
    const std::unique_ptr<WbPluginSpecifier> first = entries.GetAttr();
    if (!first)
        throw WbCheckFailure("GetAttr returned no attribute record");
    if (first->mType != kModuleType)
        throw WbCheckFailure("GetAttr's record has type " + WbFourCCText(first->mType) + ", expected TnPl");
    if (first->mName.IsEmpty())
        throw WbCheckFailure("GetAttr's record has no name");
    const std::unique_ptr<WbPluginSpecifier> second = entries.GetAttr();
    if (!second || second.get() == first.get())
        throw WbCheckFailure("a second GetAttr returned no record of the caller's own");
    if (std::string(second->mName.GetString()) != first->mName.GetString() || second->mType != first->mType ||
        second->mParam1 != first->mParam1 || second->mParam2 != first->mParam2)
        throw WbCheckFailure("a second GetAttr answered differently from the first");
    return {};
}

WbCheckVerdict CheckProgramPlugin(const WbRawEntries& entries)
{
    const std::unique_ptr<WbPluginSpecifier> attr = entries.GetAttr();
    if (!attr)
        throw WbCheckFailure("GetAttr returned no attribute record");
    if (!entries.Construct(*attr))
        throw WbCheckFailure("ConstructProgramPlugin returned no program plug-in");
    if (const int answer = entries.Destruct(); answer != 0)
        throw WbCheckFailure("DestructProgramPlugin returned " + std::to_string(answer) + ", not 0");
    return {};
}

WbCheckVerdict CheckTemplatePlugin(const std::string& path, WbModuleAnswers& answers)
{
    WbWorldDef worldDef;
    const std::unique_ptr<WbPluginModule> module = LoadModule(path, worldDef);
    WbTenantDef* def = module->GetDefinition();
    if (!def->GetResourceError().empty())
        throw WbCheckFailure("the definition could not read its resources: " + def->GetResourceError());
    const RECT size = def->CalcEquipRect();
    if (size.right <= size.left || size.bottom <= size.top)
        throw WbCheckFailure("the definition's tenant has no area");
    answers = AnswersOf(*module);
    return {};
}

// The module keeps one program plug-in and one definition: asking again gives them again, and ending
// nothing twice does nothing.
WbCheckVerdict CheckNullAndRepeat(const std::string& path)
{
    {
        const WbRawEntries fresh(path);
        if (fresh.Destruct() != 0 || fresh.Destruct() != 0)
            throw WbCheckFailure("DestructProgramPlugin with nothing made did not return 0");
    }
    WbWorldDef worldDef;
    const std::unique_ptr<WbPluginModule> module = LoadModule(path, worldDef);
    WbPluginSpecifier attr = module->GetAttr();
    WbHostCallRing::Enter(kConstructProgramPluginName);
    if (module->ConstructProgramPluginEntry()(attr) != module->GetProgramPlugin())
        throw WbCheckFailure("a second ConstructProgramPlugin made another program plug-in");
    CResFile resFile(module->GetModuleHandle());
    WbHostCallRing::Enter(kConstructTemplatePluginName);
    if (module->ConstructTemplatePluginEntry()(attr, &resFile, &worldDef, module->GetProgramPlugin()) !=
        module->GetDefinition())
        throw WbCheckFailure("a second ConstructTemplatePlugin made another definition");
    return {};
}

// DestructProgramPlugin ends the program plug-in first, then the definition that names it as its owner.
WbCheckVerdict CheckDestructOrder(const std::string& path)
{
    WbWorldDef worldDef;
    std::unique_ptr<WbPluginModule> module = LoadModule(path, worldDef);
    // The log names each object by its plug-in base.
    const void* plugin = static_cast<const CPlugin*>(module->GetProgramPlugin());
    const void* def = static_cast<const CPlugin*>(module->GetDefinition());
    const WbDestructionLog log;
    WbHostCallRing::Enter(kDestructProgramPluginName);
    if (const int answer = module->DestructProgramPluginEntry()(); answer != 0)
        throw WbCheckFailure("DestructProgramPlugin returned " + std::to_string(answer) + ", not 0");
    std::vector<const void*> order;
    for (const WbDestruction& destruction : log.GetDestructions())
        if (destruction.object == plugin || destruction.object == def)
            order.push_back(destruction.object);
    if (order != std::vector<const void*>{plugin, def})
        throw WbCheckFailure("DestructProgramPlugin ended " + std::to_string(order.size()) +
                             " of its two objects, or the definition before the program plug-in");
    module.reset();
    return {};
}

WbCheckVerdict CheckReload(const std::string& path, const WbModuleAnswers& first)
{
    WbWorldDef worldDef;
    const WbModuleAnswers again = AnswersOf(*LoadModule(path, worldDef));
    if (!(again == first))
        throw WbCheckFailure("loaded again, the module answers " + Describe(again) + "; the first time " +
                             Describe(first));
    return {};
}

} // namespace

void WbRunEntryGroup(WbCheckContext& context)
{
    const std::string& path = context.GetModulePath();
    std::unique_ptr<WbRawEntries> entries;
    const bool opened = context.Check("attributes", [&] {
        entries = std::make_unique<WbRawEntries>(path);
        return CheckAttributes(*entries);
    });
    if (!opened || !context.Check("program-plugin", [&] { return CheckProgramPlugin(*entries); }))
        return;
    entries.reset();
    WbModuleAnswers answers;
    if (!context.Check("template-plugin", [&] { return CheckTemplatePlugin(path, answers); }))
        return;
    context.Check("null-and-repeat", [&] { return CheckNullAndRepeat(path); });
    context.Check("destruct-order", [&] { return CheckDestructOrder(path); });
    context.Check("reload", [&] { return CheckReload(path, answers); });
}

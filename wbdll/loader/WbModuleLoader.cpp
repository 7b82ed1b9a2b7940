// The host's loader of plug-in modules: every check names the file and what it wanted, and every failure
// unloads what was loaded so far.
#include "WbModuleLoader.h"

#include "Afx.h"
#include "WbFourCC.h"
#include "WbHostCallRing.h"
#include "WbModuleLibrary.h"
#if !defined(_WIN32)
#include "WbModuleFileCheck.h"
#endif
#include "WbResParser.h"
#include "WbResourceRecords.h"
#include "WbTenantDef.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace {

constexpr uint32_t kModuleType = WbFourCC("TnPl");

// Native handles of the modules loaded through the loader. A module opened twice shares its static state
// (its one program plug-in and one definition), so a second load would end the first one's objects.
std::set<void*>& LoadedLibraries()
{
    static auto* libraries = new std::set<void*>;
    return *libraries;
}

// A type code as its four characters in quotes, or in hexadecimal when they are not all printable.
std::string CodeText(uint32_t code)
{
    const std::string text = WbFourCCText(code);
    for (char c : text)
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", unsigned(code));
            return hex;
        }
    return "'" + text + "'";
}

} // namespace

// Does the loading; a friend of WbPluginModule so that the module is filled in one step at a time and a
// failure at any step leaves its destructor to undo the steps before.
struct WbModuleLoading {
    static WbLoadResult Load(const std::string& path, WbWorldDef* worldDef);
};

WbPluginModule::WbPluginModule() = default;

WbPluginModule::~WbPluginModule()
{
    // The objects themselves are not touched: whoever holds the raw entry points may have ended them
    // already, and DestructProgramPlugin with nothing made does nothing.
    if (mConstructCalled) {
        WbHostCallRing::Enter(kDestructProgramPluginName);
        mDestructProgramPlugin();
    }
    mProgramPlugin = nullptr;
    mDefinition = nullptr;
    mResFile.reset();
    if (mLibrary && mLibrary->IsOpen() && mCounted)
        LoadedLibraries().erase(mLibrary->GetNativeHandle());
    // Closing runs the module's static destructors, which take its record out of the chain.
    mLibrary.reset();
    mOwnModule.reset();
}

WbLoadResult WbModuleLoading::Load(const std::string& path, WbWorldDef* worldDef)
{
    auto fail = [&path](const std::string& what) { return WbLoadResult{nullptr, path + ": " + what}; };

    std::error_code fileError;
    const auto status = std::filesystem::status(path, fileError);
    if (!std::filesystem::exists(status))
        return fail("no such file");
    if (std::filesystem::is_directory(status))
        return fail("is a directory, not a module file");
#if !defined(_WIN32)
    // The system loader maps what the headers say without comparing it with the file: a module cut short
    // would end the host with a signal instead of this message.
    if (const std::string damage = WbModuleFileCheck::Damage(path); !damage.empty())
        return fail(damage);
#endif

    std::unique_ptr<WbPluginModule> module(new WbPluginModule);
    module->mPath = path;
    std::string reason;
    module->mLibrary = std::make_unique<WbModuleLibrary>(WbModuleLibrary::Open(path, reason));
    if (!module->mLibrary->IsOpen())
        return fail("not a loadable module (" + reason + ")");
    void* handle = module->mLibrary->GetNativeHandle();
    if (!LoadedLibraries().insert(handle).second)
        return fail("module is loaded already");
    module->mCounted = true;

    const WbModuleLibrary& library = *module->mLibrary;
    module->mGetAttr = library.Symbol<GetAttrFn>(kGetAttrName);
    module->mConstructProgramPlugin = library.Symbol<ConstructProgramPluginFn>(kConstructProgramPluginName);
    module->mConstructTemplatePlugin = library.Symbol<ConstructTemplatePluginFn>(kConstructTemplatePluginName);
    module->mDestructProgramPlugin = library.Symbol<DestructProgramPluginFn>(kDestructProgramPluginName);
    std::string missing;
    auto note = [&missing](bool found, const char* name) {
        if (!found)
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    };
    note(module->mGetAttr, kGetAttrName);
    note(module->mConstructProgramPlugin, kConstructProgramPluginName);
    note(module->mConstructTemplatePlugin, kConstructTemplatePluginName);
    note(module->mDestructProgramPlugin, kDestructProgramPluginName);
    if (!missing.empty())
        return fail("module exports no " + missing);

    // The record is copied and given back at once: only the copy is kept.
    WbHostCallRing::Enter(kGetAttrName);
    WbPluginSpecifier* attr = module->mGetAttr();
    if (!attr)
        return fail("GetAttr returned no attribute record");
    module->mAttr = *attr;
    delete attr;
    module->mAttr.mPath = path;
    if (module->mAttr.mType != kModuleType)
        return fail("module type is " + CodeText(module->mAttr.mType) + ", expected " + CodeText(kModuleType));
    if (module->mAttr.mName.IsEmpty())
        return fail("attribute record has no name");

    // A module that put itself into the chain is found there by its file, named the same way as at its
    // registration; any other module gets a record of the loader's own, outside the chain.
    const std::string modulePath = AfxGetModulePath(reinterpret_cast<const void*>(module->mGetAttr));
    module->mModule = AfxFindModule(modulePath);
    if (module->mModule) {
        if (!module->mModule->library)
            module->mModule->library = handle;
    } else {
        module->mOwnModule = std::make_unique<WbModule>();
        module->mOwnModule->path = modulePath.empty() ? path : modulePath;
        module->mOwnModule->library = handle;
        module->mModule = module->mOwnModule.get();
    }

    module->mConstructCalled = true;
    WbHostCallRing::Enter(kConstructProgramPluginName);
    module->mProgramPlugin = module->mConstructProgramPlugin(module->mAttr);
    if (!module->mProgramPlugin)
        return fail("ConstructProgramPlugin returned no program plug-in");
    WbHostCallRing::Enter("WbTenantPlugin::Load");
    if (!module->mProgramPlugin->Load(module->mModule))
        return fail("the program plug-in refused to load (Load returned 0)");

    module->mResFile = std::make_unique<CResFile>(module->mModule);
    // Damaged resources refuse the module before any of its objects reads them.
    if (WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(module->mModule->resources);
        !module->mModule->resources.empty() && !entries)
        return fail(entries.GetError());
    if (const std::span<const uint8_t> attrRecord = module->mResFile->Find("ATTR", 128); !attrRecord.empty()) {
        // The plug-in file's values (ID, game level, item type...) come from its attribute record.
        WbParsed<WbFileAttr> fileAttr = WbReadAttrRecord(attrRecord, 128);
        if (!fileAttr)
            return fail(fileAttr.GetError());
        module->mProgramPlugin->SetAttr(*fileAttr);
    }
    WbHostCallRing::Enter(kConstructTemplatePluginName);
    module->mDefinition =
        module->mConstructTemplatePlugin(module->mAttr, module->mResFile.get(), worldDef, module->mProgramPlugin);
    if (!module->mDefinition)
        return fail("ConstructTemplatePlugin returned no definition");
    // A module whose definition record is there but cannot be read is refused. A module without one keeps
    // an empty definition: it adds no tenant kind.
    if (!module->mDefinition->GetResourceError().empty() && !module->mResFile->Find("TNDF", 1).empty())
        return fail(module->mDefinition->GetResourceError());
    return WbLoadResult{std::move(module), {}};
}

WbLoadResult WbLoadPluginModule(const std::string& path, WbWorldDef* worldDef)
{
    return WbModuleLoading::Load(path, worldDef);
}

// The host's loader of plug-in modules: opens a module file, checks its exports and its attribute record, and
// makes the module's two objects.
#pragma once

#include "CPlugin.h"
#include "CResFile.h"
#include "WbDll.h"
#include "WbPluginEntry.h"
#include "WbWin32.h"

#include <memory>
#include <string>

class WbModuleLibrary;
class WbTenantDef;
class WbWorldDef;

// One loaded module with its program plug-in and its tenant definition. Ending it ends both objects and
// unloads the module.
class WBDLL_API WbPluginModule {
public:
    WbPluginModule(const WbPluginModule&) = delete;
    WbPluginModule& operator=(const WbPluginModule&) = delete;
    // DestructProgramPlugin, then the library is closed.
    ~WbPluginModule();

    // A copy of the record GetAttr returned, with the module's path filled in.
    const WbPluginSpecifier& GetAttr() const { return mAttr; }
    WbTenantPlugin* GetProgramPlugin() const { return mProgramPlugin; }
    WbTenantDef* GetDefinition() const { return mDefinition; }
    // The module's record in the chain of resource modules (or the loader's own record of a module that
    // did not register itself).
    HINSTANCE GetModuleHandle() const { return mModule; }
    // The path the module was loaded from, as given to the loader.
    const std::string& GetPath() const { return mPath; }

    // The raw entry points, for tests of the module's lifecycle.
    GetAttrFn GetAttrEntry() const { return mGetAttr; }
    ConstructProgramPluginFn ConstructProgramPluginEntry() const { return mConstructProgramPlugin; }
    ConstructTemplatePluginFn ConstructTemplatePluginEntry() const { return mConstructTemplatePlugin; }
    DestructProgramPluginFn DestructProgramPluginEntry() const { return mDestructProgramPlugin; }

private:
    friend struct WbModuleLoading;
    WbPluginModule();

    std::string mPath;
    std::unique_ptr<WbModuleLibrary> mLibrary;
    // Only for a module that did not put itself into the chain.
    std::unique_ptr<WbModule> mOwnModule;
    HINSTANCE mModule = nullptr;
    std::unique_ptr<CResFile> mResFile;
    WbPluginSpecifier mAttr;
    WbTenantPlugin* mProgramPlugin = nullptr;
    WbTenantDef* mDefinition = nullptr;
    GetAttrFn mGetAttr = nullptr;
    ConstructProgramPluginFn mConstructProgramPlugin = nullptr;
    ConstructTemplatePluginFn mConstructTemplatePlugin = nullptr;
    DestructProgramPluginFn mDestructProgramPlugin = nullptr;
    // What the destructor has to undo.
    bool mCounted = false;
    bool mConstructCalled = false;
};

// What WbLoadPluginModule gives: the module, or an empty module and one line saying what was wrong.
struct WbLoadResult {
    std::unique_ptr<WbPluginModule> module;
    std::string error;
};

// Opens the module file, finds the four exports, calls GetAttr and checks the record (type 'TnPl', a name),
// constructs the program plug-in (then its Load with the module handle) and the definition (with a CResFile
// for the module, the world definition and the program plug-in). On failure the error names the file and
// what was wrong, and nothing stays loaded. A module that is loaded already is refused.
WBDLL_API WbLoadResult WbLoadPluginModule(const std::string& path, WbWorldDef* worldDef);

// A tiny plug-in module with one deliberate fault, named by the LOADER_TEST_ macro it is built with.
#include "Afx.h"
#include "CPlugin.h"
#include "WbFourCC.h"
#include "WbTenantDef.h"

#include <cstdint>

#define LOADER_TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

#if defined(LOADER_TEST_WRONG_TYPE)
constexpr uint32_t kModuleType = WbFourCC("TnDf");
#elif defined(LOADER_TEST_UNPRINTABLE_TYPE)
constexpr uint32_t kModuleType = 0x00000001;
#else
constexpr uint32_t kModuleType = WbFourCC("TnPl");
#endif

#if !defined(LOADER_TEST_UNREGISTERED)
// Puts the module into the chain, so that a test sees whether it is still loaded.
CDynLinkLibrary gRegistration(&gRegistration, {});
#endif

WbTenantPlugin* gProgramPlugin = nullptr;
[[maybe_unused]] WbTenantDef* gDefinition = nullptr;

} // namespace

LOADER_TEST_EXPORT WbPluginSpecifier* GetAttr()
{
#if defined(LOADER_TEST_NO_ATTR)
    return nullptr;
#else
    auto* attr = new WbPluginSpecifier;
    attr->mName = "LoaderTest";
    attr->mType = kModuleType;
    return attr;
#endif
}

LOADER_TEST_EXPORT WbTenantPlugin* ConstructProgramPlugin(WbPluginSpecifier& specifier)
{
#if defined(LOADER_TEST_NO_PROGRAM_PLUGIN)
    return nullptr;
#endif
    if (!gProgramPlugin)
        gProgramPlugin = new WbTenantPlugin(kModuleType, specifier);
    return gProgramPlugin;
}

#if !defined(LOADER_TEST_MISSING_EXPORTS)
LOADER_TEST_EXPORT WbTenantDef* ConstructTemplatePlugin(WbPluginSpecifier& specifier, CResFile* resFile,
                                                        WbWorldDef* worldDef, WbTenantPlugin* owner)
{
#if defined(LOADER_TEST_NO_DEFINITION)
    return nullptr;
#endif
    if (!gDefinition)
        gDefinition = new WbTenantDef(WbFourCC("TnDf"), specifier, resFile, worldDef, owner);
    return gDefinition;
}

LOADER_TEST_EXPORT int DestructProgramPlugin()
{
    delete gProgramPlugin;
    gProgramPlugin = nullptr;
    delete gDefinition;
    gDefinition = nullptr;
    return 0;
}
#endif

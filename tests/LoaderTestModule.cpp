// A tiny plug-in module with one deliberate fault, built once per fault, for the loader's tests.
#include "Afx.h"
#include "CPlugin.h"
#include "WbFourCC.h"
#include "WbTenantDef.h"

#include <cstdint>

// One of these names the fault of the module being built.
#if !defined(LOADER_TEST_MISSING_EXPORTS) && !defined(LOADER_TEST_WRONG_TYPE) && !defined(LOADER_TEST_NO_ATTR) &&      \
    !defined(LOADER_TEST_UNPRINTABLE_TYPE) && !defined(LOADER_TEST_NO_PROGRAM_PLUGIN) &&                               \
    !defined(LOADER_TEST_NO_DEFINITION) && !defined(LOADER_TEST_UNREGISTERED)
#error "LoaderTestModule.cpp is built with one LOADER_TEST_ fault defined"
#endif

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
#if !defined(LOADER_TEST_MISSING_EXPORTS)
WbTenantDef* gDefinition = nullptr;
#endif

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
#if !defined(LOADER_TEST_NO_PROGRAM_PLUGIN)
    if (!gProgramPlugin)
        gProgramPlugin = new WbTenantPlugin(kModuleType, specifier);
#else
    (void)specifier;
#endif
    return gProgramPlugin;
}

#if !defined(LOADER_TEST_MISSING_EXPORTS)
LOADER_TEST_EXPORT WbTenantDef* ConstructTemplatePlugin(WbPluginSpecifier& specifier, CResFile* resFile,
                                                        WbWorldDef* worldDef, WbTenantPlugin* owner)
{
#if !defined(LOADER_TEST_NO_DEFINITION)
    if (!gDefinition)
        gDefinition = new WbTenantDef(WbFourCC("TnDf"), specifier, resFile, worldDef, owner);
#else
    (void)specifier, (void)resFile, (void)worldDef, (void)owner;
#endif
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

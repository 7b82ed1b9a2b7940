// Entry points of the theater module: the host describes, makes and ends the module's two objects here.
#include "TheaterModule.h"

#include "WbTheaterDef.h"
#include "WbTheaterPlugin.h"

#include <new>
#include <type_traits>

// The host looks the exports up by name and calls them through these types.
static_assert(std::is_same_v<decltype(&GetAttr), GetAttrFn>);
static_assert(std::is_same_v<decltype(&ConstructProgramPlugin), ConstructProgramPluginFn>);
static_assert(std::is_same_v<decltype(&ConstructTemplatePlugin), ConstructTemplatePluginFn>);
static_assert(std::is_same_v<decltype(&DestructProgramPlugin), DestructProgramPluginFn>);

namespace {

constexpr uint32_t kModuleType = WbFourCC("TnPl");
constexpr uint32_t kDefinitionType = WbFourCC("TnDf");

// Both null while the module is loaded and nothing was constructed.
WbTheaterPlugin* gProgramPlugin = nullptr;
WbTheaterDef* gTheaterDef = nullptr;

} // namespace

WbPluginSpecifier* GetAttr()
{
    auto* attr = new WbPluginSpecifier;
    attr->mName = "Theater";
    attr->mType = kModuleType;
    attr->mParam1 = -1;
    attr->mParam2 = 0;
    return attr;
}

WbTenantPlugin* ConstructProgramPlugin(WbPluginSpecifier& specifier)
{
    if (!gProgramPlugin)
        gProgramPlugin = new (std::nothrow) WbTheaterPlugin(kModuleType, specifier);
    return gProgramPlugin;
}

WbTenantDef* ConstructTemplatePlugin(WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                                     WbTenantPlugin* owner)
{
    if (!gTheaterDef)
        gTheaterDef = new (std::nothrow) WbTheaterDef(kDefinitionType, specifier, resFile, worldDef, owner);
    return gTheaterDef;
}

int DestructProgramPlugin()
{
    delete gProgramPlugin;
    gProgramPlugin = nullptr;
    delete gTheaterDef;
    gTheaterDef = nullptr;
    return 0;
}

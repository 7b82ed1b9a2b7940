// Entry points of the theater module: the host describes, makes and ends the module's two objects here.
#include "TheaterModule.h"

#include "WbNoThrow.h"
#include "WbTheaterDef.h"
#include "WbTheaterPlugin.h"

#include <memory>
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

// Without memory for a whole record the host gets null rather than a record with some fields missing.
WbPluginSpecifier* GetAttr()
{
    return WbAnswerOnFailure<WbPluginSpecifier*>(nullptr, [] {
        auto attr = std::make_unique<WbPluginSpecifier>();
        attr->mName = "Theater";
        attr->mType = kModuleType;
        attr->mParam1 = -1;
        attr->mParam2 = 0;
        return attr.release();
    });
}

// An object that cannot be made whole (its own memory or what its constructor reads) is not kept: null
// is stored and the next call tries again.
WbTenantPlugin* ConstructProgramPlugin(WbPluginSpecifier& specifier)
{
    if (!gProgramPlugin)
        gProgramPlugin = WbAnswerOnFailure<WbTheaterPlugin*>(
            nullptr, [&specifier] { return new WbTheaterPlugin(kModuleType, specifier); });
    return gProgramPlugin;
}

WbTenantDef* ConstructTemplatePlugin(WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                                     WbTenantPlugin* owner)
{
    if (!gTheaterDef)
        gTheaterDef = WbAnswerOnFailure<WbTheaterDef*>(
            nullptr, [&] { return new WbTheaterDef(kDefinitionType, specifier, resFile, worldDef, owner); });
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

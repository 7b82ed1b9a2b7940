// The movie theater's tenant definition.
#include "WbTheaterDef.h"

WbTheaterDef::WbTheaterDef(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile,
                           WbWorldDef* worldDef, WbTenantPlugin* owner)
    : WbTenantDef(type, specifier, resFile, worldDef, owner)
{
}

WbTheaterDef::~WbTheaterDef() = default;

// The movie theater's tenant definition: one object the host consults for every theater tenant.
#pragma once

#include "WbTenantDef.h"

class WbTheaterDef final : public WbTenantDef {
public:
    WbTheaterDef(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                 WbTenantPlugin* owner);
    ~WbTheaterDef() override;
};

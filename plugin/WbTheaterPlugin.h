// The module's program plug-in: the object through which the host knows the theater module.
#pragma once

#include "CPlugin.h"

class WbTheaterPlugin final : public WbTenantPlugin {
public:
    WbTheaterPlugin(uint32_t type, const WbPluginSpecifier& specifier);
    ~WbTheaterPlugin() override;
};

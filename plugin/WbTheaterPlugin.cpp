// The module's program plug-in: everything it does is the host's tenant plug-in behaviour.
#include "WbTheaterPlugin.h"

WbTheaterPlugin::WbTheaterPlugin(uint32_t type, const WbPluginSpecifier& specifier)
    : WbTenantPlugin(type, specifier)
{
}

WbTheaterPlugin::~WbTheaterPlugin() = default;

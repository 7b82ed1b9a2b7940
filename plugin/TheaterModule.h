// The module's four exported entry points, under plain C names.
#pragma once

#include "CPlugin.h"
#include "WbPluginEntry.h"

#if defined(_WIN32)
#define THEATER_EXPORT
#else
#define THEATER_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// A new attribute record naming the module; the caller owns it.
THEATER_EXPORT WbPluginSpecifier* GetAttr();
// The module's program plug-in, made on the first call.
THEATER_EXPORT WbTenantPlugin* ConstructProgramPlugin(WbPluginSpecifier& specifier);
// The theater's tenant definition, made on the first call.
THEATER_EXPORT WbTenantDef* ConstructTemplatePlugin(WbPluginSpecifier& specifier, CResFile* resFile,
                                                    WbWorldDef* worldDef, WbTenantPlugin* owner);
// Destroys the program plug-in, then the definition; returns 0.
THEATER_EXPORT int DestructProgramPlugin();
}

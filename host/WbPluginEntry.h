// The signatures of a module's four exported entry points, by which the host looks them up by name.
#pragma once

#include "CPlugin.h"

class CResFile;
class WbTenantDef;
class WbWorldDef;

// A new attribute record naming the module; the caller owns it.
using GetAttrFn = WbPluginSpecifier* (*)();
// The module's program plug-in, made on the first call.
using ConstructProgramPluginFn = WbTenantPlugin* (*)(WbPluginSpecifier&);
// The module's tenant definition, made on the first call.
using ConstructTemplatePluginFn = WbTenantDef* (*)(WbPluginSpecifier&, CResFile*, WbWorldDef*, WbTenantPlugin*);
// Destroys the program plug-in, then the definition; returns 0.
using DestructProgramPluginFn = int (*)();

// The exported names, undecorated.
inline constexpr const char kGetAttrName[] = "GetAttr";
inline constexpr const char kConstructProgramPluginName[] = "ConstructProgramPlugin";
inline constexpr const char kConstructTemplatePluginName[] = "ConstructTemplatePlugin";
inline constexpr const char kDestructProgramPluginName[] = "DestructProgramPlugin";

// The host's plug-in bases: attribute records, plug-in objects and the list of file plug-ins.
#include "CPlugin.h"

#include "WbDestructionLog.h"

WbPluginSpecifier::WbPluginSpecifier() = default;
WbPluginSpecifier::WbPluginSpecifier(const WbPluginSpecifier&) = default;
WbPluginSpecifier& WbPluginSpecifier::operator=(const WbPluginSpecifier&) = default;
WbPluginSpecifier::~WbPluginSpecifier() = default;

CPlugin::CPlugin(uint32_t type, const WbPluginSpecifier& specifier) : mType(type), mSpecifier(specifier) {}

CPlugin::~CPlugin() { WbDestructionLog::Note(this, mType); }

uint32_t CPlugin::GetPluginStyle() const { return 0; }

CString CPlugin::GetName() const { return mSpecifier.mName; }

CString CPlugin::GetInfoString() const { return GetName() + " (" + WbFourCCText(mType).c_str() + ")"; }

HINSTANCE CPlugin::GetModuleHandleA() const { return mModule; }

CFilePlugin::CFilePlugin(uint32_t type, const WbPluginSpecifier& specifier) : CPlugin(type, specifier) {}

CFilePlugin::~CFilePlugin() = default;

CString CFilePlugin::GetName() const { return mAttr.name.IsEmpty() ? CPlugin::GetName() : mAttr.name; }

int CFilePlugin::Load(HINSTANCE module)
{
    mModule = module;
    return 1;
}

void CFilePlugin::Unload() { mModule = nullptr; }

CProgramPlugin::CProgramPlugin(uint32_t type, const WbPluginSpecifier& specifier) : CFilePlugin(type, specifier) {}

CProgramPlugin::~CProgramPlugin() = default;

uint32_t CProgramPlugin::GetPluginStyle() const { return WbFourCC("PPlg"); }

CString CProgramPlugin::GetInfoString() const { return "Program plug-in " + CFilePlugin::GetInfoString(); }

int CProgramPlugin::LoadAllTemplatePlugin() { return 0; }

void CProgramPlugin::DrawProc(WbTowerDoc*) {}

void CProgramPlugin::IdleProc(WbTowerDoc*) {}

WbTenantPlugin::WbTenantPlugin(uint32_t type, const WbPluginSpecifier& specifier) : CProgramPlugin(type, specifier) {}

WbTenantPlugin::~WbTenantPlugin() = default;

CFilePlugin* CFilePluginList::GetItem(uint32_t id) const
{
    for (CFilePlugin* plugin : mItems)
        if (plugin->GetID() == id)
            return plugin;
    return nullptr;
}

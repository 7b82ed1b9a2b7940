// The host's definition classes and the default behaviour of every definition operation.
#include "WbTenantDef.h"

#include "CResFile.h"
#include "WbTenant.h"

CDefRsrcPlugin::CDefRsrcPlugin(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile)
    : CPlugin(type, specifier)
{
    mModule = resFile ? resFile->GetModule() : nullptr;
}

CDefRsrcPlugin::~CDefRsrcPlugin() = default;

uint32_t CDefRsrcPlugin::GetPluginStyle() const { return WbFourCC("RPlg"); }

HINSTANCE CDefRsrcPlugin::GetModuleHandleA() const { return mModule; }

WbTemplatePlugin::WbTemplatePlugin(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile,
                                   WbWorldDef* worldDef, CProgramPlugin* owner)
    : CDefRsrcPlugin(type, specifier, resFile), mWorldDef(worldDef), mOwner(owner)
{
}

WbTemplatePlugin::~WbTemplatePlugin() = default;
int WbTemplatePlugin::GetSortKey() const { return 0; }
void WbTemplatePlugin::InitObject(WbTowerDoc*) {}
void WbTemplatePlugin::LoadSound() {}
int WbTemplatePlugin::IsMover() const { return 0; }
int WbTemplatePlugin::IsTenant() const { return 0; }
int WbTemplatePlugin::IsOutObj() const { return 0; }
int WbTemplatePlugin::CalcPayment(WbTowerDoc*) const { return 0; }
int WbTemplatePlugin::RequierToolIcon() const { return 1; }
int WbTemplatePlugin::QueryCursor(WbTowerDoc*, POINT) { return 0; }

WbToolDef::~WbToolDef() = default;
void WbToolDef::IdleProc(WbTowerDoc*) {}

WbEquipDef::~WbEquipDef() = default;
void WbEquipDef::DefIdleProc(WbTowerDoc*) {}
void WbEquipDef::DoDestructProc(WbTowerDoc*, WbHaveOutViewObject*) {}
void WbEquipDef::DestructFinish(WbTowerDoc*, WbHaveOutViewObject*) {}
int WbEquipDef::CalcMentenanceCostProc(WbTowerDoc*, WbHaveOutViewObject*) { return mDefData.monthlyCostHundreds; }
void WbEquipDef::LoadExtraData(WbArchive&, WbTowerDoc*, WbHaveOutViewObject*) {}
void WbEquipDef::SaveExtraData(WbArchive&, WbHaveOutViewObject*) {}
void WbEquipDef::Add(WbAdvertisePlugin*) {}
void WbEquipDef::Add(CDefRsrcPlugin*) {}
void WbEquipDef::DrawHitMask(WbHaveOutViewObject*, WbBitImage*) const {}
int WbEquipDef::OptionProc(WbTowerDoc*, int) { return 0; }
int WbEquipDef::AreaCheck(WbTowerDoc*, const RECT&) { return 1; }
int WbEquipDef::ClickProc(WbTowerDoc*, WbHaveOutViewObject*, POINT) { return 0; }
int WbEquipDef::GetDestructPartProc(WbTowerDoc*, WbHaveOutViewObject*, POINT) { return 0; }
int WbEquipDef::GetPartFromPoint(WbHaveOutViewObject*, POINT) const { return 0; }
int WbEquipDef::DoBuildProc(WbTowerDoc*, const RECT&) { return 1; }
int WbEquipDef::FingerToolProc(WbTowerDoc*, WbHaveOutViewObject*) { return 0; }

RECT WbEquipDef::CalcEquipRect() const { return RECT{0, 0, mDefData.widthUnits, mDefData.heightUnits}; }

WbTenantDef::~WbTenantDef() = default;
int WbTenantDef::IsTenant() const { return 1; }
void WbTenantDef::PrepareTenantProc(WbTowerDoc*, WbTenant*) {}
int WbTenantDef::OptionProc(WbTowerDoc*, WbEquip*, void*) { return 0; }
void WbTenantDef::DrawPeople(WbTenant*, WbBitImage*) const {}
int WbTenantDef::GetInfoDialogID() const { return 1000; }
void WbTenantDef::ShowInfoDialog(WbTowerDoc*, WbTenant*) {}
WbTenantInfoDialog* WbTenantDef::ConstructInfoDialog(WbTenant*) { return nullptr; }
void WbTenantDef::EmergencyProc(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::BurntDownProc(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::DebugInfo(WbTenant*, CString&) const {}
void WbTenantDef::DrawData(WbTenant*, WbBitImage*) const {}
void WbTenantDef::DrawAttribute(WbTenant*, WbBitImage*) const {}
void WbTenantDef::NotifyTenantProc(int32_t, int32_t, int32_t) {}
void WbTenantDef::DoPeopleAnimation(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::BuildStartProc(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::GetQTMovieName(WbTenant*, CString& name) const { name.Empty(); }
int WbTenantDef::SearchRange(WbTowerDoc*, WbTenant*) { return 0; }
void* WbTenantDef::GetRefConObject(WbTowerDoc*, WbTenant* tenant) { return tenant->GetRefCon(); }

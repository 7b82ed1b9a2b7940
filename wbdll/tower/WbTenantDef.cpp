// The host's definition classes and the default behaviour of every definition operation.
#include "WbTenantDef.h"

#include "CResFile.h"
#include "WbDateTime.h"
#include "WbDialog.h"
#include "WbTenant.h"
#include "WbTenantDefReader.h"
#include "WbTowerDoc.h"

#include <new>
#include <string>

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

void WbEquipDef::DrawProc(WbHaveOutViewObject* equip, RECT& area, WbTowerDoc* doc) const
{
    WbBitImage* target = doc ? doc->GetDrawImage() : nullptr;
    if (!equip || !target || !mImageObj)
        return;
    // Formed as a 32-bit figure, like the pattern index it is made from: an index restored at the top of
    // its range wraps round.
    const int32_t pattern = int32_t(100u * uint32_t(CalcEquipRect().bottom) + uint32_t(equip->GetPatIndex()));
    const int index = mImageObj->FindObject(100, pattern, 0, 0, 255);
    RECT pixels = area;
    UWbCoordinate::UnitToQD(pixels, doc->GetZoomLevel(), 0);
    mImageObj->DrawObject(target, index, pixels, doc->GetZoomLevel(), -1);
}

// The definition takes everything its module's resources say, or nothing: a damaged resource leaves it
// empty, with the reason kept for the loader to report.
WbTenantDef::WbTenantDef(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                         WbTenantPlugin* owner)
    : WbEquipDef(type, specifier, resFile, worldDef, owner)
{
    WbParsed<WbTenantResources> read =
        resFile ? WbReadTenantResources(*resFile) : WbParsed<WbTenantResources>::Failure("no resource file");
    if (read) {
        mDefData = read->data;
        mImageObj = std::move(read->images);
        mMemberDefs = std::move(read->members);
        mRemarks = std::move(read->remarks);
    } else {
        mResourceError = read.GetError();
    }
    if (mDefData.subPluginType != 0)
        mSubPlugins = std::make_unique<CFilePluginList>();
}

WbTenantDef::~WbTenantDef() = default;
int WbTenantDef::IsTenant() const { return 1; }
void WbTenantDef::PrepareTenantProc(WbTowerDoc*, WbTenant*) {}
int WbTenantDef::OptionProc(WbTowerDoc*, WbEquip*, void*) { return 0; }
void WbTenantDef::DrawPeople(WbTenant*, WbBitImage*) const {}
int WbTenantDef::GetInfoDialogID() const { return 1000; }
// The player inspects the tenant: its info dialog opens and stays open after this returns. The host program
// calls WbOpenInfoDialog itself where it must tell why a dialog did not open.
void WbTenantDef::ShowInfoDialog(WbTowerDoc* doc, WbTenant* tenant)
{
    std::string error;
    WbOpenInfoDialog(doc, tenant, error);
}
WbTenantInfoDialog* WbTenantDef::ConstructInfoDialog(WbTenant* tenant)
{
    return new (std::nothrow) WbTenantInfoDialog(tenant);
}
void WbTenantDef::EmergencyProc(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::BurntDownProc(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::DebugInfo(WbTenant*, CString&) const {}
void WbTenantDef::DrawData(WbTenant*, WbBitImage*) const {}
void WbTenantDef::DrawAttribute(WbTenant*, WbBitImage*) const {}

int WbTenantDef::TenantIdleProc(WbTowerDoc*, WbTenant* tenant, int32_t)
{
    if (tenant && tenant->GetStatus() < 9) {
        tenant->SetStatus(tenant->GetStatus() + 1);
        tenant->SetDrawMode(1);
    }
    return 0;
}

// A plain tenant keeps a customer for an hour.
void WbTenantDef::EnterTenantProc(WbTowerDoc* doc, WbTenant* tenant, WbPeople* person)
{
    if (!doc || !tenant)
        return;
    tenant->EnterCustomer(person, doc->GetCurrentDateTime()->GetRawMinutes() + 60);
}

void WbTenantDef::NotifyTenantProc(int32_t, int32_t, int32_t) {}
void WbTenantDef::DoPeopleAnimation(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::BuildStartProc(WbTowerDoc*, WbTenant*) {}
void WbTenantDef::GetQTMovieName(WbTenant*, CString& name) const { name.Empty(); }
int WbTenantDef::SearchRange(WbTowerDoc*, WbTenant*) { return 0; }
void* WbTenantDef::GetRefConObject(WbTowerDoc*, WbTenant* tenant) { return tenant->GetRefCon(); }

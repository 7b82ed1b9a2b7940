// The host's definition classes: from a resource plug-in down to the definition of a tenant kind.
#pragma once

#include "CPlugin.h"
#include "CString.h"
#include "WbDll.h"
#include "WbImage.h"
#include "WbTenantMemberDef.h"
#include "WbWin32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CResFile;
class WbArchive;
class WbAdvertisePlugin;
class WbEquip;
class WbHaveOutViewObject;
class WbPeople;
class WbTenant;
class WbTenantInfoDialog;
class WbTowerDoc;
class WbWorldDef;

// A plug-in that reads its data from a module's resources.
class WBDLL_API CDefRsrcPlugin : public CPlugin {
public:
    CDefRsrcPlugin(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile);
    ~CDefRsrcPlugin() override;
    // 'RPlg'.
    uint32_t GetPluginStyle() const override;
    HINSTANCE GetModuleHandleA() const override;
};

// A definition made by a program plug-in from a template in its module.
class WBDLL_API WbTemplatePlugin : public CDefRsrcPlugin {
public:
    WbTemplatePlugin(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                     CProgramPlugin* owner);
    ~WbTemplatePlugin() override;
    // Position in the host's tool palette; the item type here.
    virtual int GetSortKey() const;
    // Prepares the definition for a tower; nothing here.
    virtual void InitObject(WbTowerDoc* doc);
    // Loads the definition's sounds; nothing here.
    virtual void LoadSound();
    virtual int IsMover() const;   // 0 here
    virtual int IsTenant() const;  // 0 here
    virtual int IsOutObj() const;  // 0 here
    // Price of building one, in the money unit; 0 here.
    virtual int CalcPayment(WbTowerDoc* doc) const;
    // Nonzero when the definition wants a tool icon; 1 here.
    virtual int RequierToolIcon() const;
    // Cursor to show at a point of the tower; 0 (the arrow) here.
    virtual int QueryCursor(WbTowerDoc* doc, POINT point);

    // The program plug-in that made this definition.
    CProgramPlugin* GetPlugin() const { return mOwner; }
    WbWorldDef* GetWorldDef() const { return mWorldDef; }

protected:
    WbWorldDef* mWorldDef;
    CProgramPlugin* mOwner;
};

// A definition of something the player places with a tool.
class WBDLL_API WbToolDef : public WbTemplatePlugin {
public:
    using WbTemplatePlugin::WbTemplatePlugin;
    ~WbToolDef() override;
    // Runs once per game tick for the definition as a whole; nothing here.
    virtual void IdleProc(WbTowerDoc* doc);
};

// Values of a tenant definition record (resource TNDF 1) the host works with.
struct WbTenantDefData {
    int32_t itemType = 0;
    int32_t widthUnits = 1;
    int32_t heightUnits = 1;
    CString categoryText;
    CString categoryName;
    uint32_t subPluginType = 0;
    CString priceText;
    CString costText;
    CString descriptionText;
    CString nameText;
    CString secondNameText;
    int32_t priceHundreds = 0;
    int32_t monthlyCostHundreds = 0;
    int32_t capacity = 0;
    int32_t belongCapacity = 0; // staff who belong to each tenant
    int32_t incomePerCustomer = 0;
    uint32_t openMinute = 0;
    uint32_t closeMinute = 0;
};

// A definition of equipment placed in the tower: its size, pictures and per-object hooks.
class WBDLL_API WbEquipDef : public WbToolDef {
public:
    using WbToolDef::WbToolDef;
    ~WbEquipDef() override;
    // Runs once per game tick before the objects' own idle passes; nothing here.
    virtual void DefIdleProc(WbTowerDoc* doc);
    // Draws one object of this kind into the document's draw image: here its "View" frame for
    // pattern 100 x height + pattern index, at the area converted to pixels.
    virtual void DrawProc(WbHaveOutViewObject* equip, RECT& area, WbTowerDoc* doc) const;
    // The object is being torn down; nothing here.
    virtual void DoDestructProc(WbTowerDoc* doc, WbHaveOutViewObject* equip);
    // The object is gone; nothing here.
    virtual void DestructFinish(WbTowerDoc* doc, WbHaveOutViewObject* equip);
    // Monthly maintenance cost of the object; the definition's monthly cost here.
    virtual int CalcMentenanceCostProc(WbTowerDoc* doc, WbHaveOutViewObject* equip);
    // Reads the object's extra data from a save file; nothing here.
    virtual void LoadExtraData(WbArchive& archive, WbTowerDoc* doc, WbHaveOutViewObject* equip);
    // Writes the object's extra data to a save file; nothing here.
    virtual void SaveExtraData(WbArchive& archive, WbHaveOutViewObject* equip);
    // Attaches an advertisement plug-in; nothing here.
    virtual void Add(WbAdvertisePlugin* plugin);
    // Attaches a resource plug-in; nothing here.
    virtual void Add(CDefRsrcPlugin* plugin);
    // Draws the object's hit mask; nothing here.
    virtual void DrawHitMask(WbHaveOutViewObject* equip, WbBitImage* mask) const;
    // A definition-wide option of the host; 0 here.
    virtual int OptionProc(WbTowerDoc* doc, int option);
    // Nonzero when the area may be built on; 1 here.
    virtual int AreaCheck(WbTowerDoc* doc, const RECT& area);
    // A click on the object; 0 (not handled) here.
    virtual int ClickProc(WbTowerDoc* doc, WbHaveOutViewObject* equip, POINT point);
    // The part of the object to tear down at a point; 0 here.
    virtual int GetDestructPartProc(WbTowerDoc* doc, WbHaveOutViewObject* equip, POINT point);
    // The part of the object at a point; 0 here.
    virtual int GetPartFromPoint(WbHaveOutViewObject* equip, POINT point) const;
    // Builds at the area; 1 (built) here.
    virtual int DoBuildProc(WbTowerDoc* doc, const RECT& area);
    // The finger tool touched the object; 0 here.
    virtual int FingerToolProc(WbTowerDoc* doc, WbHaveOutViewObject* equip);

    // The definition's size in units: (0, 0, width, height).
    RECT CalcEquipRect() const;
    WbImageObj* GetImageObj() const { return mImageObj.get(); }
    // The sub-plug-ins collected for this definition (for the theater: its films), or null.
    CFilePluginList* GetSubPluginList() const { return mSubPlugins.get(); }
    const WbTenantDefData& GetDefData() const { return mDefData; }
    // Host side: replaces the values; tenants made afterwards take them up.
    void SetDefData(const WbTenantDefData& data) { mDefData = data; }

protected:
    WbTenantDefData mDefData;
    std::unique_ptr<WbImageObj> mImageObj;
    std::unique_ptr<CFilePluginList> mSubPlugins;
};

// The definition of one kind of tenant. The host calls its operations for every tenant of the kind.
class WBDLL_API WbTenantDef : public WbEquipDef {
public:
    // Reads the tenant definition and the definition's other resources through the resource file.
    WbTenantDef(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                WbTenantPlugin* owner);
    ~WbTenantDef() override;
    int IsTenant() const override; // 1

    // A new tenant of this kind was placed; nothing here.
    virtual void PrepareTenantProc(WbTowerDoc* doc, WbTenant* tenant);
    using WbEquipDef::OptionProc;
    // An option of the host for one object; 0 here.
    virtual int OptionProc(WbTowerDoc* doc, WbEquip* equip, void* data);
    // Draws the people inside; nothing here.
    virtual void DrawPeople(WbTenant* tenant, WbBitImage* target) const;
    // Template ID of the info dialog; 1000 here.
    virtual int GetInfoDialogID() const;
    // Opens the info dialog of the tenant; the host's dialog framework does it.
    virtual void ShowInfoDialog(WbTowerDoc* doc, WbTenant* tenant);
    // Makes the info dialog of the tenant; the host's plain tenant info dialog here.
    virtual WbTenantInfoDialog* ConstructInfoDialog(WbTenant* tenant);
    // Emergency (fire, bomb) in the tenant; nothing here.
    virtual void EmergencyProc(WbTowerDoc* doc, WbTenant* tenant);
    // The tenant burnt down; nothing here.
    virtual void BurntDownProc(WbTowerDoc* doc, WbTenant* tenant);
    // Debug text about the tenant; nothing here.
    virtual void DebugInfo(WbTenant* tenant, CString& text) const;
    // Draws the tenant's data overlay; nothing here.
    virtual void DrawData(WbTenant* tenant, WbBitImage* target) const;
    // Draws the tenant's attribute overlay; nothing here.
    virtual void DrawAttribute(WbTenant* tenant, WbBitImage* target) const;
    // One idle pass of one tenant; returns 0. Advances construction here.
    virtual int TenantIdleProc(WbTowerDoc* doc, WbTenant* tenant, int32_t tick);
    // A person arrives at the tenant; admitted as a customer here.
    virtual void EnterTenantProc(WbTowerDoc* doc, WbTenant* tenant, WbPeople* person);
    // A notification of the host; nothing here.
    virtual void NotifyTenantProc(int32_t code, int32_t param1, int32_t param2);
    // Moves the people drawn in the tenant; nothing here.
    virtual void DoPeopleAnimation(WbTowerDoc* doc, WbTenant* tenant);
    // Construction of a tenant begins; nothing here.
    virtual void BuildStartProc(WbTowerDoc* doc, WbTenant* tenant);
    // Name of the tenant's QuickTime movie; empty here.
    virtual void GetQTMovieName(WbTenant* tenant, CString& name) const;
    // Range the tenant draws its customers from, in floors; 0 here.
    virtual int SearchRange(WbTowerDoc* doc, WbTenant* tenant);
    // The tenant's own object; its RefCon here.
    virtual void* GetRefConObject(WbTowerDoc* doc, WbTenant* tenant);

    // The kinds of customers of the tenant's customer table (TMDF 1).
    const std::vector<WbTenantMemberDef>& GetMemberDefs() const { return mMemberDefs; }
    // What customers say of the tenant (WODF 1).
    const std::vector<WbRemark>& GetRemarks() const { return mRemarks; }
    // Empty when the definition was read from its module's resources; otherwise the resource that could
    // not be read and why. A definition that could not be read has no size, pictures or hours.
    const std::string& GetResourceError() const { return mResourceError; }

private:
    std::vector<WbTenantMemberDef> mMemberDefs;
    std::vector<WbRemark> mRemarks;
    std::string mResourceError;
};

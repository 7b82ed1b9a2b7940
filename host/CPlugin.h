// The host's plug-in classes: the attribute record, the plug-in bases and the list of file plug-ins.
#pragma once

#include "CString.h"
#include "WbDll.h"
#include "WbFourCC.h"
#include "WbWin32.h"

#include <cstdint>
#include <vector>

class WbTowerDoc;

// What a module says of itself through GetAttr. The host's default constructor leaves the name and
// path empty, the type 0 and both following integers 0.
class WBDLL_API WbPluginSpecifier {
public:
    WbPluginSpecifier();
    WbPluginSpecifier(const WbPluginSpecifier&);
    WbPluginSpecifier& operator=(const WbPluginSpecifier&);
    virtual ~WbPluginSpecifier();

    CString mName;
    uint32_t mType = 0;
    int32_t mParam1 = 0;
    int32_t mParam2 = 0;
    CString mPath; // the module file the record came from; the loader fills it in
};

// Base of every plug-in object the host drives.
class WBDLL_API CPlugin {
public:
    CPlugin(uint32_t type, const WbPluginSpecifier& specifier);
    CPlugin(const CPlugin&) = delete;
    CPlugin& operator=(const CPlugin&) = delete;
    virtual ~CPlugin();
    // Style code of the plug-in kind; 0 here.
    virtual uint32_t GetPluginStyle() const;
    // The plug-in's name; the specifier's name here.
    virtual CString GetName() const;
    // One line for the host's plug-in list; the name and the type code here.
    virtual CString GetInfoString() const;
    // The module the plug-in came from, or null for the host's own plug-ins.
    virtual HINSTANCE GetModuleHandleA() const;

    HINSTANCE GetModuleHandle() const { return GetModuleHandleA(); }
    uint32_t GetType() const { return mType; }
    const WbPluginSpecifier& GetSpecifier() const { return mSpecifier; }

protected:
    uint32_t mType;
    WbPluginSpecifier mSpecifier;
    HINSTANCE mModule = nullptr;
};

// The values of a plug-in file's attribute record (resource ATTR 128).
struct WbFileAttr {
    uint32_t id = 0;
    int32_t attrib = 0;
    uint32_t dependID = 0;
    int32_t gameLevel = 0;
    int32_t secretItem = 0;
    int32_t itemType = 0;
    int32_t mustItem = 0;
    CString name;
};

// A plug-in that lives in a file of its own and carries an attribute record.
class WBDLL_API CFilePlugin : public CPlugin {
public:
    CFilePlugin(uint32_t type, const WbPluginSpecifier& specifier);
    ~CFilePlugin() override;
    CString GetName() const override;
    // Binds the plug-in to its loaded module; returns nonzero on success. Stores the handle here.
    virtual int Load(HINSTANCE module);
    // Releases what Load bound; forgets the module here.
    virtual void Unload();

    uint32_t GetID() const { return mAttr.id; }
    int32_t GetAttrib() const { return mAttr.attrib; }
    uint32_t GetDependID() const { return mAttr.dependID; }
    int32_t GetGameLevel() const { return mAttr.gameLevel; }
    int32_t GetSecretItem() const { return mAttr.secretItem; }
    int32_t GetItemType() const { return mAttr.itemType; }
    int32_t GetMustItem() const { return mAttr.mustItem; }

    // Host side.
    void SetAttr(const WbFileAttr& attr) { mAttr = attr; }
    const WbFileAttr& GetAttr() const { return mAttr; }

protected:
    WbFileAttr mAttr;
};

// A plug-in that brings program code into the host: the module's main object.
class WBDLL_API CProgramPlugin : public CFilePlugin {
public:
    CProgramPlugin(uint32_t type, const WbPluginSpecifier& specifier);
    ~CProgramPlugin() override;
    // 'PPlg'.
    uint32_t GetPluginStyle() const override;
    CString GetInfoString() const override;
    // Makes the module's template plug-ins; returns how many it made, 0 here.
    virtual int LoadAllTemplatePlugin();
    // Draws over the tower once per frame; nothing here.
    virtual void DrawProc(WbTowerDoc* doc);
    // Runs once per game tick; nothing here.
    virtual void IdleProc(WbTowerDoc* doc);
};

// The program plug-in of a module that adds tenants.
class WBDLL_API WbTenantPlugin : public CProgramPlugin {
public:
    WbTenantPlugin(uint32_t type, const WbPluginSpecifier& specifier);
    ~WbTenantPlugin() override;
};

// A list of file plug-ins in the order they were added, walked from head to tail.
class WBDLL_API CFilePluginList {
public:
    // The plug-in whose GetID is id, or null.
    CFilePlugin* GetItem(uint32_t id) const;
    int GetCount() const { return int(mItems.size()); }
    CFilePlugin* GetAt(int index) const { return mItems[size_t(index)]; }
    auto begin() const { return mItems.begin(); }
    auto end() const { return mItems.end(); }

    // Host side: the list borrows its plug-ins.
    void Append(CFilePlugin* plugin) { mItems.push_back(plugin); }
    void Clear() { mItems.clear(); }

private:
    std::vector<CFilePlugin*> mItems;
};

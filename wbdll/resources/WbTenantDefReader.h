// Everything a tenant definition reads from its module: the definition record, the customer table, the
// remarks and the pictures with their object maps.
#pragma once

#include "CResFile.h"
#include "WbDll.h"
#include "WbImage.h"
#include "WbParsed.h"
#include "WbResourceRecords.h"
#include "WbTenantDef.h"
#include "WbTenantMemberDef.h"

#include <memory>
#include <vector>

struct WbTenantResources {
    WbTenantDefData data;
    std::vector<WbTenantMemberDef> members;
    std::vector<WbRemark> remarks;
    std::unique_ptr<WbImageObj> images;
};

// The bitmaps a tenant module may carry, each with the object map of the same ID: the tool icons (100),
// the tenant in the tower (1000) and its outside views (1001 to 1003).
constexpr uint32_t kTenantIconsID = 100;
constexpr uint32_t kTenantViewID = 1000;
constexpr uint32_t kTenantPictureIDs[] = {kTenantIconsID, kTenantViewID, 1001, 1002, 1003};

// Reads TNDF 1 and bitmap and object map 1000, which every tenant module has, and TMDF 1, WODF 1 and the
// other pictures where present. The first resource that is missing or cannot be read ends the reading;
// its message names the resource and says why.
WBDLL_API WbParsed<WbTenantResources> WbReadTenantResources(const CResFile& resFile);

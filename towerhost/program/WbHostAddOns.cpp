// The list of add-ons the host program carries; each new add-on is made here.
#include "WbActions.h"
#include "WbHostAddOn.h"
#include "WbTowerRenderer.h"

std::vector<std::unique_ptr<WbHostAddOn>> WbMakeHostAddOns()
{
    std::vector<std::unique_ptr<WbHostAddOn>> addOns;
    addOns.push_back(std::make_unique<WbActions>());
    addOns.push_back(std::make_unique<WbTowerRenderer>());
    return addOns;
}

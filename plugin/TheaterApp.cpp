// The module's framework objects: its registration in the chain of resource modules and its application object.
#include "Afx.h"
#include "TheaterResources.h"

namespace {

// The framework wants one application object per module; the theater gives it no behaviour.
class WbTheaterApp final : public CWinApp {
public:
    ~WbTheaterApp() override = default;
};

// Both live from the module's load to its unload. The registration comes first, so that the module is in the
// chain before its application object exists and leaves it only after that object has gone.
CDynLinkLibrary gTheaterLibrary(&gTheaterLibrary, TheaterResourceBytes());
WbTheaterApp gTheaterApp;

} // namespace

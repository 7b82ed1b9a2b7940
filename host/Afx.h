// The framework's start-up of a module: its place in the chain of resource modules and its application object.
#pragma once

#include "WbDll.h"
#include "WbWin32.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One module in the process's chain of resource modules. A module handle (HINSTANCE) points at one.
struct WbModule {
    // The module file, as the platform's loader names it, made absolute with links resolved.
    std::string path;
    // The platform's handle of the loaded library (dlopen's or LoadLibrary's), null while not known.
    void* library = nullptr;
    // The module's compiled resources (the bytes of its .res file); empty for a module without any.
    std::span<const uint8_t> resources;
};

// Made by a module when it is loaded (as a static object), ended when it is unloaded: puts the module at
// the head of the chain, so that its resources are found before those of modules loaded earlier, and
// takes it out again.
class WBDLL_API CDynLinkLibrary {
public:
    // addressInModule is any address inside the module, from which its file is found; resources must
    // stay valid until the module is unloaded.
    CDynLinkLibrary(const void* addressInModule, std::span<const uint8_t> resources);
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
    ~CDynLinkLibrary();

    HINSTANCE GetModule() const { return mModule; }

private:
    HINSTANCE mModule;
};

// The chain, head first: the module registered last comes first.
WBDLL_API std::vector<HINSTANCE> AfxGetModuleChain();
// The module of the chain loaded from this file (compared as absolute paths with links resolved), or null.
WBDLL_API HINSTANCE AfxFindModule(const std::string& path);
// The file of the loaded module that contains the address, absolute with links resolved; empty if none does.
WBDLL_API std::string AfxGetModulePath(const void* address);

// The framework's application object. A module carries exactly one, alive from its load to its unload;
// the object has no behaviour of its own.
class WBDLL_API CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The module file the object lives in, found from its own address; empty if none is known.
    const std::string& GetModulePath() const { return mModulePath; }

private:
    std::string mModulePath;
};

// The application objects alive now, the oldest first.
WBDLL_API std::vector<CWinApp*> AfxGetAppObjects();
// The current application object: the one made last of those alive, or null.
WBDLL_API CWinApp* AfxGetApp();

// The chain of resource modules and the application objects: what the framework's start-up of a module keeps.
#include "Afx.h"

#include "WbModuleLibrary.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

// Never destroyed: modules still loaded at exit end their registrations after the host library's own
// static objects may have gone.
std::vector<std::unique_ptr<WbModule>>& Chain()
{
    static auto* chain = new std::vector<std::unique_ptr<WbModule>>;
    return *chain;
}

std::vector<CWinApp*>& AppObjects()
{
    static auto* apps = new std::vector<CWinApp*>;
    return *apps;
}

std::string NormalPath(const std::string& path)
{
    if (path.empty())
        return path;
    std::error_code error;
    std::filesystem::path normal = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    return error ? path : normal.string();
}

} // namespace

std::string AfxGetModulePath(const void* address) { return NormalPath(WbModuleLibrary::PathOfAddress(address)); }

CDynLinkLibrary::CDynLinkLibrary(const void* addressInModule, std::span<const uint8_t> resources)
{
    auto module = std::make_unique<WbModule>();
    module->path = AfxGetModulePath(addressInModule);
    module->library = WbModuleLibrary::HandleOfAddress(addressInModule);
    module->resources = resources;
    mModule = module.get();
    // Head first: the chain is stored tail first so that adding is a push.
    Chain().push_back(std::move(module));
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    auto& chain = Chain();
    std::erase_if(chain, [this](const std::unique_ptr<WbModule>& module) { return module.get() == mModule; });
}

std::vector<HINSTANCE> AfxGetModuleChain()
{
    std::vector<HINSTANCE> modules;
    const auto& chain = Chain();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        modules.push_back(it->get());
    return modules;
}

HINSTANCE AfxFindModule(const std::string& path)
{
    const std::string wanted = NormalPath(path);
    for (HINSTANCE module : AfxGetModuleChain())
        if (module->path == wanted)
            return module;
    return nullptr;
}

CWinApp::CWinApp() : mModulePath(AfxGetModulePath(this)) { AppObjects().push_back(this); }

CWinApp::~CWinApp() { std::erase(AppObjects(), this); }

std::vector<CWinApp*> AfxGetAppObjects() { return AppObjects(); }

CWinApp* AfxGetApp()
{
    const auto& apps = AppObjects();
    return apps.empty() ? nullptr : apps.back();
}

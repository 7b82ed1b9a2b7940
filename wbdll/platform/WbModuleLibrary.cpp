// The platform part of module loading: dlopen and its kin natively, LoadLibraryA and its kin on Windows.
#include "WbModuleLibrary.h"

#include <filesystem>

#if defined(_WIN32)
#include "WbLastErrorText.h"
#else
#include <dlfcn.h>
#include <sys/auxv.h>
#endif

namespace {

std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

#if defined(_WIN32)
HMODULE ModuleOfAddress(const void* address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return nullptr;
    return module;
}
#endif

} // namespace

WbModuleLibrary& WbModuleLibrary::operator=(WbModuleLibrary&& other) noexcept
{
    if (this != &other) {
        Close();
        mHandle = other.mHandle;
        other.mHandle = nullptr;
    }
    return *this;
}

#if defined(_WIN32)

WbModuleLibrary WbModuleLibrary::Open(const std::string& path, std::string& error)
{
    WbModuleLibrary library;
    // A module that fails to load must not make Windows show a message box in a headless host.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    library.mHandle = reinterpret_cast<void*>(LoadLibraryA(AbsolutePath(path).c_str()));
    if (!library.mHandle)
        error = WbLastErrorText();
    SetErrorMode(previousMode);
    return library;
}

void WbModuleLibrary::Close()
{
    if (mHandle)
        FreeLibrary(static_cast<HMODULE>(mHandle));
    mHandle = nullptr;
}

void* WbModuleLibrary::FindSymbol(const char* name) const
{
    if (!mHandle)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(mHandle), name));
}

std::string WbModuleLibrary::PathOfAddress(const void* address)
{
    HMODULE module = ModuleOfAddress(address);
    if (!module)
        return {};
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return length && length < MAX_PATH ? std::string(path, length) : std::string();
}

void* WbModuleLibrary::HandleOfAddress(const void* address)
{
    return reinterpret_cast<void*>(ModuleOfAddress(address));
}

#else

WbModuleLibrary WbModuleLibrary::Open(const std::string& path, std::string& error)
{
    WbModuleLibrary library;
    // Local binding keeps one module's symbols from satisfying another's.
    library.mHandle = dlopen(AbsolutePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library.mHandle) {
        const char* reason = dlerror();
        error = reason ? reason : "unknown reason";
    }
    return library;
}

void WbModuleLibrary::Close()
{
    if (mHandle)
        dlclose(mHandle);
    mHandle = nullptr;
}

void* WbModuleLibrary::FindSymbol(const char* name) const
{
    if (!mHandle)
        return nullptr;
    return dlsym(mHandle, name);
}

std::string WbModuleLibrary::PathOfAddress(const void* address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname)
        return {};
    // The loader names the main program by its argv[0], which may be a bare name found on PATH; the kernel
    // knows its file.
    Dl_info program{};
    const void* programHeaders = reinterpret_cast<const void*>(getauxval(AT_PHDR));
    if (dladdr(programHeaders, &program) && program.dli_fbase == info.dli_fbase) {
        std::error_code error;
        std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error)
            return file.string();
    }
    return info.dli_fname;
}

// The dynamic loader has no way to name a library's handle from inside it without taking a reference;
// the loader fills the handle in once dlopen has returned.
void* WbModuleLibrary::HandleOfAddress(const void*) { return nullptr; }

#endif

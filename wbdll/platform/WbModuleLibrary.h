// A dynamic library opened through the platform's loader; keeps the platform's headers out of the rest of
// the host library.
#pragma once

#include <string>

class WbModuleLibrary final {
public:
    // Opens the library at path (made absolute first, so no search path is consulted). On failure the
    // result is not open and error holds the platform loader's reason.
    static WbModuleLibrary Open(const std::string& path, std::string& error);

    WbModuleLibrary() = default;
    WbModuleLibrary(WbModuleLibrary&& other) noexcept : mHandle(other.mHandle) { other.mHandle = nullptr; }
    WbModuleLibrary& operator=(WbModuleLibrary&& other) noexcept;
    WbModuleLibrary(const WbModuleLibrary&) = delete;
    WbModuleLibrary& operator=(const WbModuleLibrary&) = delete;
    ~WbModuleLibrary() { Close(); }

    bool IsOpen() const { return mHandle != nullptr; }
    // The platform's handle (dlopen's or LoadLibraryA's).
    void* GetNativeHandle() const { return mHandle; }
    // The exported function of this name as the given pointer type, or null.
    template <typename Function> Function Symbol(const char* name) const
    {
        return reinterpret_cast<Function>(FindSymbol(name));
    }
    // Drops this reference to the library; the platform unloads it with its last reference.
    void Close();

    // The file of the loaded module that contains the address, as the platform names it; empty if none.
    static std::string PathOfAddress(const void* address);
    // The platform's handle of the loaded module that contains the address, where the platform can tell
    // it without taking a reference; null otherwise.
    static void* HandleOfAddress(const void* address);

private:
    void* FindSymbol(const char* name) const;

    void* mHandle = nullptr;
};

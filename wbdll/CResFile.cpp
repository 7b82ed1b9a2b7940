// The host's reader of one module's resources. Natively the module hands its compiled .res to the chain of
// resource modules at load; a Windows module carries its resources in its PE file, where the platform
// finds them.
#include "CResFile.h"

#include "Afx.h"
#include "WbNativeResources.h"
#include "WbResParser.h"

CResFile::CResFile(HINSTANCE module) : mModule(module) {}

#if defined(_WIN32)

std::span<const uint8_t> CResFile::Find(const char* typeName, uint32_t id) const
{
    return mModule && typeName ? WbFindNativeResource(mModule->library, typeName, 0, id) : std::span<const uint8_t>();
}

std::span<const uint8_t> CResFile::Find(uint16_t typeNumber, uint32_t id) const
{
    return mModule ? WbFindNativeResource(mModule->library, nullptr, typeNumber, id) : std::span<const uint8_t>();
}

// The platform checked the resource section when it loaded the module.
std::string CResFile::GetError() const { return {}; }

#else

// The .res is read anew on every lookup: it has a handful of entries, and the reader keeps no state
// that could go stale when a module is unloaded.
std::span<const uint8_t> CResFile::Find(const char* typeName, uint32_t id) const
{
    if (!mModule || !typeName)
        return {};
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(mModule->resources);
    const WbResEntry* entry = entries ? WbFindResEntry(*entries, typeName, id) : nullptr;
    return entry ? entry->data : std::span<const uint8_t>();
}

std::span<const uint8_t> CResFile::Find(uint16_t typeNumber, uint32_t id) const
{
    if (!mModule)
        return {};
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(mModule->resources);
    const WbResEntry* entry = entries ? WbFindResEntry(*entries, typeNumber, id) : nullptr;
    return entry ? entry->data : std::span<const uint8_t>();
}

std::string CResFile::GetError() const
{
    if (!mModule)
        return "no module";
    if (mModule->resources.empty())
        return mModule->path + ": the module carries no resources";
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(mModule->resources);
    return entries ? std::string() : mModule->path + ": " + entries.GetError();
}

#endif

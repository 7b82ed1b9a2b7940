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

namespace {

// The .res is read anew on every lookup: it has a handful of entries, and the reader keeps no state
// that could go stale when a module is unloaded.
template <typename Type> std::span<const uint8_t> FindEntry(HINSTANCE module, Type type, uint32_t id)
{
    if (!module)
        return {};
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(module->resources);
    const WbResEntry* entry = entries ? WbFindResEntry(*entries, type, id) : nullptr;
    return entry ? entry->data : std::span<const uint8_t>();
}

} // namespace

std::span<const uint8_t> CResFile::Find(const char* typeName, uint32_t id) const
{
    return typeName ? FindEntry(mModule, typeName, id) : std::span<const uint8_t>();
}

std::span<const uint8_t> CResFile::Find(uint16_t typeNumber, uint32_t id) const
{
    return FindEntry(mModule, typeNumber, id);
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

// Reads a tenant definition from its module's resources in one go, so that the definition takes either
// all of it or, when any resource is damaged, none of it.
#include "WbTenantDefReader.h"

#include "WbBitmapReader.h"
#include "WbObjectMap.h"
#include "WbResParser.h"

#include <string>

namespace {

std::string Missing(const char* type, uint32_t id)
{
    return "the module has no " + std::string(type) + " " + std::to_string(id);
}

} // namespace

WbParsed<WbTenantResources> WbReadTenantResources(const CResFile& resFile)
{
    using Result = WbParsed<WbTenantResources>;
    WbTenantResources read;

    const std::span<const uint8_t> tndf = resFile.Find("TNDF", 1);
    if (tndf.empty())
        return Result::Failure(Missing("TNDF", 1));
    WbParsed<WbTenantDefData> data = WbReadTenantDefRecord(tndf, 1);
    if (!data)
        return Result::Failure(data.GetError());
    read.data = *data;

    if (const std::span<const uint8_t> tmdf = resFile.Find("TMDF", 1); !tmdf.empty()) {
        WbParsed<std::vector<WbTenantMemberDef>> members = WbReadMemberTable(tmdf, 1);
        if (!members)
            return Result::Failure(members.GetError());
        read.members = std::move(*members);
    }
    if (const std::span<const uint8_t> wodf = resFile.Find("WODF", 1); !wodf.empty()) {
        WbParsed<std::vector<WbRemark>> remarks = WbReadRemarks(wodf, 1);
        if (!remarks)
            return Result::Failure(remarks.GetError());
        read.remarks = std::move(*remarks);
    }

    read.images = std::make_unique<WbImageObj>();
    for (uint32_t id : kTenantPictureIDs) {
        const std::span<const uint8_t> map = resFile.Find("OBJMAP", id);
        const std::span<const uint8_t> bits = resFile.Find(kResTypeBitmap, id);
        if (map.empty() && bits.empty() && id != kTenantViewID)
            continue;
        if (map.empty())
            return Result::Failure(Missing("OBJMAP", id));
        if (bits.empty())
            return Result::Failure(Missing("bitmap", id));
        WbParsed<std::vector<WbObjectMapPart>> parts = WbParseObjectMap(map, id);
        if (!parts)
            return Result::Failure(parts.GetError());
        WbParsed<std::unique_ptr<WbBitImage>> bitmap = WbReadBitmap(bits, id);
        if (!bitmap)
            return Result::Failure(bitmap.GetError());
        WbParsed<int> added = WbAddObjectMap(*read.images, *parts, std::move(*bitmap), id);
        if (!added)
            return Result::Failure(added.GetError());
    }
    return Result(std::move(read));
}

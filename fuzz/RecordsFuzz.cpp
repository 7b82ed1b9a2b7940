// Fuzzes every reader of the binary records and of a string block: any byte string is a candidate for each.
#include "WbResourceRecords.h"
#include "WbStringTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    WbReadAttrRecord(bytes);
    WbReadDescRecord(bytes);
    WbParsed<WbTenantDefData> definition = WbReadTenantDefRecord(bytes);
    // A definition the reader accepts keeps its hours inside the day.
    if (definition && (definition->openMinute >= 1440 || definition->closeMinute >= 1440))
        __builtin_trap();
    WbParsed<std::vector<WbTenantMemberDef>> members = WbReadMemberTable(bytes);
    if (members)
        for (const WbTenantMemberDef& member : *members)
            if (member.GetNumOfPeople() < 1 || member.GetRate() < 0.0f || member.GetRate() > 1.0f)
                __builtin_trap();
    WbReadRemarks(bytes);
    WbReadStringBlock(bytes, 64);
    return 0;
}

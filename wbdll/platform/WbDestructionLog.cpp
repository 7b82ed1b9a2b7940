// The record of plug-in objects coming to their end, kept only while somebody holds a log.
#include "WbDestructionLog.h"

#include <algorithm>

namespace {

std::vector<WbDestructionLog*>& OpenLogs()
{
    static auto* logs = new std::vector<WbDestructionLog*>;
    return *logs;
}

} // namespace

WbDestructionLog::WbDestructionLog() { OpenLogs().push_back(this); }

WbDestructionLog::~WbDestructionLog() { std::erase(OpenLogs(), this); }

void WbDestructionLog::Note(const void* object, uint32_t type)
{
    for (WbDestructionLog* log : OpenLogs())
        log->mDestructions.push_back(WbDestruction{object, type});
}

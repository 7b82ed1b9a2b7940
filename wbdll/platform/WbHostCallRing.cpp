// The ring of the host's last calls into a module: a plain array and a counter, written by the host's
// thread and read by whoever asks, a signal handler included.
#include "WbHostCallRing.h"

namespace {

const char* volatile gCalls[WbHostCallRing::kSize] = {};
volatile unsigned gCount = 0;

} // namespace

void WbHostCallRing::Enter(const char* name)
{
    const unsigned count = gCount;
    gCalls[count % kSize] = name;
    gCount = count + 1;
}

const char* WbHostCallRing::Recent(unsigned n)
{
    const unsigned count = gCount;
    if (n >= kSize || n >= count)
        return nullptr;
    return gCalls[(count - 1 - n) % kSize];
}

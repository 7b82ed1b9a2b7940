// The validator's own allocation functions: in the child that runs a group they count the allocations a
// call into the module makes, make the n-th one fail, and hold the child to its memory limit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace WbAllocationWatch {

// Counts allocations from now on; the n-th one fails (a plain new throws, a nothrow new gives null). 0
// fails none.
void Arm(int64_t failAt);
// Stops counting; true when the armed failure was met.
bool Disarm();
// Allocations since the last Arm.
int64_t Count();
// From now on only the allocations the module's own code makes are counted and can fail: those whose
// nearest caller on the stack that lies in the module or in the host library lies in the module. The host's
// own work for a call of the module (people it makes, arrivals it schedules) is the host's. Both addresses
// are of any code in the module and the host library; null for both counts every allocation again.
void CountOnlyModule(const void* moduleCode, const void* hostCode);

// From now on the child holds at most this many bytes through operator new; one more, or an allocation the
// system refuses, ends the child with an "X MEMORY" line on the descriptor, naming the host's last call into
// the module.
void LimitMemory(size_t bytes, int resultDescriptor);

} // namespace WbAllocationWatch

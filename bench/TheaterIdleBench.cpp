// Time and heap allocations of one idle pass of a theater, during a film and during an entry period.
#include "IdleTheater.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Every allocation of the program is counted, so that a pass that allocates shows in its counter.
std::atomic<int64_t> gAllocations{0};

void* CountedAllocation(std::size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void IdlePass(benchmark::State& state, uint32_t minute, int32_t status)
{
    IdleTheater theater(minute);
    if (theater.GetStatus() != status) {
        state.SkipWithError("the theater is not at the status this benchmark measures");
        return;
    }
    const int64_t allocationsBefore = gAllocations.load();
    for (auto _ : state)
        theater.Pass();
    const int64_t allocations = gAllocations.load() - allocationsBefore;
    state.counters["allocations_per_pass"] =
        benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
    if (theater.GetStatus() != status)
        state.SkipWithError("the status changed while passes repeated the same minute");
}

void RunningTheater(benchmark::State& state) { IdlePass(state, 700, 32); }
void EntryPeriod(benchmark::State& state) { IdlePass(state, 610, 30); }

} // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

BENCHMARK(RunningTheater);
BENCHMARK(EntryPeriod);
BENCHMARK_MAIN();

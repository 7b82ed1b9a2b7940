// How a tower's cost grows with its size: a day of N theaters run by the host, timed per theater-minute,
// with the heap's peak per theater.
#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbModuleLoader.h"
#include "WbOperatorNew.h"
#include "WbScenario.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <new>
#include <string>
#include <sys/resource.h>
#include <time.h>

namespace {

// The heap in use and its peak, counted by every allocation of the program, the module's included.
std::atomic<int64_t> gLiveBytes{0};
std::atomic<int64_t> gPeakBytes{0};

constexpr int64_t kMinutesPerDay = 1440;

// The tower of tools/tower-scenario.py: theaters of 300 seats showing four films in turn, customers spread
// over the minutes after each call.
WbScenario ScalingScenario(int theaters)
{
    WbScenario scenario;
    scenario.seed = 1;
    scenario.arrivals = WbArrivalMode::Spread;
    const struct {
        const char* id;
        const char* title;
        int32_t runningTime;
        int32_t firstDayAudience;
    } films[] = {{"SCA1", "Harbour Lights", 90, 150},
                 {"SCA2", "The Long Stair", 100, 200},
                 {"SCA3", "Night Ferry", 110, 250},
                 {"SCA4", "Copper Skyline", 120, 300}};
    for (const auto& film : films)
        scenario.films.push_back({.id = film.id,
                                  .title = film.title,
                                  .runningTime = film.runningTime,
                                  .carryOver = 80,
                                  .firstDayAudience = film.firstDayAudience});
    for (int i = 0; i < theaters; ++i)
        scenario.theaters.push_back({.name = "Theater " + std::to_string(i + 1),
                                     .film = scenario.films[size_t(i) % std::size(films)].id,
                                     .capacity = 300});
    return scenario;
}

// What the program has spent so far: processor time, which other programs on a busy machine do not lengthen
// as they do the time on the clock; the kernel's and the program's own parts of it, as the kernel splits its
// count by sampling; and the pages the kernel had to provide.
struct ProcessCost {
    double seconds;
    double userSeconds;
    double kernelSeconds;
    int64_t pageFaults;

    static ProcessCost Now()
    {
        timespec now{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return {double(now.tv_sec) + double(now.tv_nsec) * 1e-9, Seconds(usage.ru_utime), Seconds(usage.ru_stime),
                int64_t(usage.ru_minflt)};
    }
    static double Seconds(const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) * 1e-6; }
    ProcessCost operator-(const ProcessCost& earlier) const
    {
        return {seconds - earlier.seconds, userSeconds - earlier.userSeconds, kernelSeconds - earlier.kernelSeconds,
                pageFaults - earlier.pageFaults};
    }
    ProcessCost& operator+=(const ProcessCost& more)
    {
        seconds += more.seconds;
        userSeconds += more.userSeconds;
        kernelSeconds += more.kernelSeconds;
        pageFaults += more.pageFaults;
        return *this;
    }
    double KernelShare() const
    {
        const double split = userSeconds + kernelSeconds;
        return split > 0 ? kernelSeconds / split : 0;
    }
};

std::string ModulePath()
{
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Theater.wbp").string();
}

// Each repetition loads the module and places the tower afresh, as the host program does, so that no
// film remembers a record from an earlier day. The days before the timed one run untimed: a later day shows
// the tower once its pool of people and its lists have grown to the crowds of a day.
void TimeTowerDay(benchmark::State& state, int daysBefore)
{
    const int theaters = int(state.range(0));
    const WbScenario scenario = ScalingScenario(theaters);
    int64_t peakBytes = 0;
    ProcessCost spent{};
    for (auto _ : state) {
        const int64_t liveBefore = gLiveBytes.load();
        gPeakBytes.store(liveBefore);
        WbFilmShelf shelf(scenario.films);
        WbWorldDef worldDef;
        WbLoadResult loaded = WbLoadPluginModule(ModulePath(), &worldDef);
        if (!loaded.module) {
            state.SkipWithError(loaded.error.c_str());
            return;
        }
        WbTenantDef* def = loaded.module->GetDefinition();
        shelf.OfferTo(def);
        WbHostRun run(WbHostTower::FromScenario(scenario, def, shelf), scenario.passesPerMinute);
        run.RunMinutes(kMinutesPerDay * daysBefore);
        const ProcessCost start = ProcessCost::Now();
        run.RunMinutes(kMinutesPerDay);
        const ProcessCost day = ProcessCost::Now() - start;
        state.SetIterationTime(day.seconds);
        spent += day;
        peakBytes = std::max(peakBytes, gPeakBytes.load() - liveBefore);
    }
    const double theaterMinutes = double(theaters) * kMinutesPerDay;
    const double repetitions = double(state.iterations());
    state.counters["theaters"] = double(theaters);
    state.counters["ns_per_theater_minute"] = spent.seconds * 1e9 / (theaterMinutes * repetitions);
    state.counters["peak_bytes_per_theater"] = double(peakBytes) / theaters;
    state.counters["kernel_share"] = spent.KernelShare();
    state.counters["page_faults_per_theater"] = double(spent.pageFaults) / (theaters * repetitions);
}

// A tower's first day, in which its people and lists grow to the day's crowds.
void TowerDay(benchmark::State& state) { TimeTowerDay(state, 0); }

// A tower's second day, once it has grown: what each further day of a running tower costs.
void TowerSecondDay(benchmark::State& state) { TimeTowerDay(state, 1); }

} // namespace

void* WbProgramAllocate(std::size_t size, std::align_val_t alignment) noexcept
{
    void* memory = WbSystemAllocate(size, alignment);
    if (!memory)
        return nullptr;
    const int64_t bytes = int64_t(malloc_usable_size(memory));
    const int64_t live = gLiveBytes.fetch_add(bytes) + bytes;
    int64_t peak = gPeakBytes.load();
    while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live)) {
    }
    return memory;
}

void WbProgramRelease(void* memory) noexcept
{
    if (!memory)
        return;
    gLiveBytes.fetch_sub(int64_t(malloc_usable_size(memory)));
    std::free(memory);
}

BENCHMARK(TowerDay)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TowerSecondDay)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

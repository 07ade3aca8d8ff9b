#pragma once
// The timing helpers every benchmark uses.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Wall-clock seconds that run takes.
template <typename F>
double Seconds(F&& run)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<F>(run)();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time (user and system) of this process (RUSAGE_SELF) or of its finished children
// (RUSAGE_CHILDREN), or of the calling thread (RUSAGE_THREAD): on a machine shared with other work it varies far less than the wall clock.
inline double ProcessorSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs run rounds times for a profiler and prints the median wall-clock time, the processor time
// of a run, and how much of it the calling thread (the walk's) took: what the wall clock shows
// beyond the walk's own share is the walk waiting, for the workers or for a processor.
template <typename F>
void PrintProfiledRuns(int rounds, F&& run)
{
    std::vector<double> times;
    const double processorBefore = ProcessorSeconds(RUSAGE_SELF);
    const double threadBefore = ProcessorSeconds(RUSAGE_THREAD);
    for (int i = 0; i < rounds; ++i)
        times.push_back(Seconds(run));
    std::printf("median run %.3f s, %.3f s processor a run, %.3f s of it the walk's thread\n", Median(times),
                (ProcessorSeconds(RUSAGE_SELF) - processorBefore) / rounds,
                (ProcessorSeconds(RUSAGE_THREAD) - threadBefore) / rounds);
}

} // namespace bench

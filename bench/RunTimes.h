#pragma once

// The time of every run of every benchmark, kept in run order: the benchmarks that compare two
// pieces of work run them in alternation and take the ratio pair by pair, so that each pair sees
// the same machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace bench {

/// What a run is timed by: the measuring thread's CPU time (on a shared machine the wall clock
/// also counts the time other processes held the core), or the wall clock (for work spread
/// over threads).
enum class RunClock { Cpu, Wall };

/// Reports as the console does, and keeps each run's time under its benchmark's name with its
/// arguments ("BM_AddFolder/4").
class RunTimesReporter final : public benchmark::ConsoleReporter {
 public:
  explicit RunTimesReporter(RunClock clock) : m_clock(clock) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred)
        continue;
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty())
        name += "/" + run.run_name.args;
      times[name].push_back(m_clock == RunClock::Cpu ? run.GetAdjustedCPUTime()
                                                     : run.GetAdjustedRealTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }

  /// The ratios `over[i] / under[i]` of the runs of two benchmarks, pair by pair; empty when
  /// either did not run.
  std::vector<double> PairRatios(const std::string& over, const std::string& under) const {
    std::vector<double> ratios;
    const auto a = times.find(over);
    const auto b = times.find(under);
    if (a == times.end() || b == times.end())
      return ratios;
    for (size_t i = 0; i < std::min(a->second.size(), b->second.size()); ++i)
      ratios.push_back(a->second[i] / b->second[i]);
    return ratios;
  }

  std::map<std::string, std::vector<double>> times;

 private:
  RunClock m_clock;
};

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench

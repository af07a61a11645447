// Adding a folder of 200 ROMs of 4 MiB each: identified on every processor against one thread,
// in alternation, printed as the ratio of the times (higher is faster); and the peak memory of
// adding 50 such files against adding 200, which must not grow with the number of files.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "RunTimes.h"
#include "db/CFolderAdd.h"
#include "md5/MD5.h"

namespace {

constexpr int kFiles = 200;
constexpr int kFewFiles = 50;
constexpr size_t kFileBytes = 4u << 20;
constexpr int kRounds = 5;

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

std::string g_dir;
std::string g_all;  // the 200 files
std::string g_few;  // links to 50 of them
std::string g_none;

// Files of real bytes, each with a name of its own, so that every one is read and added.
void MakeFolders() {
  char pattern[] = "/tmp/brindle-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr)
    std::abort();
  g_dir = pattern;
  g_all = g_dir + "/all";
  g_few = g_dir + "/few";
  g_none = g_dir + "/none";
  for (const std::string& folder : {g_all, g_few, g_none})
    std::filesystem::create_directories(folder);
  std::vector<char> bytes(kFileBytes);
  std::mt19937 random(4096);
  std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<char>(random()); });
  for (int i = 0; i < kFiles; ++i) {
    char name[22] = {};
    std::snprintf(name, sizeof name, "BENCH GAME %-10d", i);
    std::copy(name, name + 21, bytes.begin() + 0xFFC0);
    const std::string path = g_all + "/game" + std::to_string(1000 + i) + ".smc";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
        std::fclose(out) != 0) {
      std::abort();
    }
    if (i < kFewFiles)
      std::filesystem::create_hard_link(path, g_few + "/game" + std::to_string(1000 + i) + ".smc");
  }
}

int AddFolder(const std::string& folder, int threads) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  CFolderAdd work(db, threads);
  work.Run({folder});
  return work.Result().romsAdded;
}

void BM_AddFolder(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (AddFolder(g_all, threads) != kFiles)
      std::abort();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileBytes);
}

// The same digesting from memory, split over the threads by hand: what this machine allows at
// the moment (other processes share its processors), against which the ratio above is read.
void BM_Ceiling(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  static const std::vector<unsigned char> buffer(kFileBytes, 0x5a);
  for (auto _ : state) {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([t, threads] {
        for (int i = t; i < kFiles; i += threads) {
          MD5 digest(buffer.data(), static_cast<uint32_t>(buffer.size()));
          benchmark::DoNotOptimize(digest.hex_digest());
        }
      });
    }
    for (std::thread& worker : workers)
      worker.join();
  }
}

// One thread's time over the threads' time, for runs made in alternation: the median of the
// pairs, higher is faster.
void PrintRatio(const bench::RunTimesReporter& reporter, const std::string& name, int processors,
                const char* what) {
  const std::vector<double> ratios =
      reporter.PairRatios(name + "/1", name + "/" + std::to_string(processors));
  if (ratios.empty())
    return;
  std::printf("%s, %d threads against 1 (time ratio): %.2f (median of %zu pairs, %.2f to %.2f)\n",
              what, processors, bench::Median(ratios), ratios.size(),
              *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()));
}

// The peak resident memory, in KiB, of a child process that adds the folder.
long PeakKilobytes(const std::string& folder) {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(AddFolder(folder, 0) >= 0 ? 0 : 1);
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child || status != 0)
    std::abort();
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  MakeFolders();
  // Before any thread of the benchmark runs: the children start from a quiet process.
  const long none = PeakKilobytes(g_none);
  const long few = PeakKilobytes(g_few);
  const long all = PeakKilobytes(g_all);

  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int round = 0; round < kRounds; ++round) {
    for (int threads : {1, processors}) {
      benchmark::RegisterBenchmark("BM_AddFolder", BM_AddFolder)
          ->Arg(threads)
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark("BM_Ceiling", BM_Ceiling)
          ->Arg(threads)
          ->Iterations(1)
          ->Unit(benchmark::kMillisecond);
    }
  }
  bench::RunTimesReporter reporter(bench::RunClock::Wall);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove_all(g_dir);

  if (processors > 1) {
    PrintRatio(reporter, "BM_AddFolder", processors, "Adding 200 ROMs of 4 MiB");
    PrintRatio(reporter, "BM_Ceiling", processors, "Digesting as much from memory");
  }
  const long fewGrowth = few - none;
  const long allGrowth = all - none;
  std::printf(
      "Peak memory above an empty folder: %ld KiB for %d files, %ld KiB for %d files (ratio "
      "%.2f)\n",
      fewGrowth, kFewFiles, allGrowth, kFiles,
      fewGrowth > 0 ? static_cast<double>(allGrowth) / static_cast<double>(fewGrowth) : 0.0);
  return 0;
}

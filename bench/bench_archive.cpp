// ROMs kept in .zip archives. Identifying a 4 MiB ROM in a .zip against what it cannot do
// better than: unpacking the member alone (`unzip -p` into /dev/null) plus identifying the bare
// file, printed as the ratio of the times (at most 1.5 is the aim). And adding a folder of 40
// zipped ROMs on every processor against one thread (higher is faster).
#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
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

constexpr size_t kRomBytes = 4u << 20;
constexpr int kFolderFiles = 40;
constexpr int kRounds = 7;

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

std::string g_dir, g_bare, g_zip, g_folder;

// Half noise, half runs of a few values: it packs to about half, as ROMs do.
std::string RomBytes(int seed) {
  std::string bytes(kRomBytes, '\0');
  std::mt19937 random(static_cast<unsigned>(seed));
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>((i / 4096) % 2 ? random() : (i / 64) % 7);
  char name[22] = {};
  std::snprintf(name, sizeof name, "BENCH ZIP %-11d", seed);
  std::copy(name, name + 21, bytes.begin() + 0xFFC0);
  return bytes;
}

void WriteZip(const std::string& path, const std::string& member, const std::string& bytes) {
  archive* out = archive_write_new();
  archive_write_set_format_zip(out);
  if (archive_write_open_filename(out, path.c_str()) != ARCHIVE_OK)
    std::abort();
  archive_entry* entry = archive_entry_new();
  archive_entry_set_pathname(entry, member.c_str());
  archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
  archive_entry_set_filetype(entry, AE_IFREG);
  archive_entry_set_perm(entry, 0644);
  if (archive_write_header(out, entry) != ARCHIVE_OK ||
      archive_write_data(out, bytes.data(), bytes.size()) !=
          static_cast<la_ssize_t>(bytes.size()) ||
      archive_write_close(out) != ARCHIVE_OK) {
    std::abort();
  }
  archive_entry_free(entry);
  archive_write_free(out);
}

void MakeFiles() {
  char pattern[] = "/tmp/brindle-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr)
    std::abort();
  g_dir = pattern;
  g_bare = g_dir + "/Game.sfc";
  g_zip = g_dir + "/Game.zip";
  g_folder = g_dir + "/folder";
  std::filesystem::create_directories(g_folder);
  const std::string rom = RomBytes(0);
  FILE* out = std::fopen(g_bare.c_str(), "wb");
  if (out == nullptr || std::fwrite(rom.data(), 1, rom.size(), out) != rom.size() ||
      std::fclose(out) != 0) {
    std::abort();
  }
  WriteZip(g_zip, "Game.sfc", rom);
  for (int i = 1; i <= kFolderFiles; ++i)
    WriteZip(g_folder + "/Game " + std::to_string(i) + ".zip", "Game.sfc", RomBytes(i));
}

void BM_IdentifyZipped(benchmark::State& state) {
  for (auto _ : state) {
    const auto roms = CPatchDB::ReadRoms(g_zip);
    if (roms.size() != 1 || !roms[0].error.empty())
      std::abort();
  }
}

// unzip started directly (no shell), its output thrown away, then the bare file identified.
void BM_UnzipPlusBare(benchmark::State& state) {
  for (auto _ : state) {
    const pid_t child = ::fork();
    if (child == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::execlp("unzip", "unzip", "-p", g_zip.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0)
      std::abort();
    RomRecord rom;
    if (!CPatchDB::ReadRomFile(g_bare, rom).empty())
      std::abort();
  }
}

void BM_AddZippedFolder(benchmark::State& state) {
  for (auto _ : state) {
    SilentPrompt prompt;
    CPatchDB db(prompt);
    CFolderAdd work(db, static_cast<int>(state.range(0)));
    work.Run({g_folder});
    if (work.Result().romsAdded != kFolderFiles)
      std::abort();
  }
}

// The same amount of digesting from memory, split over the threads by hand: what the machine
// allows at the moment (other processes share its processors), against which the ratio above
// is read.
void BM_Ceiling(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  static const std::string rom = RomBytes(0);
  for (auto _ : state) {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([t, threads] {
        for (int i = t; i < kFolderFiles; i += threads)
          benchmark::DoNotOptimize(MD5(reinterpret_cast<const unsigned char*>(rom.data()),
                                       static_cast<uint32_t>(rom.size()))
                                       .hex_digest());
      });
    }
    for (std::thread& worker : workers)
      worker.join();
  }
}

void PrintRatio(const std::vector<double>& ratios, const char* what) {
  if (ratios.empty())
    return;
  std::printf("%s: %.2f (median of %zu pairs, %.2f to %.2f)\n", what, bench::Median(ratios),
              ratios.size(), *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  MakeFiles();
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int round = 0; round < kRounds; ++round) {
    benchmark::RegisterBenchmark("BM_IdentifyZipped", BM_IdentifyZipped)
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_UnzipPlusBare", BM_UnzipPlusBare)
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond);
    for (int threads : {1, processors}) {
      benchmark::RegisterBenchmark("BM_AddZippedFolder", BM_AddZippedFolder)
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

  PrintRatio(reporter.PairRatios("BM_IdentifyZipped", "BM_UnzipPlusBare"),
             "Identifying a 4 MiB ROM in a .zip against unzip -p plus the bare file (time ratio, "
             "at most 1.5)");
  if (processors > 1) {
    PrintRatio(reporter.PairRatios("BM_AddZippedFolder/1",
                                   "BM_AddZippedFolder/" + std::to_string(processors)),
               ("Adding 40 zipped ROMs of 4 MiB, " + std::to_string(processors) +
                " threads against 1 (time ratio, at least 1.8)")
                   .c_str());
    PrintRatio(reporter.PairRatios("BM_Ceiling/1", "BM_Ceiling/" + std::to_string(processors)),
               "Digesting as much from memory, the machine's ceiling at the moment (time ratio)");
  }
  return 0;
}

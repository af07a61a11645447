// What checking a patch adds to a play: reading a 1 MiB BPS patch (its own CRC-32 and every
// action) and the CRC-32 of the 4 MiB ROM it was made for, against the MD5 digest of that ROM
// that every play already computes. Prints the check's time as a ratio to the digest's, and the
// check's own time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "RunTimes.h"
#include "db/CPatchDB.h"
#include "patch/Crc32.h"
#include "patch/PatchReader.h"
#include "patch/SourceMatch.h"
#include "support/PatchBuilder.h"

namespace {

constexpr size_t kRomBytes = 4u << 20;

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

std::string g_dir;
std::string g_rom;
std::string g_patch;

void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
      std::fclose(out) != 0) {
    std::abort();
  }
}

// A ROM of random bytes and a BPS patch of it that changes a quarter of every 128 bytes, as a
// translation scattered over the whole ROM would: 32,768 pairs of actions, about 1 MiB.
void MakeFiles() {
  char pattern[] = "/tmp/brindle-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr)
    std::abort();
  g_dir = pattern;
  std::mt19937 random(1321);
  std::string rom(kRomBytes, '\0');
  for (char& byte : rom)
    byte = static_cast<char>(random());
  std::string target = rom;
  std::string body = BpsHead(rom.size(), target.size());
  for (size_t at = 0; at < target.size(); at += 128) {
    body += BpsSourceRead(96);
    std::string changed(32, '\0');
    for (char& byte : changed)
      byte = static_cast<char>(random());
    target.replace(at + 96, 32, changed);
    body += BpsTargetRead(changed);
  }
  body = WithBeatChecksums(body, Crc32(rom), Crc32(target));
  g_rom = g_dir + "/rom.sfc";
  g_patch = g_dir + "/hack.bps";
  WriteFile(g_rom, rom);
  WriteFile(g_patch, body);
}

void BM_PlayDigest(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  for (auto _ : state) {
    const std::string text = db.GetFileHash(g_rom);
    if (text.size() != 32)
      std::abort();
    benchmark::DoNotOptimize(text);
  }
}

void BM_PatchCheck(benchmark::State& state) {
  for (auto _ : state) {
    PatchSummary summary;
    std::string error;
    if (!ReadPatchFile(g_patch, summary, error) ||
        MatchPatchSource(g_rom, summary) != SourceMatch::Same) {
      std::abort();
    }
    benchmark::DoNotOptimize(summary);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  MakeFiles();
  // The two run in alternation, so each pair of runs sees the same machine.
  constexpr int kRounds = 7;
  for (int round = 0; round < kRounds; ++round) {
    benchmark::RegisterBenchmark("BM_PlayDigest", BM_PlayDigest)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.2);
    benchmark::RegisterBenchmark("BM_PatchCheck", BM_PatchCheck)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.2);
  }
  bench::RunTimesReporter reporter(bench::RunClock::Cpu);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto patchBytes = std::filesystem::file_size(g_patch);
  std::filesystem::remove_all(g_dir);

  const std::vector<double> ratios = reporter.PairRatios("BM_PatchCheck", "BM_PlayDigest");
  if (ratios.empty())
    return 0;
  std::printf(
      "Patch check (a %ju-byte BPS patch, a 4 MiB ROM) to the play's MD5 digest of the ROM: "
      "%.3f (median of %zu pairs); the check takes %.2f ms\n",
      static_cast<uintmax_t>(patchBytes), bench::Median(ratios), ratios.size(),
      bench::Median(reporter.times["BM_PatchCheck"]));
  return 0;
}

// What checking a patch adds to a play: reading a 1 MiB BPS patch (its own CRC-32 and every
// action), the 4 MiB ROM it was made for and its CRC-32, applying the patch in memory and the
// CRC-32 of the result, against the MD5 digest of that ROM that every play already computes.
// Then what making the patch served to an emulator costs (a BPS for RetroArch, an IPS for
// Mednafen), against the same digest. Prints both as ratios, and their own times.
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
#include "patch/BpsWriter.h"
#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "play/PatchCheck.h"
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
  SilentPrompt prompt;
  CPatchDB db(prompt);
  PatchRecord patch;
  patch.Filename = g_patch;
  RomRecord rom;
  rom.Filename = g_rom;
  for (auto _ : state) {
    CheckedPatch checked;
    if (!CheckPatchForRom(db, patch, rom, checked) || checked.result.size() != kRomBytes)
      std::abort();
    benchmark::DoNotOptimize(checked);
  }
}

// The patch an emulator is given when it would not apply the user's correctly: a BPS for
// RetroArch (`kind` 0), an IPS for Mednafen (1), from the ROM to the checked result.
void BM_ServedPatch(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  PatchRecord patch;
  patch.Filename = g_patch;
  RomRecord rom;
  rom.Filename = g_rom;
  CheckedPatch checked;
  if (!CheckPatchForRom(db, patch, rom, checked))
    std::abort();
  for (auto _ : state) {
    const std::string served = state.range(0) == 0
                                   ? WriteBps(checked.rom, checked.result)
                                   : MakeIps(checked.rom, checked.result).value_or(std::string());
    if (served.empty())
      std::abort();
    benchmark::DoNotOptimize(served);
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
    for (const char* name : {"BM_ServedBps", "BM_ServedIps"}) {
      benchmark::RegisterBenchmark(name, BM_ServedPatch)
          ->Arg(name[9] == 'B' ? 0 : 1)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.2);
    }
  }
  bench::RunTimesReporter reporter(bench::RunClock::Cpu);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto patchBytes = std::filesystem::file_size(g_patch);
  std::filesystem::remove_all(g_dir);

  const std::vector<double> ratios = reporter.PairRatios("BM_PatchCheck", "BM_PlayDigest");
  const std::vector<double> bps = reporter.PairRatios("BM_ServedBps/0", "BM_PlayDigest");
  const std::vector<double> ips = reporter.PairRatios("BM_ServedIps/1", "BM_PlayDigest");
  if (ratios.empty() || bps.empty() || ips.empty())
    return 0;
  std::printf(
      "Patch check (a %ju-byte BPS patch applied in memory to a 4 MiB ROM) to the play's MD5 "
      "digest of the ROM: %.3f (median of %zu pairs); the check takes %.2f ms\n",
      static_cast<uintmax_t>(patchBytes), bench::Median(ratios), ratios.size(),
      bench::Median(reporter.times["BM_PatchCheck"]));
  std::printf(
      "Served patch from the ROM to the result, to the digest: a BPS (RetroArch) %.3f, an IPS "
      "(Mednafen) %.3f (medians of %zu pairs); they take %.2f ms and %.2f ms\n",
      bench::Median(bps), bench::Median(ips), bps.size(),
      bench::Median(reporter.times["BM_ServedBps/0"]),
      bench::Median(reporter.times["BM_ServedIps/1"]));
  return 0;
}

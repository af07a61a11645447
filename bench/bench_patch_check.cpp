// What checking a patch adds to a play: reading a 1 MiB BPS patch (its own CRC-32 and every
// action) and the CRC-32 of the 4 MiB ROM it was made for, against the MD5 digest of that ROM
// that every play already computes. Prints the check's time as a ratio to the digest's, and the
// check's own time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "patch/Crc32.h"
#include "patch/PatchReader.h"
#include "patch/SourceMatch.h"

namespace {

constexpr size_t kRomBytes = 4u << 20;

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

std::string Number(uint64_t value) {
  std::string out;
  for (;;) {
    const uint8_t low = value & 0x7f;
    value >>= 7;
    if (value == 0)
      return out + static_cast<char>(0x80 | low);
    out += static_cast<char>(low);
    --value;
  }
}

std::string LittleEndian32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

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
  std::string body = "BPS1" + Number(rom.size()) + Number(target.size()) + Number(0);
  for (size_t at = 0; at < target.size(); at += 128) {
    body += Number((96 - 1) << 2);
    std::string changed(32, '\0');
    for (char& byte : changed)
      byte = static_cast<char>(random());
    target.replace(at + 96, 32, changed);
    body += Number(((32 - 1) << 2) | 1) + changed;
  }
  body += LittleEndian32(Crc32(rom)) + LittleEndian32(Crc32(target));
  body += LittleEndian32(Crc32(body));
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

// Collects the CPU time of the measuring thread per run, in run order.
class RatioReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::vector<double>> times;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto patchBytes = std::filesystem::file_size(g_patch);
  std::filesystem::remove_all(g_dir);

  const std::vector<double>& digest = reporter.times["BM_PlayDigest"];
  const std::vector<double>& check = reporter.times["BM_PatchCheck"];
  std::vector<double> ratios;
  for (size_t i = 0; i < std::min(digest.size(), check.size()); ++i)
    ratios.push_back(check[i] / digest[i]);
  if (ratios.empty())
    return 0;
  std::printf(
      "Patch check (a %ju-byte BPS patch, a 4 MiB ROM) to the play's MD5 digest of the ROM: "
      "%.3f (median of %zu pairs); the check takes %.2f ms\n",
      static_cast<uintmax_t>(patchBytes), Median(ratios), ratios.size(), Median(check));
  return 0;
}

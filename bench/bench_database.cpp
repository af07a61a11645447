// Load and Save of a large brindle.dat against plain file I/O of the same bytes, and what one
// change in the window costs: its write through the database writer, and how long the window's
// own thread is held by it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "db/CDatabaseWriter.h"
#include "db/CPatchDB.h"
#include "platform/FileSystem.h"

namespace {

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

std::string g_dir;
std::string g_path;
std::map<std::string, double> g_seconds;

void MakeDatabase() {
  char pattern[] = "/tmp/brindle-bench-XXXXXX";
  g_dir = ::mkdtemp(pattern);
  g_path = g_dir + "/brindle.dat";
  SilentPrompt prompt;
  CPatchDB db(prompt);
  db.ZSNES = "/opt/zsnes/";
  for (int i = 0; i < 100000; ++i) {
    auto p = std::make_unique<PatchRecord>();
    const std::string n = std::to_string(i);
    p->PatchName = "Patch number " + n;
    p->Author = "Author " + std::to_string(i % 997);
    p->Version = "1." + std::to_string(i % 10);
    p->Description = "A translation patch that fixes the script of game " + n;
    p->Filename = "/home/user/snes/patches/game " + n + "/Patch number " + n + ".ips";
    p->RomName = "GAME NAME " + std::to_string(i % 10000);
    p->RomSize = (i % 2) ? "24Mbit" : "24Mbit No header";
    p->RomDigest = "0123456789abcdef0123456789abcdef";
    p->SizeWord = (i % 2) ? 24 | 256 : 24;
    db.AppendPatch(std::move(p));
  }
  for (int i = 0; i < 10000; ++i) {
    auto r = std::make_unique<RomRecord>();
    r->RomName = "GAME NAME " + std::to_string(i);
    r->RomSize = "24Mbit (No header)";
    r->Filename = "/home/user/snes/roms/Game " + std::to_string(i) + ".smc";
    r->RomDigest = "fedcba9876543210fedcba9876543210";
    r->SizeWord = 24;
    db.AppendRom(std::move(r));
  }
  if (!db.Save(g_path))
    std::abort();
}

void BM_Load(benchmark::State& state) {
  for (auto _ : state) {
    SilentPrompt prompt;
    CPatchDB db(prompt);
    if (db.Load(g_path) != 0 || db.GetPatchCount() != 100000)
      std::abort();
    benchmark::DoNotOptimize(db.GetRomCount());
  }
}

// Baseline for Load: read the same file and split it into lines, without parsing.
void BM_ReadAndSplitLines(benchmark::State& state) {
  for (auto _ : state) {
    const int fd = ::open(g_path.c_str(), O_RDONLY);
    std::string bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)), '\0');
    if (::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
      std::abort();
    }
    ::close(fd);
    std::vector<std::string_view> lines;
    lines.reserve(bytes.size() / 64);
    size_t pos = 0;
    while (pos < bytes.size()) {
      size_t end = bytes.find_first_of("\r\n", pos);
      if (end == std::string::npos)
        end = bytes.size();
      lines.emplace_back(bytes.data() + pos, end - pos);
      pos = (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ? end + 2
                                                                                     : end + 1;
    }
    benchmark::DoNotOptimize(lines.size());
  }
}

void BM_Save(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  db.Load(g_path);
  const std::string out = g_dir + "/saved.dat";
  for (auto _ : state) {
    if (!db.Save(out))
      std::abort();
  }
}

// Baselines for Save: write the same number of bytes to a file, plainly and with a flush to
// disk (Save flushes, so that a crash never leaves a half-written database).
void WriteBytes(const std::string& path, const std::string& bytes, bool flush) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  if (flush)
    ::fsync(fd);
  ::close(fd);
}

void BM_WriteBytes(benchmark::State& state) {
  std::string bytes;
  ReadWholeFile(g_path, bytes);
  const std::string out = g_dir + "/plain.dat";
  for (auto _ : state)
    WriteBytes(out, bytes, state.range(0) != 0);
}

// The writer's own work for one change: the bytes written safely (a temporary file, flushed,
// renamed over the old one, the folder flushed).
void BM_WriteSafely(benchmark::State& state) {
  std::string bytes;
  ReadWholeFile(g_path, bytes);
  const std::string out = g_dir + "/safe.dat";
  for (auto _ : state) {
    if (!WriteFileSafely(out, bytes))
      std::abort();
  }
}

// The bytes of the file, made in memory: the part of a write that needs the records.
void BM_Serialize(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  db.Load(g_path);
  for (auto _ : state)
    benchmark::DoNotOptimize(db.Serialize());
}

// One change as the window makes it: the settings compared, the database serialised and handed
// to the writer, which writes it safely on its own thread; timed until it is on disk.
void BM_ChangeWrite(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  db.Load(g_path);
  const std::string out = g_dir + "/changed.dat";
  CDatabaseWriter writer(out, [] { std::abort(); });
  uint64_t generation = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(db.SettingsText());
    writer.WriteInPieces(++generation,
                         [&db](const CDatabaseWriter::PieceSink& piece) { db.Serialize(piece); });
    writer.Wait();
  }
}

// The part of a change that holds the window's thread: the same, without waiting for the disk.
// The writer is let finish between runs (outside the timing), as changes come one at a time.
void BM_ChangeHold(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  db.Load(g_path);
  const std::string out = g_dir + "/held.dat";
  CDatabaseWriter writer(out, [] { std::abort(); });
  uint64_t generation = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(db.SettingsText());
    writer.WriteInPieces(++generation,
                         [&db](const CDatabaseWriter::PieceSink& piece) { db.Serialize(piece); });
    state.PauseTiming();
    writer.Wait();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadAndSplitLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriteBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriteSafely)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Serialize)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ChangeWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ChangeHold)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

class RatioReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/min_time"));
      g_seconds[name] = run.GetAdjustedRealTime();
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MakeDatabase();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [](const char* a, const char* b) {
    if (!g_seconds.count(a) || !g_seconds.count(b))
      return;
    std::printf("%-48s %.2f\n", (std::string(a) + " / " + b).c_str(), g_seconds[a] / g_seconds[b]);
  };
  std::printf("\nRatios (goal: Load <= 1, Save <= 2):\n");
  ratio("BM_Load", "BM_ReadAndSplitLines");
  ratio("BM_Save", "BM_WriteBytes/0");
  ratio("BM_Save", "BM_WriteBytes/1");
  std::printf(
      "\nOne change at 100,000 patches + 10,000 ROMs (goal: write <= 1.5, hold ~ 16 ms):\n");
  ratio("BM_ChangeWrite", "BM_WriteBytes/1");
  ratio("BM_WriteSafely", "BM_WriteBytes/1");
  if (g_seconds.count("BM_ChangeHold"))
    std::printf("%-48s %.1f ms\n", "BM_ChangeHold (the window's thread)",
                g_seconds["BM_ChangeHold"]);
  std::string command = "rm -rf '" + g_dir + "'";
  if (std::system(command.c_str()) != 0)
    return 1;
  benchmark::Shutdown();
  return 0;
}

// The digest against OpenSSL's: the MD5 block transform over a large buffer, and GetFileHash
// against the same file read and hashed by OpenSSL in the same process. Prints both ratios as
// Brindle's throughput divided by OpenSSL's (1.0 = as fast; higher is faster).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "RunTimes.h"
#include "db/CPatchDB.h"
#include "md5/MD5.h"

#ifdef BRINDLE_HAVE_OPENSSL
#include <openssl/evp.h>
#endif

namespace {

constexpr size_t kBufferBytes = 64u << 20;
constexpr size_t kFileBytes = 8u << 20;
constexpr size_t kReadChunk = 1u << 20;

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

const std::vector<unsigned char>& Buffer() {
  static const std::vector<unsigned char> buffer = [] {
    std::vector<unsigned char> bytes(kBufferBytes);
    std::mt19937 random(1321);
    for (auto& byte : bytes)
      byte = static_cast<unsigned char>(random());
    return bytes;
  }();
  return buffer;
}

std::string g_dir;
std::string g_file;

void MakeFile() {
  char pattern[] = "/tmp/brindle-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr)
    std::abort();
  g_dir = pattern;
  g_file = g_dir + "/rom.smc";
  FILE* out = std::fopen(g_file.c_str(), "wb");
  if (out == nullptr || std::fwrite(Buffer().data(), 1, kFileBytes, out) != kFileBytes ||
      std::fclose(out) != 0) {
    std::abort();
  }
}

void BM_Md5Brindle(benchmark::State& state) {
  const auto& buffer = Buffer();
  for (auto _ : state) {
    MD5 digest(buffer.data(), static_cast<uint32_t>(buffer.size()));
    benchmark::DoNotOptimize(digest.hex_digest());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

void BM_FileHashBrindle(benchmark::State& state) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  for (auto _ : state) {
    const std::string text = db.GetFileHash(g_file);
    if (text.size() != 32)
      std::abort();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

#ifdef BRINDLE_HAVE_OPENSSL
void BM_Md5OpenSsl(benchmark::State& state) {
  const auto& buffer = Buffer();
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  for (auto _ : state) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestInit_ex(context, EVP_md5(), nullptr);
    EVP_DigestUpdate(context, buffer.data(), buffer.size());
    EVP_DigestFinal_ex(context, out, &length);
    benchmark::DoNotOptimize(out);
  }
  EVP_MD_CTX_free(context);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

// The same work GetFileHash does (open, read in chunks, digest, close), with OpenSSL's digest.
void BM_FileHashOpenSsl(benchmark::State& state) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  std::vector<unsigned char> chunk(kReadChunk);
  for (auto _ : state) {
    const int fd = ::open(g_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      std::abort();
    EVP_DigestInit_ex(context, EVP_md5(), nullptr);
    ssize_t n;
    while ((n = ::read(fd, chunk.data(), chunk.size())) > 0) {
      EVP_DigestUpdate(context, chunk.data(), static_cast<size_t>(n));
    }
    ::close(fd);
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context, out, &length);
    benchmark::DoNotOptimize(out);
  }
  EVP_MD_CTX_free(context);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}
#endif

// Brindle and OpenSSL run in alternation, so each pair of runs sees the same machine; the
// median of the pairs' ratios is the figure.
void PrintRatio(const bench::RunTimesReporter& reporter, const char* what, const std::string& ours,
                const std::string& theirs) {
  std::vector<double> ratios = reporter.PairRatios(theirs, ours);
  if (ratios.empty())
    return;
  std::sort(ratios.begin(), ratios.end());
  const double median = bench::Median(ratios);
  std::printf("%s throughput ratio (Brindle / OpenSSL): %.3f (median of %zu pairs, %.3f to %.3f)\n",
              what, median, ratios.size(), ratios.front(), ratios.back());
}

void RegisterPair(const char* ours, void (*oursFunction)(benchmark::State&),
                  [[maybe_unused]] const char* theirs,
                  [[maybe_unused]] void (*theirsFunction)(benchmark::State&)) {
  benchmark::RegisterBenchmark(ours, oursFunction)->Unit(benchmark::kMillisecond)->MinTime(0.3);
#ifdef BRINDLE_HAVE_OPENSSL
  benchmark::RegisterBenchmark(theirs, theirsFunction)->Unit(benchmark::kMillisecond)->MinTime(0.3);
#endif
}

}  // namespace

#ifndef BRINDLE_HAVE_OPENSSL
#define BM_Md5OpenSsl nullptr
#define BM_FileHashOpenSsl nullptr
#endif

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  MakeFile();
  constexpr int kRounds = 7;
  for (int round = 0; round < kRounds; ++round) {
    RegisterPair("BM_Md5Brindle", BM_Md5Brindle, "BM_Md5OpenSsl", BM_Md5OpenSsl);
    RegisterPair("BM_FileHashBrindle", BM_FileHashBrindle, "BM_FileHashOpenSsl",
                 BM_FileHashOpenSsl);
  }
  bench::RunTimesReporter reporter(bench::RunClock::Cpu);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove_all(g_dir);
#ifdef BRINDLE_HAVE_OPENSSL
  PrintRatio(reporter, "MD5 over 64 MiB", "BM_Md5Brindle", "BM_Md5OpenSsl");
  PrintRatio(reporter, "GetFileHash on an 8 MiB file", "BM_FileHashBrindle", "BM_FileHashOpenSsl");
#else
  std::printf("OpenSSL was not found at build time: no baseline, no ratio\n");
#endif
  return 0;
}

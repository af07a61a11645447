#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "db/CPatchDB.h"

/// Reads and identifies ROM files (CPatchDB::ReadRoms) on a fixed number of threads, handing
/// the results back in the order the files were given. Each file is read in chunks, so memory
/// depends on the number of files in hand, never on their total.
class CRomIdentifier final {
 public:
  /// One read per ROM: one for a ROM file, one per ROM member of an archive.
  using Result = std::vector<CPatchDB::RomRead>;

  /// `threads` below 1 means one per processor.
  explicit CRomIdentifier(int threads);
  /// Drops the files not yet started and waits for those being read.
  ~CRomIdentifier();
  CRomIdentifier(const CRomIdentifier&) = delete;
  CRomIdentifier& operator=(const CRomIdentifier&) = delete;

  int Threads() const { return static_cast<int>(m_threads.size()); }
  /// Files given and not yet taken back.
  int InHand() const { return static_cast<int>(m_given - m_taken); }
  void Give(std::string path);
  /// The result of the oldest file not yet taken back, waiting for it if need be.
  Result Take();

 private:
  void Work();

  std::vector<std::thread> m_threads;
  std::mutex m_mutex;
  std::condition_variable m_wake;  // work to do, or time to stop
  std::condition_variable m_done;  // a result is ready
  std::deque<std::pair<uint64_t, std::string>> m_queue;
  std::map<uint64_t, Result> m_results;
  uint64_t m_given = 0;
  uint64_t m_taken = 0;
  bool m_stopping = false;
};

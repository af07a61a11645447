#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class CSafeFileWrite;

/// Writes brindle.dat on a thread of its own, so that a change reaches the disk without holding
/// the window while the file is written and flushed. Writes are made in the order they are
/// asked for; one asked for while another waits its turn replaces it, as the newer bytes hold
/// every change the older ones did. Each write is numbered by the caller (a generation), so that
/// it can tell whether its latest change is on disk.
class CDatabaseWriter final {
 public:
  /// Told on the writer's thread after a write has failed; `TakeError` then gives the reason.
  using FailureHook = std::function<void()>;

  CDatabaseWriter(std::string path, FailureHook onFailure);
  /// Finishes the write in flight and the one waiting, then ends the thread.
  ~CDatabaseWriter();
  CDatabaseWriter(const CDatabaseWriter&) = delete;
  CDatabaseWriter& operator=(const CDatabaseWriter&) = delete;

  /// Asks for `bytes` to be written as generation `generation`. Without a thread to be had the
  /// file is written at once.
  void Write(uint64_t generation, std::string bytes);
  /// The same for the bytes `make` hands its sink, piece after piece: the writer begins with the
  /// first pieces while `make` is still making the rest on the caller's thread.
  using PieceSink = std::function<void(std::string&& bytes)>;
  void WriteInPieces(uint64_t generation, const std::function<void(const PieceSink&)>& make);
  /// Waits until every write asked for so far has ended.
  void Wait();
  /// The generation of the last write that succeeded; 0 before any.
  uint64_t Written() const;
  /// Why the last failed write failed, once; empty when nothing failed since the last call.
  std::string TakeError();

 private:
  /// The pieces of a write still being made; guarded by m_mutex.
  struct Pieces {
    std::deque<std::string> ready;
    bool complete = false;
    bool abandoned = false;  // their maker failed: nothing is to be written
  };
  struct Job {
    uint64_t generation = 0;
    std::string bytes;
    std::shared_ptr<Pieces> pieces;  // instead of `bytes`, when handed on in pieces
  };
  void Loop();
  void WriteNow(Job job);
  /// Appends each piece as it comes; false when one could not be written or they were abandoned.
  bool AppendPieces(Pieces& pieces, CSafeFileWrite& file);

  const std::string m_path;
  FailureHook m_onFailure;
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::optional<Job> m_waiting;
  bool m_busy = false;
  bool m_stopping = false;
  uint64_t m_written = 0;
  std::string m_error;
  std::thread m_thread;
};

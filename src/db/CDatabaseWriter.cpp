#include "db/CDatabaseWriter.h"

#include <system_error>

#include "platform/CSafeFileWrite.h"

CDatabaseWriter::CDatabaseWriter(std::string path, FailureHook onFailure)
    : m_path(std::move(path)), m_onFailure(std::move(onFailure)) {
  try {
    m_thread = std::thread([this] { Loop(); });
  } catch (const std::system_error&) {
    // Written on the caller's thread instead.
  }
}

CDatabaseWriter::~CDatabaseWriter() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable())
    m_thread.join();
}

void CDatabaseWriter::Write(uint64_t generation, std::string bytes) {
  if (!m_thread.joinable()) {
    WriteNow({generation, std::move(bytes), nullptr});
    return;
  }
  std::optional<Job> replaced;  // freed outside the lock
  {
    std::lock_guard lock(m_mutex);
    replaced = std::move(m_waiting);
    m_waiting = Job{generation, std::move(bytes), nullptr};
  }
  m_changed.notify_all();
}

void CDatabaseWriter::WriteInPieces(uint64_t generation,
                                    const std::function<void(const PieceSink&)>& make) {
  if (!m_thread.joinable()) {
    std::string bytes;
    make([&bytes](std::string&& piece) { bytes += piece; });
    WriteNow({generation, std::move(bytes), nullptr});
    return;
  }
  auto pieces = std::make_shared<Pieces>();
  std::optional<Job> replaced;  // freed outside the lock
  {
    std::lock_guard lock(m_mutex);
    replaced = std::move(m_waiting);
    m_waiting = Job{generation, {}, pieces};
  }
  m_changed.notify_all();
  auto end = [&](bool abandoned) {
    {
      std::lock_guard lock(m_mutex);
      pieces->complete = true;
      pieces->abandoned = abandoned;
    }
    m_changed.notify_all();
  };
  try {
    make([&](std::string&& piece) {
      {
        std::lock_guard lock(m_mutex);
        pieces->ready.push_back(std::move(piece));
      }
      m_changed.notify_all();
    });
  } catch (...) {
    end(true);
    throw;
  }
  end(false);
}

void CDatabaseWriter::Wait() {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return !m_waiting && !m_busy; });
}

uint64_t CDatabaseWriter::Written() const {
  std::lock_guard lock(m_mutex);
  return m_written;
}

std::string CDatabaseWriter::TakeError() {
  std::lock_guard lock(m_mutex);
  std::string error;
  error.swap(m_error);
  return error;
}

void CDatabaseWriter::Loop() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_waiting || m_stopping; });
    if (!m_waiting)
      return;  // stopping, with nothing left to write
    Job job = std::move(*m_waiting);
    m_waiting.reset();
    m_busy = true;
    lock.unlock();
    WriteNow(std::move(job));
    lock.lock();
    m_busy = false;
    m_changed.notify_all();
  }
}

bool CDatabaseWriter::AppendPieces(Pieces& pieces, CSafeFileWrite& file) {
  bool ok = true;
  for (;;) {
    std::string piece;
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&pieces] { return !pieces.ready.empty() || pieces.complete; });
      if (pieces.ready.empty())
        return ok && !pieces.abandoned;
      piece = std::move(pieces.ready.front());
      pieces.ready.pop_front();
    }
    // After a failure the rest is still taken, so that the write ends when its maker does.
    ok = ok && file.Append(piece);
  }
}

void CDatabaseWriter::WriteNow(Job job) {
  CSafeFileWrite file;
  bool ok = file.Begin(m_path);
  if (job.pieces) {
    ok = AppendPieces(*job.pieces, file) && ok;
    if (job.pieces->abandoned)
      return;  // the file stays as it was; its maker reports the failure
  } else {
    ok = ok && file.Append(job.bytes);
  }
  ok = ok && file.Commit();
  const std::string& error = file.Error();
  {
    std::lock_guard lock(m_mutex);
    if (ok)
      m_written = job.generation;
    else
      m_error = error;
  }
  if (!ok && m_onFailure)
    m_onFailure();
}

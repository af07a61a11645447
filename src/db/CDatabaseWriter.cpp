#include "db/CDatabaseWriter.h"

#include <system_error>

#include "platform/FileSystem.h"

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
    WriteNow({generation, std::move(bytes)});
    return;
  }
  std::optional<Job> replaced;  // freed outside the lock
  {
    std::lock_guard lock(m_mutex);
    replaced = std::move(m_waiting);
    m_waiting = Job{generation, std::move(bytes)};
  }
  m_changed.notify_all();
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

void CDatabaseWriter::WriteNow(Job job) {
  std::string error;
  const bool ok = WriteFileSafely(m_path, job.bytes, &error);
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

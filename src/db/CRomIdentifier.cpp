#include "db/CRomIdentifier.h"

#include <algorithm>
#include <system_error>

#include "db/CPatchDB.h"

CRomIdentifier::CRomIdentifier(int threads) {
  if (threads < 1)
    threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 0; i < threads; ++i) {
    try {
      m_threads.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // as many as the system gives; with none, Take does the work itself
    }
  }
}

CRomIdentifier::~CRomIdentifier() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_queue.clear();
  }
  m_wake.notify_all();
  for (std::thread& thread : m_threads)
    thread.join();
}

void CRomIdentifier::Give(std::string path) {
  {
    std::lock_guard lock(m_mutex);
    m_queue.emplace_back(m_given++, std::move(path));
  }
  m_wake.notify_one();
}

CRomIdentifier::Result CRomIdentifier::Take() {
  std::unique_lock lock(m_mutex);
  if (m_threads.empty()) {
    Result result = CPatchDB::ReadRoms(m_queue.front().second);
    m_queue.pop_front();
    ++m_taken;
    return result;
  }
  m_done.wait(lock, [this] { return m_results.count(m_taken) != 0; });
  const auto found = m_results.find(m_taken++);
  Result result = std::move(found->second);
  m_results.erase(found);
  return result;
}

void CRomIdentifier::Work() {
  for (;;) {
    std::pair<uint64_t, std::string> job;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
      if (m_stopping)
        return;
      job = std::move(m_queue.front());
      m_queue.pop_front();
    }
    Result result = CPatchDB::ReadRoms(job.second);
    {
      std::lock_guard lock(m_mutex);
      m_results.emplace(job.first, std::move(result));
    }
    m_done.notify_all();
  }
}

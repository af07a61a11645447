// brindle-tool add-folder: every ROM and patch below some folders, with one summary.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>

#include "db/CFolderAdd.h"
#include "platform/CDatabaseLock.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "platform/TerminationSignals.h"
#include "prompt/CTerminalPrompt.h"
#include "tools/Commands.h"

namespace {

constexpr int kProgressMilliseconds = 200;

// Runs the work on a thread of its own while this one draws the progress line (on a terminal
// only) and turns Ctrl+C into a cancel, so that what was added so far is still saved.
void RunWithProgress(CFolderAdd& work, const std::vector<std::string>& folders) {
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  const int signals = CatchTerminationSignals();
  std::atomic<bool> finished = false;
  std::thread worker;
  try {
    worker = std::thread([&] {
      work.Run(folders);
      finished = true;
    });
  } catch (const std::system_error&) {
    work.Run(folders);  // no thread to be had: the work without its progress line
    finished = true;
  }
  while (!finished) {
    if (signals >= 0) {
      pollfd wait{signals, POLLIN, 0};
      ::poll(&wait, 1, kProgressMilliseconds);
      for (int number = 0; ReadCaughtSignal(number);)
        work.Cancel();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(kProgressMilliseconds));
    }
    if (terminal && !finished)
      std::fprintf(stderr, "\r\033[K%s", FolderAddProgressText(work.Progress()).c_str());
  }
  if (worker.joinable())
    worker.join();
  ReleaseTerminationSignals();
  if (terminal)
    std::fputs("\r\033[K", stderr);
}

}  // namespace

int RunAddFolder(const Args& args) {
  std::string database;
  std::vector<std::string> folders;
  if (!ParseDbArgs(args, 1, SIZE_MAX, database, folders, "add-folder"))
    return 2;
  for (std::string& folder : folders) {
    folder = NormalizePath(folder);
    if (GetPathKind(folder) != PathKind::Folder) {
      std::fprintf(stderr, "brindle-tool: %s is not a folder\n", folder.c_str());
      return 2;
    }
  }
  CDatabaseLock lock(database);
  CTerminalPrompt prompt(stdout, nullptr);
  CPatchDB db(prompt);
  if (const int status = OpenForChanging(lock, prompt, db, database, "add-folder", "files", false);
      status >= 0)
    return status;

  CFolderAdd work(db);
  RunWithProgress(work, folders);
  const FolderAddResult& result = work.Result();
  work.MergeInto(db);
  const std::string head = FolderAddSummaryHead(result);
  const std::string details = FolderAddSummaryDetails(result);
  std::printf("%s%s%s", head.c_str(), details.empty() ? "" : "\n", details.c_str());
  std::fflush(stdout);
  if (result.Added() > 0 && !db.Save(database))
    return 1;
  return result.Complete() ? 0 : 1;
}

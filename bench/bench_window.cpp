// The window with a large collection against the window with an empty one, each started in a
// process of its own on the offscreen platform (or, given --x11, on the X display of DISPLAY,
// as under xvfb-run with a window manager), as the program starts:
//
// - on screen: from starting the process to the first painting of the patch list (the moment the
//   process reports, not its end: giving back a large collection's memory on exit is not part of
//   showing it), best of five runs; goal: the large one at most 2 times the empty one;
// - memory: the resident memory at that moment, the large one's less the empty one's, against
//   the size of the large brindle.dat; goal: at most 1.5.
//
// The program exits with 1 when a goal is missed.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "BigDatabase.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"

extern char** environ;

namespace {

constexpr int kRuns = 5;

long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0)
      return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// Reports the moment the patch list has been painted for the first time and the memory then in
// use, then ends the process at once: what comes after (closing, saving) is not measured.
class CFirstPaint final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_seen) {
      m_seen = true;
      const long long painted = MonotonicNanoseconds();
      QTimer::singleShot(0, [painted] {
        std::printf("%ld %lld\n", ResidentKilobytes(), painted);
        std::fflush(stdout);
        std::_Exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_seen = false;
};

int RunWindow(int argc, char** argv, const std::string& folder, bool x11) {
  setenv("QT_QPA_PLATFORM", x11 ? "xcb" : "offscreen", 1);
  QApplication app(argc, argv);
  bench::SilentPrompt prompt;
  MainDlgEnvironment env;
  env.appDir = folder;
  env.databaseDir = folder;
  env.executablePath = "/usr/bin/brindle";
  CMainDlg window(prompt, env);
  if (!window.Initialize(""))
    return 2;
  CFirstPaint watcher;
  window.PatchList()->viewport()->installEventFilter(&watcher);
  window.Run();
  return 3;
}

struct Start {
  double millis;
  long kilobytes;
};

// Starts this program on a database folder; the time until it reports, and what it reports.
Start StartWindow(const std::string& self, const std::string& folder, bool x11) {
  int out[2];
  if (pipe(out) != 0)
    std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string window = x11 ? "--x11-window" : "--window";
  char* args[] = {const_cast<char*>(self.c_str()), window.data(), const_cast<char*>(folder.c_str()),
                  nullptr};
  const long long started = MonotonicNanoseconds();
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ) != 0)
    std::abort();
  close(out[1]);
  std::string reply;
  char buffer[64];
  ssize_t got = 0;
  while ((got = read(out[0], buffer, sizeof buffer)) > 0)
    reply.append(buffer, static_cast<size_t>(got));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || reply.empty()) {
    std::fprintf(stderr, "the window on %s did not come up\n", folder.c_str());
    std::exit(1);
  }
  char* rest = nullptr;
  const long kilobytes = std::strtol(reply.c_str(), &rest, 10);
  const long long painted = std::strtoll(rest, nullptr, 10);
  return {static_cast<double>(painted - started) / 1e6, kilobytes};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--window")
    return RunWindow(argc, argv, argv[2], false);
  if (argc == 3 && std::string(argv[1]) == "--x11-window")
    return RunWindow(argc, argv, argv[2], true);
  const bool x11 = argc == 2 && std::string(argv[1]) == "--x11";
  // The large database alone, for looking into a start with a profiler.
  if (argc == 3 && std::string(argv[1]) == "--write")
    return bench::WriteBigDatabase(std::string(argv[2]) + "/brindle.dat", 100000, 10000) ? 0 : 1;

  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("brindle-bench-window-" + std::to_string(getpid()));
  const std::string empty = (root / "empty").string();
  const std::string big = (root / "big").string();
  std::filesystem::create_directories(empty);
  std::filesystem::create_directories(big);
  if (!bench::WriteBigDatabase(empty + "/brindle.dat", 0, 0) ||
      !bench::WriteBigDatabase(big + "/brindle.dat", 100000, 10000)) {
    return 1;
  }
  const double fileBytes = static_cast<double>(std::filesystem::file_size(big + "/brindle.dat"));

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  Start bestEmpty{1e300, 0};
  Start bestBig{1e300, 0};
  for (int run = 0; run < kRuns; ++run) {
    const Start e = StartWindow(self, empty, x11);
    const Start b = StartWindow(self, big, x11);
    if (e.millis < bestEmpty.millis)
      bestEmpty = e;
    if (b.millis < bestBig.millis)
      bestBig = b;
  }
  std::filesystem::remove_all(root);

  const double onScreen = bestBig.millis / bestEmpty.millis;
  const double memory =
      static_cast<double>(bestBig.kilobytes - bestEmpty.kilobytes) * 1024.0 / fileBytes;
  std::printf("brindle.dat: %.1f MiB (100,000 patches, 10,000 ROMs), %s\n", fileBytes / 1048576.0,
              x11 ? "on the X display" : "offscreen");
  std::printf("on screen: empty %.0f ms, large %.0f ms: ratio %.2f (goal <= 2)\n", bestEmpty.millis,
              bestBig.millis, onScreen);
  std::printf("memory: empty %.1f MiB, large %.1f MiB: (large - empty) / file %.2f (goal <= 1.5)\n",
              bestEmpty.kilobytes / 1024.0, bestBig.kilobytes / 1024.0, memory);
  return onScreen <= 2.0 && memory <= 1.5 ? 0 : 1;
}

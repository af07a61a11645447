// The real brindle program, copied into a temporary folder (a portable copy, so that its
// brindle.dat lands there, or laid out as installed into a prefix), run offscreen or on an X
// server of the test's, with its message boxes on the terminal and the desktop folders
// redirected.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "support/TempDir.h"

enum class Layout {
  Portable,   // everything in one folder, with the portable marker
  Installed,  // prefix/bin/brindle and its files in prefix/share/brindle
};

struct Program {
  TempDir dir;
  std::string appDir, exe, runtime;

  explicit Program(Layout layout = Layout::Portable) {
    if (layout == Layout::Portable) {
      appDir = dir.Path() + "/app";
      exe = appDir + "/brindle";
      TempDir::WriteTo(appDir + "/portable.txt", "");
    } else {
      appDir = dir.Path() + "/prefix/share/brindle";
      exe = dir.Path() + "/prefix/bin/brindle";
    }
    std::filesystem::create_directories(appDir);
    std::filesystem::create_directories(std::filesystem::path(exe).parent_path());
    std::filesystem::copy_file(BRINDLE_PROGRAM_PATH, exe);
    const std::filesystem::path built = std::filesystem::path(BRINDLE_PROGRAM_PATH).parent_path();
    std::filesystem::copy(built / "icons", appDir + "/icons",
                          std::filesystem::copy_options::recursive);
    runtime = dir.Path() + "/run";
    std::filesystem::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
  }

  /// The database of a portable copy.
  std::string Database() const { return appDir + "/brindle.dat"; }
  /// The database in the user's data folder.
  std::string UserDatabase() const { return dir.Path() + "/data/brindle/brindle.dat"; }

  /// Starts the program, waits until it runs, ends it with SIGTERM and returns its exit status.
  int StartAndStop(int n) const {
    const pid_t pid = Start(n);
    if (!WaitUntilListening()) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      return -1;
    }
    ::kill(pid, SIGTERM);
    return Wait(pid);
  }
  std::string Log(int n) const { return dir.Path() + "/stderr" + std::to_string(n) + ".txt"; }

  // Starts the program; its standard error goes to Log(n), standard input is empty. With a
  // display it runs on that X server, otherwise offscreen.
  pid_t Start(int n, const std::vector<std::string>& args = {},
              const std::string& display = "") const {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (display.empty()) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      } else {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("DISPLAY", display.c_str(), 1);
      }
      ::setenv("BRINDLE_BOXES", "terminal", 1);
      ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      ::setenv("XDG_DATA_HOME", (dir.Path() + "/data").c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (dir.Path() + "/config").c_str(), 1);
      ::setenv("HOME", dir.Path().c_str(), 1);
      ::freopen("/dev/null", "r", stdin);
      ::freopen(Log(n).c_str(), "w", stderr);
      ::freopen("/dev/null", "w", stdout);
      std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
      for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(exe.c_str(), argv.data());
      ::_exit(127);
    }
    return pid;
  }

  // Waits until the running copy listens for others.
  bool WaitUntilListening() const {
    for (int i = 0; i < 200; ++i) {
      if (PathExists(runtime + "/BrindleApp.socket")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // The exit status, or -1 when the program has not ended within the time.
  static int Wait(pid_t pid, int seconds = 20) {
    for (int i = 0; i < seconds * 20; ++i) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
  }
};

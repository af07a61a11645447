#include "support/XServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include "support/TempDir.h"

XServer::XServer() {
  if (RunCommand("command -v Xvfb && command -v xdotool") != 0)
    return;
  int fds[2];
  if (::pipe(fds) != 0)
    return;
  pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (std::freopen("/dev/null", "w", stderr) == nullptr)
      ::_exit(127);
    const std::string fd = std::to_string(fds[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  // The server writes its display number and a line end once it accepts connections.
  std::string number;
  char c = 0;
  while (::read(fds[0], &c, 1) == 1 && c != '\n')
    number += c;
  ::close(fds[0]);
  if (!number.empty())
    display = ":" + number;
}

XServer::~XServer() {
  if (pid > 0) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
}

std::string XServer::XDoTool(const std::string& arguments) const {
  std::string output;
  RunCommand("DISPLAY=" + display + " timeout 20 xdotool " + arguments, &output);
  while (!output.empty() && output.back() == '\n')
    output.pop_back();
  return output;
}

bool XServer::WaitForWindow(const std::string& titlePattern, int seconds) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (!XDoTool("search --onlyvisible --name " + ShellQuote(titlePattern)).empty())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

std::vector<pid_t> ChildrenOf(pid_t pid) {
  const std::string id = std::to_string(pid);
  std::istringstream children(ReadFileBytes("/proc/" + id + "/task/" + id + "/children"));
  std::vector<pid_t> ids;
  for (pid_t child = 0; children >> child;)
    ids.push_back(child);
  return ids;
}

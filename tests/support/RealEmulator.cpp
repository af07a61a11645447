#include "support/RealEmulator.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "support/XServer.h"

namespace {

using Clock = std::chrono::steady_clock;

pid_t StartTool(const std::string& display, const std::vector<std::string>& played,
                const std::string& database, const std::string& outputFile) {
  const pid_t pid = ::fork();
  if (pid != 0)
    return pid;
  ::setenv("DISPLAY", display.c_str(), 1);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  const int in = ::open("/dev/null", O_RDONLY);
  const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0)
    ::_exit(127);
  std::vector<const char*> argv{"brindle-tool", "play"};
  for (const std::string& word : played)
    argv.push_back(word.c_str());
  for (const char* word : {"--db", database.c_str(), static_cast<const char*>(nullptr)})
    argv.push_back(word);
  ::execv(BRINDLE_TOOL_PATH, const_cast<char* const*>(argv.data()));
  ::_exit(127);
}

// The exit status, or -1 when the process has not ended by `until`.
int WaitUntil(pid_t pid, Clock::time_point until) {
  do {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (Clock::now() < until);
  return -1;
}

// One play: until the window shows and a moment more, then the emulator ended as `end` does.
DisplayedPlay PlayOnce(const XServer& x, const std::vector<std::string>& played,
                       const std::string& database, const std::string& windowTitle,
                       const EndEmulator& end) {
  TempDir dir;
  const std::string outputFile = dir.File("output.txt");
  DisplayedPlay play;
  const pid_t tool = StartTool(x.display, played, database, outputFile);
  if (tool < 0)
    return play;
  // Until the window shows (or, without a title, the emulator starts); a play that Brindle
  // refuses ends without one.
  const auto windowDeadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < windowDeadline) {
    play.windowShown =
        windowTitle.empty() ? EmulatorStarted(tool) : x.WaitForWindow(windowTitle, 1);
    if (play.windowShown)
      break;
    play.status = WaitUntil(tool, Clock::now() + std::chrono::milliseconds(50));
    if (play.status >= 0) {
      play.output = ReadFileBytes(outputFile);
      return play;
    }
  }
  play.ranWithoutWindow = !play.windowShown;
  if (play.windowShown)
    std::this_thread::sleep_for(std::chrono::seconds(windowTitle.empty() ? 2 : 1));
  for (const pid_t emulator : ChildrenOf(tool)) {
    if (end)
      end(emulator);
    else
      ::kill(emulator, SIGTERM);
  }
  play.status = WaitUntil(tool, Clock::now() + std::chrono::seconds(20));
  if (play.status < 0) {
    for (const pid_t emulator : ChildrenOf(tool))
      ::kill(emulator, SIGKILL);
    ::kill(tool, SIGKILL);
    ::waitpid(tool, nullptr, 0);
  }
  play.output = ReadFileBytes(outputFile);
  return play;
}

// Whether `pid` has a handler of its own for SIGTERM (the SigCgt mask in /proc/PID/status).
bool CatchesTerm(pid_t pid) {
  const std::string status = ReadFileBytes("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("SigCgt:");
  return at != std::string::npos &&
         (std::strtoull(status.c_str() + at + 7, nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
}

}  // namespace

bool EmulatorStarted(pid_t tool) {
  const std::vector<pid_t> emulators = ChildrenOf(tool);
  for (const pid_t emulator : emulators) {
    if (!CatchesTerm(emulator))
      return false;
  }
  return !emulators.empty();
}

RealEmulatorTurn::RealEmulatorTurn()
    : lock_(::open("/tmp/brindle-real-emulator.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
  if (lock_ >= 0)
    ::flock(lock_, LOCK_EX);
}

RealEmulatorTurn::~RealEmulatorTurn() {
  if (lock_ >= 0)
    ::close(lock_);
}

DisplayedPlay PlayOnDisplay(const XServer& x, const std::vector<std::string>& played,
                            const std::string& database, const std::string& windowTitle,
                            const EndEmulator& end) {
  const RealEmulatorTurn turn;
  DisplayedPlay play = PlayOnce(x, played, database, windowTitle, end);
  // Now and then, while another test's X server was going away, ZSNES (SDL 1.2) could not reach
  // this test's own one: it ended at once ("Couldn't open X11 display"), or SDL fell back to
  // drawing in the terminal (libcaca) and the game ran without a window. Brindle had put
  // everything back either time. That is the machine, not the play: it is played once more.
  if (!play.windowShown &&
      (play.ranWithoutWindow || play.output.find("Couldn't open X11 display") != std::string::npos))
    play = PlayOnce(x, played, database, windowTitle, end);
  return play;
}

DisplayedPlay PlayOnDisplay(const XServer& x, const std::string& ips, const std::string& database,
                            const std::string& windowTitle, const EndEmulator& end) {
  return PlayOnDisplay(x, std::vector<std::string>{ips}, database, windowTitle, end);
}

bool RealEmulatorsRequired() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0';
}

int RunTool(const std::string& arguments, std::string* output) {
  return RunCommand(ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments + " </dev/null", output, true);
}

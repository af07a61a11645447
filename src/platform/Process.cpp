#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/FileSystem.h"
#include "platform/Path.h"

extern char** environ;

namespace {

// The state letter and the start time of a process, from /proc/<pid>/stat. The command name in
// its second field is in parentheses and may hold blanks and parentheses itself, so the fields
// are counted from the last ")".
bool ReadProcessStat(pid_t pid, char& state, unsigned long long& startTime) {
  std::string bytes;
  if (pid <= 0 || !ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", bytes))
    return false;
  const size_t name = bytes.rfind(')');
  if (name == std::string::npos)
    return false;
  std::vector<std::string> fields;  // from the third field, the state, on
  size_t start = name + 1;
  while (fields.size() < 20) {
    start = bytes.find_first_not_of(' ', start);
    if (start == std::string::npos)
      return false;
    const size_t end = std::min(bytes.find(' ', start), bytes.size());
    fields.push_back(bytes.substr(start, end - start));
    start = end;
  }
  char* end = nullptr;
  startTime = std::strtoull(fields[19].c_str(), &end, 10);  // the 22nd field
  state = fields[0].empty() ? '?' : fields[0][0];
  return end != fields[19].c_str() && *end == '\0';
}

bool IsExistingFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// The child starts with no blocked signals and the default handling of the usual ones, whatever
// this process has set up for itself.
int UsualSignals(posix_spawnattr_t& attributes) {
  sigset_t noSignals;
  sigset_t usualSignals;
  sigemptyset(&noSignals);
  sigemptyset(&usualSignals);
  for (const int sig : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGALRM, SIGUSR1,
                        SIGUSR2, SIGTSTP, SIGTTIN, SIGTTOU}) {
    sigaddset(&usualSignals, sig);
  }
  int result = posix_spawnattr_setsigmask(&attributes, &noSignals);
  if (result == 0)
    result = posix_spawnattr_setsigdefault(&attributes, &usualSignals);
  if (result == 0)
    result = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  return result;
}

// Starts argv[0] as StartProcess describes; with `discardOutput` its standard output and error go
// to /dev/null.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& workingDirectory,
            bool discardOutput, std::string* error) {
  if (argv.empty() || argv[0].empty()) {
    if (error)
      *error = "no program given";
    return -1;
  }
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  int result = 0;
  if (!workingDirectory.empty()) {
    result = posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  }
  // Our own descriptors (the database file, sockets of the window) are none of the emulator's
  // business.
  if (result == 0)
    result = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  for (const int stream : {1, 2}) {
    if (result == 0 && discardOutput)
      result = posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", O_WRONLY, 0);
  }
  if (result == 0)
    result = UsualSignals(attributes);
  pid_t pid = -1;
  if (result == 0) {
    // glibc reports a failed chdir or exec of the child here, so a missing emulator is an error
    // of the start and not an exit status.
    result = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    if (error)
      *error = std::strerror(result);
    return -1;
  }
  return pid;
}

}  // namespace

std::vector<std::string> SplitProgramText(const std::string& text) {
  // The child changes its directory before it runs the program, so a relative program path
  // would otherwise be looked up from the emulator's folder instead of ours.
  if (IsExistingFile(text))
    return {MakeAbsolute(text)};
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // \" is a quote that belongs to the word: a folder may have one in its name.
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
      word += '"';
      inWord = true;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;  // "" is an empty word of its own
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord)
        words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord)
    words.push_back(word);
  if (!words.empty() && words[0].find('/') != std::string::npos)
    words[0] = MakeAbsolute(words[0]);
  return words;
}

std::string FindProgramInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    // Only absolute folders: the current folder means nothing to a setting kept for later.
    const std::string folder = folders.substr(start, end - start);
    if (!folder.empty() && folder[0] == '/') {
      const std::string program = (folder.back() == '/' ? folder : folder + "/") + name;
      struct stat info {};
      if (::stat(program.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          ::access(program.c_str(), X_OK) == 0) {
        return program;
      }
    }
    start = end + 1;
  }
  return std::string();
}

pid_t StartProcess(const std::vector<std::string>& argv, const std::string& workingDirectory,
                   std::string* error) {
  return Spawn(argv, workingDirectory, false, error);
}

namespace {

// In the child between fork and exec only async-signal-safe calls are allowed.
[[noreturn]] void ChildFails(int status) {
  const int error = errno;
  (void)!::write(status, &error, sizeof error);
  ::_exit(127);
}

[[noreturn]] void RunHeldChild(char* const* args, const char* workingDirectory, int go, int status,
                               int closed) {
  // Our own descriptors (the database and its lock, sockets of the window) are none of the
  // emulator's business; closed before the wait, so that a lock of ours goes when we do, not
  // when the child notices. The parent waits for `closed` to close, so that from then on it
  // holds the only copies. The report pipe goes with the exec.
  int kept[] = {go, status, closed};
  std::sort(std::begin(kept), std::end(kept));
  unsigned from = 3;
  for (const int fd : kept) {
    if (static_cast<unsigned>(fd) > from)
      ::close_range(from, static_cast<unsigned>(fd) - 1, 0);
    from = static_cast<unsigned>(fd) + 1;
  }
  ::close_range(from, ~0U, 0);
  ::close(closed);
  char byte = 0;
  ssize_t n;
  do {
    n = ::read(go, &byte, 1);
  } while (n < 0 && errno == EINTR);
  if (n != 1)
    ::_exit(127);  // the parent is gone, or changed its mind
  if (*workingDirectory != '\0' && ::chdir(workingDirectory) != 0)
    ChildFails(status);
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  for (const int sig : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGALRM, SIGUSR1,
                        SIGUSR2, SIGTSTP, SIGTTIN, SIGTTOU}) {
    ::sigaction(sig, &usual, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execvp(args[0], args);
  ChildFails(status);
}

}  // namespace

HeldProcess StartHeldProcess(const std::vector<std::string>& argv,
                             const std::string& workingDirectory, std::string* error) {
  HeldProcess held;
  if (argv.empty() || argv[0].empty()) {
    if (error)
      *error = "no program given";
    return held;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  int go[2];
  int status[2];
  if (::pipe2(go, O_CLOEXEC) != 0) {
    if (error)
      *error = std::strerror(errno);
    return held;
  }
  if (::pipe2(status, O_CLOEXEC) != 0) {
    if (error)
      *error = std::strerror(errno);
    ::close(go[0]);
    ::close(go[1]);
    return held;
  }
  int closed[2];
  if (::pipe2(closed, O_CLOEXEC) != 0) {
    if (error)
      *error = std::strerror(errno);
    for (const int fd : {go[0], go[1], status[0], status[1]})
      ::close(fd);
    return held;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(go[1]);
    ::close(status[0]);
    ::close(closed[0]);
    RunHeldChild(args.data(), workingDirectory.c_str(), go[0], status[1], closed[1]);
  }
  ::close(go[0]);
  ::close(status[1]);
  ::close(closed[1]);
  if (pid > 0) {
    char byte = 0;
    while (::read(closed[0], &byte, 1) < 0 && errno == EINTR) {
    }
  }
  ::close(closed[0]);
  if (pid < 0) {
    if (error)
      *error = std::strerror(errno);
    ::close(go[1]);
    ::close(status[0]);
    return held;
  }
  held.pid = pid;
  held.go = go[1];
  held.status = status[0];
  return held;
}

bool ReleaseProcess(HeldProcess& process, std::string* error) {
  const char byte = 1;
  // A child that died before reading has closed the pipe: writing to it must not raise the
  // signal that would end this process in the middle of a play.
  sigset_t pipeSignal;
  sigset_t old;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
  const bool sent = ::write(process.go, &byte, 1) == 1;
  if (!sent && errno == EPIPE) {
    const timespec now{};
    ::sigtimedwait(&pipeSignal, nullptr, &now);  // the signal the write raised
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::close(process.go);
  process.go = -1;
  int childError = 0;
  ssize_t n;
  do {
    n = ::read(process.status, &childError, sizeof childError);
  } while (n < 0 && errno == EINTR);
  ::close(process.status);
  process.status = -1;
  if (sent && n == 0)
    return true;  // the program runs: the report pipe closed with the exec
  if (error)
    *error = std::strerror(n == static_cast<ssize_t>(sizeof childError) ? childError : EPIPE);
  WaitForProcess(process.pid);
  return false;
}

void AbandonProcess(HeldProcess& process) {
  ::close(process.go);
  ::close(process.status);
  process.go = process.status = -1;
  WaitForProcess(process.pid);
}

bool RunQuietly(const std::vector<std::string>& argv, std::string* error) {
  const pid_t pid = Spawn(argv, std::string(), true, error);
  if (pid < 0)
    return false;
  const int status = WaitForProcess(pid);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    if (error)
      *error = "it did not end successfully";
    return false;
  }
  return true;
}

int WaitForProcess(pid_t pid) {
  int status = 0;
  for (;;) {
    const pid_t ended = ::waitpid(pid, &status, 0);
    if (ended == pid)
      return status;
    if (ended < 0 && errno != EINTR)
      return -1;
  }
}

std::optional<ProcessStamp> GetProcessStamp(pid_t pid) {
  char state = 0;
  unsigned long long startTime = 0;
  if (!ReadProcessStat(pid, state, startTime))
    return std::nullopt;
  return ProcessStamp{pid, startTime};
}

bool IsProcessRunning(const ProcessStamp& stamp) {
  char state = 0;
  unsigned long long startTime = 0;
  // Z: ended, not waited for yet; X: being removed.
  return ReadProcessStat(stamp.pid, state, startTime) && startTime == stamp.startTime &&
         state != 'Z' && state != 'X';
}

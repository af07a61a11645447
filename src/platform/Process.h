#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Starting other programs (the emulator, the desktop's database tools) and waiting for them. No
// shell is involved, so nothing in a path (blanks, quotes, "$", ";") is ever interpreted.

/// The words of a program setting. When the whole text names an existing file it is the one
/// program word (made absolute), so paths with blanks need no quotes; otherwise it is split at
/// blanks and tabs, double quotes grouping words: `wine "/opt/zsnes/zsnesw.exe"`; \" stands for
/// a quote within a word.
std::vector<std::string> SplitProgramText(const std::string& text);

/// The program `name` as the first folder of PATH that holds it as an executable file gives it
/// ("/usr/bin/zsnes"); empty when none does.
std::string FindProgramInPath(const std::string& name);

/// Starts argv[0] (looked up in PATH when it has no "/") with `argv` in `workingDirectory`, with
/// this process's environment, only the standard streams inherited, default signal handling and
/// no blocked signals. Returns the child's id; -1 when it could not be started (no such program,
/// not executable, no such working directory), with `error` (when given) saying why.
pid_t StartProcess(const std::vector<std::string>& argv, const std::string& workingDirectory,
                   std::string* error = nullptr);

/// A child started by StartHeldProcess that has not run its program yet.
struct HeldProcess {
  pid_t pid = -1;
  int go = -1;      // written to let the child go on
  int status = -1;  // the child's report of a failed start; closed by a successful exec
};

/// Starts argv as StartProcess does, except that the child waits before it runs the program
/// until ReleaseProcess lets it go. Should this process end first, the child ends without ever
/// running it: so the caller can record the child's id before the program does anything.
/// pid -1 when no child could be made.
HeldProcess StartHeldProcess(const std::vector<std::string>& argv,
                             const std::string& workingDirectory, std::string* error = nullptr);
/// Lets a held child run its program. False, with `error` (when given) saying why, when it could
/// not (no such program or working directory); the child has then ended and been waited for.
bool ReleaseProcess(HeldProcess& process, std::string* error = nullptr);
/// Ends a held child without running its program, and waits for it.
void AbandonProcess(HeldProcess& process);

/// Runs argv[0] (looked up in PATH when it has no "/") with its standard output and error thrown
/// away, and waits for it to end. False, with `error` (when given) saying why, when it could not
/// be started or did not exit with status 0.
bool RunQuietly(const std::vector<std::string>& argv, std::string* error = nullptr);

/// Waits without a time limit for a child started by StartProcess to end, through interrupting
/// signals. Returns its wait status, or -1 when there is no such child.
int WaitForProcess(pid_t pid);

/// What tells a process from any later one that is given the same id: the id and the moment the
/// process started, in clock ticks since the system started (from /proc/<pid>/stat).
struct ProcessStamp {
  pid_t pid = 0;
  unsigned long long startTime = 0;
  bool operator==(const ProcessStamp&) const = default;
};

/// The stamp of the process with this id; none when there is no such process.
std::optional<ProcessStamp> GetProcessStamp(pid_t pid);

/// Whether the process of a stamp still runs: a process with its id exists, started at the same
/// moment, and has not ended (an ended process that nobody has waited for yet does not count).
bool IsProcessRunning(const ProcessStamp& stamp);

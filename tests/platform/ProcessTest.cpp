#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace {

using Words = std::vector<std::string>;

std::string MakeScript(const TempDir& dir, const std::string& name, const std::string& body) {
  const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
  return path;
}

void OnAlarm(int) {}

}  // namespace

TEST(Process, SplitProgramText) {
  TempDir dir;
  const std::string spaced = MakeScript(dir, "my emu/zsnes \"x\"", "exit 0\n");
  EXPECT_EQ(SplitProgramText(spaced), Words{spaced});
  EXPECT_EQ(SplitProgramText("wine \"/opt/my zsnes/zsnesw.exe\" -v"),
            (Words{"wine", "/opt/my zsnes/zsnesw.exe", "-v"}));
  EXPECT_EQ(SplitProgramText("  a\t\tb  "), (Words{"a", "b"}));
  EXPECT_EQ(SplitProgramText("a \"\" b\"c d\"e"), (Words{"a", "", "bc de"}));
  EXPECT_EQ(SplitProgramText(""), Words{});
  EXPECT_EQ(SplitProgramText("wine \"/my \\\"odd\\\" dir/z.exe\" C:\\x\\"),
            (Words{"wine", "/my \"odd\" dir/z.exe", "C:\\x\\"}));
  // A folder is not a program, even when it exists.
  EXPECT_EQ(SplitProgramText(dir.Path() + "/my emu"), (Words{dir.Path() + "/my", "emu"}));

  // Relative programs are taken from our own folder, not the emulator's.
  char here[4096];
  ASSERT_NE(::getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  EXPECT_EQ(SplitProgramText("my emu/zsnes \"x\""), Words{dir.Path() + "/my emu/zsnes \"x\""});
  EXPECT_EQ(SplitProgramText("./run -x"), (Words{dir.Path() + "/./run", "-x"}));
  EXPECT_EQ(SplitProgramText("sh -c"), (Words{"sh", "-c"}));
  ASSERT_EQ(::chdir(here), 0);
}

TEST(Process, StartsWithoutShellInTheFolderAndWaits) {
  TempDir dir;
  const std::string out = dir.File("out.txt");
  const std::string script =
      MakeScript(dir, "emu dir/emu",
                 "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; ls /proc/$$/fd; } > '" + out +
                     "'\nexit 7\n");
  // A descriptor of ours without close-on-exec must still not reach the child.
  const int leak = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leak, 3);
  std::string error;
  const pid_t pid =
      StartProcess({script, "/roms/Game (fixed).smc", "$HOME;*"}, dir.Path() + "/emu dir", &error);
  ASSERT_GT(pid, 0) << error;

  // Interrupting signals while waiting do not end the wait early.
  struct sigaction action {};
  action.sa_handler = OnAlarm;
  struct sigaction old {};
  ASSERT_EQ(::sigaction(SIGALRM, &action, &old), 0);
  itimerval timer{{0, 2000}, {0, 2000}};
  ::setitimer(ITIMER_REAL, &timer, nullptr);
  const int status = WaitForProcess(pid);
  timer = {};
  ::setitimer(ITIMER_REAL, &timer, nullptr);
  ::sigaction(SIGALRM, &old, nullptr);
  ::close(leak);

  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  const std::string text = ReadFileBytes(out);
  EXPECT_EQ(text.rfind(dir.Path() + "/emu dir\n[/roms/Game (fixed).smc]\n[$HOME;*]\n", 0), 0u)
      << text;
  const std::string leaked = std::to_string(leak);
  EXPECT_EQ(text.find('\n' + leaked + '\n'), std::string::npos) << text;
  EXPECT_EQ(WaitForProcess(pid), -1);
}

TEST(Process, StartFailuresAreReported) {
  TempDir dir;
  std::string error;
  EXPECT_EQ(StartProcess({dir.File("missing")}, dir.Path(), &error), -1);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(StartProcess({"brindle-no-such-program-anywhere"}, dir.Path()), -1);
  EXPECT_EQ(StartProcess({}, dir.Path()), -1);
  const std::string notExecutable = dir.Write("plain", "#!/bin/sh\nexit 0\n");
  EXPECT_EQ(StartProcess({notExecutable}, dir.Path()), -1);
  const std::string script = MakeScript(dir, "emu", "exit 0\n");
  EXPECT_EQ(StartProcess({script}, dir.File("no such folder")), -1);
}

TEST(Process, RunQuietlyWaitsAndKeepsTheChildsOutputOffOurs) {
  TempDir dir;
  const std::string mark = dir.File("ran");
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const int savedOut = ::dup(1);
  const int savedErr = ::dup(2);
  ::dup2(out[1], 1);
  ::dup2(out[1], 2);
  const bool ran =
      RunQuietly({"sh", "-c", "echo out; echo err >&2; sleep 0.2; touch \"$0\"", mark});
  std::string error;
  const bool failed = RunQuietly({"sh", "-c", "exit 3"}, &error);
  ::dup2(savedOut, 1);
  ::dup2(savedErr, 2);
  ::close(savedOut);
  ::close(savedErr);
  ::close(out[1]);
  char buffer[64];
  EXPECT_EQ(::read(out[0], buffer, sizeof buffer), 0);
  ::close(out[0]);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(PathExists(mark));
  EXPECT_FALSE(failed);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(RunQuietly({"brindle-no-such-program-anywhere"}));
}

TEST(Process, StampsTellARunningProcessFromAnEndedOrAnotherOne) {
  const auto self = GetProcessStamp(::getpid());
  ASSERT_TRUE(self);
  EXPECT_TRUE(IsProcessRunning(*self));
  // The same id with another start time is a later process that was given the id again.
  EXPECT_FALSE(IsProcessRunning({self->pid, self->startTime + 1}));
  EXPECT_FALSE(GetProcessStamp(0));

  // A child that has ended no longer runs, also before anybody has waited for it.
  const pid_t child = StartProcess({"/bin/sh", "-c", "exit 0"}, "");
  ASSERT_GT(child, 0);
  const auto stamp = GetProcessStamp(child);
  ASSERT_TRUE(stamp);
  EXPECT_GE(stamp->startTime, self->startTime);
  for (int i = 0; i < 500 && IsProcessRunning(*stamp); ++i)
    ::usleep(10000);
  EXPECT_FALSE(IsProcessRunning(*stamp));
  EXPECT_TRUE(GetProcessStamp(child));
  WaitForProcess(child);
  EXPECT_FALSE(GetProcessStamp(child));
}

TEST(Process, AHeldChildThatDiedIsReportedAndLeavesUsRunning) {
  // Our descriptors above 1023 are closed in the child too; a child gone before it was let go
  // makes the release fail instead of raising SIGPIPE here.
  const int high = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 1500);
  ASSERT_GE(high, 1500);
  HeldProcess held = StartHeldProcess({"/bin/true"}, "");
  ASSERT_GT(held.pid, 0);
  EXPECT_FALSE(PathExists("/proc/" + std::to_string(held.pid) + "/fd/" + std::to_string(high)));
  ::close(high);
  ::kill(held.pid, SIGKILL);
  siginfo_t info{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(held.pid), &info, WEXITED | WNOWAIT), 0);
  std::string error;
  EXPECT_FALSE(ReleaseProcess(held, &error));
  EXPECT_EQ(error, "Broken pipe");
}

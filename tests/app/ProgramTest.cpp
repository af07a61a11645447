// The real brindle program: start-up, the database it keeps, copies side by side, plays.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/BrindleProgram.h"
#include "play/PlayWorld.h"
#include "support/XServer.h"

namespace {

namespace fs = std::filesystem;

constexpr char kQuickVars[] =
    "[vars]\r\nZSNES=/opt/zsnes/\r\nTransition=0\r\nRegisterAtStartup=0\r\nWindowBackground=\r\n";

}  // namespace

TEST(Program, FirstRunWelcomesRegistersAndSavesOnSigterm) {
  Program p;
  const pid_t pid = p.Start(1);
  ASSERT_TRUE(p.WaitUntilListening());
  ::kill(pid, SIGTERM);
  ASSERT_EQ(Program::Wait(pid), 0);
  const std::string boxes = ReadFileBytes(p.Log(1));
  EXPECT_NE(boxes.find("Brindle\nWelcome to Brindle!\n"), std::string::npos) << boxes;
  // The signal came while the Options dialog was open: it was cancelled, nothing more asked.
  EXPECT_EQ(boxes.find("ZSNES has"), std::string::npos) << boxes;

  // The defaults, written at the end.
  const std::string saved = ReadFileBytes(p.Database());
  EXPECT_NE(
      saved.find("[vars]\r\nZSNES=\r\nZSNESVer=\r\nZConfig=\r\nZExecutable=\r\nUseSaveDir=0"
                 "\r\nIgnoreHash=0\r\nIgnoreParens=1\r\nAllowEdit=0\r\nRegisterAtStartup=1\r\n"
                 "AlwaysOpenGUI=0\r\nWindowBackground=%app%/EarthBound.bmp\r\nGridLines=0\r\n"
                 "FileIcon=1\r\nTransition=1\r\nTransSpeed=60\r\n"),
      std::string::npos)
      << saved;

  // The .ips type, registered for this very executable with the first patch-file icon.
  const std::string data = p.dir.Path() + "/data";
  const std::string mime = ReadFileBytes(data + "/mime/packages/brindle-x-ips-patch.xml");
  EXPECT_NE(mime.find("type=\"application/x-ips-patch\""), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.ips\"/>"), std::string::npos);
  EXPECT_NE(mime.find("<comment>SNES Game Patch</comment>"), std::string::npos);
  const std::string entry = ReadFileBytes(data + "/applications/brindle.desktop");
  EXPECT_NE(entry.find("\nExec=" + p.exe + " %f\n"), std::string::npos) << entry;
  EXPECT_EQ(ReadFileBytes(data + "/icons/hicolor/48x48/mimetypes/application-x-ips-patch.png"),
            ReadFileBytes(p.appDir + "/icons/patchfile-48.png"));
  EXPECT_NE(ReadFileBytes(p.dir.Path() + "/config/mimeapps.list")
                .find("application/x-ips-patch=brindle.desktop"),
            std::string::npos);
}

TEST(Program, InstalledCopyFindsItsFilesInShareAndKeepsItsDatabaseInTheDataFolder) {
  Program p(Layout::Installed);
  ASSERT_EQ(p.StartAndStop(1), 0);
  EXPECT_NE(ReadFileBytes(p.Log(1)).find("Welcome to Brindle!"), std::string::npos);
  // The data folder was made with its parents, and the database saved there.
  EXPECT_NE(ReadFileBytes(p.UserDatabase()).find("[vars]\r\nZSNES=\r\n"), std::string::npos);
  EXPECT_TRUE(IsMissing(p.dir.Path() + "/prefix/bin/brindle.dat"));
  // The icon registered for patches came from share/brindle.
  EXPECT_EQ(ReadFileBytes(p.dir.Path() +
                          "/data/icons/hicolor/48x48/mimetypes/application-x-ips-patch.png"),
            ReadFileBytes(p.appDir + "/icons/patchfile-48.png"));

  // The next start reads it from there again: no welcome.
  ASSERT_EQ(p.StartAndStop(2), 0);
  EXPECT_EQ(ReadFileBytes(p.Log(2)), "");
}

TEST(Program, CopyWithItsDatabaseBesideItNeedsNoMarkerAndLeavesItAloneWhenNothingChanged) {
  Program p;
  ::unlink((p.appDir + "/portable.txt").c_str());
  const std::string original = std::string(kQuickVars) + "[patches]\r\n[roms]\r\n";
  TempDir::WriteTo(p.Database(), original);
  struct stat before {};
  ASSERT_EQ(::stat(p.Database().c_str(), &before), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a rewrite would show in mtime
  ASSERT_EQ(p.StartAndStop(1), 0);
  EXPECT_EQ(ReadFileBytes(p.Log(1)), "");
  // Read beside the program, and not written back: the same file, untouched.
  struct stat after {};
  ASSERT_EQ(::stat(p.Database().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(ReadFileBytes(p.Database()), original);
  EXPECT_TRUE(IsMissing(p.dir.Path() + "/data/brindle"));
}

TEST(Program, SecondCopyRaisesTheFirstAndWarnsOnlyWithAFile) {
  Program p;
  const std::string original = std::string(kQuickVars) + "[patches]\r\n[roms]\r\n";
  TempDir::WriteTo(p.Database(), original);
  const pid_t first = p.Start(1);
  ASSERT_TRUE(p.WaitUntilListening());

  const pid_t quiet = p.Start(2);
  EXPECT_EQ(Program::Wait(quiet), 0);
  EXPECT_EQ(ReadFileBytes(p.Log(2)).find("Only one instance"), std::string::npos);

  const pid_t withFile = p.Start(3, {"some patch.ips"});
  EXPECT_EQ(Program::Wait(withFile), 0);
  EXPECT_NE(ReadFileBytes(p.Log(3)).find("Brindle Warning\nOnly one instance of Brindle can be "
                                         "opened at one time. Please use the currently open "
                                         "instance to load new patch files.\n"),
            std::string::npos)
      << ReadFileBytes(p.Log(3));
  EXPECT_EQ(ReadFileBytes(p.Database()), original);  // the first copy's file is untouched

  ::kill(first, SIGTERM);
  EXPECT_EQ(Program::Wait(first), 0);
  EXPECT_EQ(ReadFileBytes(p.Database()), original);  // nothing changed: nothing written
}

TEST(Program, CommandLinePlayEndsWithoutTheWindowAndWritesNothing) {
  Program p;
  PlayWorld world;
  world.db.AlwaysOpenGUI = false;
  world.db.RegisterAtStartup = false;
  ASSERT_TRUE(world.db.Save(p.Database()));
  const std::string before = ReadFileBytes(p.Database());
  ::unlink(p.Database().c_str());
  TempDir::WriteTo(p.Database(), before + "; a comment that a write would drop\r\n");

  const pid_t pid = p.Start(1, {world.patchFolder + "Game (fixed).ips"});
  EXPECT_EQ(Program::Wait(pid), 0);  // ends on its own
  EXPECT_NE(ReadFileBytes(world.record).find("play=yes"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(p.Database()), before + "; a comment that a write would drop\r\n");
  EXPECT_EQ(ReadFileBytes(p.Log(1)), "");
  world.ExpectPutBack();
}

TEST(Program, CommandLinePathIsTakenByteForByte) {
  // A patch whose file name is Latin-1, not UTF-8, as old downloads often are.
  Program p;
  PlayWorld world;
  world.db.RegisterAtStartup = false;
  const std::string name = "Caf\xE9 (fixed).ips";
  world.dir.Write("my patches/" + name, "PATCHEOF");
  world.db.GetPatch(0)->Filename = world.patchFolder + name;
  ASSERT_TRUE(world.db.Save(p.Database()));

  const pid_t pid = p.Start(1, {world.patchFolder + name});
  EXPECT_EQ(Program::Wait(pid), 0);
  EXPECT_NE(ReadFileBytes(world.record)
                .find("\narg=" + world.dir.Path() + "/my roms/Caf\xE9 (fixed).smc\n"),
            std::string::npos)
      << ReadFileBytes(world.record) << ReadFileBytes(p.Log(1));
}

TEST(Program, UnreadableDatabaseIsReportedAndLeftAlone) {
  Program p;
  fs::create_directory(p.Database());
  const pid_t pid = p.Start(1);
  EXPECT_EQ(Program::Wait(pid), 0);
  EXPECT_NE(ReadFileBytes(p.Log(1)).find(
                "Brindle\nBrindle encountered fatal errors during initialization and must close."),
            std::string::npos)
      << ReadFileBytes(p.Log(1));
  EXPECT_TRUE(fs::is_directory(p.Database()));
  if (::geteuid() != 0) {
    fs::remove(p.Database());
    TempDir::WriteTo(p.Database(), "[vars]\r\nTransSpeed=1\r\n");
    ::chmod(p.Database().c_str(), 0);
    EXPECT_EQ(Program::Wait(p.Start(2)), 0);
    ::chmod(p.Database().c_str(), 0600);
    EXPECT_EQ(ReadFileBytes(p.Database()), "[vars]\r\nTransSpeed=1\r\n");
  }
}

TEST(Program, SignalDuringAPlayIsActedOnAfterEverythingIsPutBack) {
  Program p;
  PlayWorld world("kill -TERM $PPID\nsleep 0.3\n");
  world.db.AlwaysOpenGUI = true;  // the window would stay open after the play
  world.db.RegisterAtStartup = false;
  world.db.Transition = 0;
  ASSERT_TRUE(world.db.Save(p.Database()));
  const std::string before = ReadFileBytes(p.Database());

  const pid_t pid = p.Start(1, {world.patchFolder + "Game (fixed).ips"});
  EXPECT_EQ(Program::Wait(pid), 0);
  EXPECT_NE(ReadFileBytes(world.record).find("play=yes"), std::string::npos);
  world.ExpectPutBack();
  EXPECT_EQ(ReadFileBytes(p.Database()), before);
}

TEST(Program, OnARealDisplayPlayingFromTheListComesBackToTheWindow) {
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  Program p;
  // While it runs, the emulator notes which Brindle windows are on the screen.
  PlayWorld world("DISPLAY=" + x.display +
                  " xdotool search --onlyvisible --name '^SNES Brindle$' > " +
                  ShellQuote(p.dir.File("during.txt")) + "\n");
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  // Enough rows to fill the list, so that its middle is a row whatever the font.
  for (int i = 1; i < 40; ++i) {
    auto patch = std::make_unique<PatchRecord>(*world.db.GetPatch(0));
    patch->Filename = world.dir.Write("my patches/Game " + std::to_string(i) + ".ips", "PATCHEOF");
    world.db.AppendPatch(std::move(patch));
  }
  ASSERT_TRUE(world.db.Save(p.Database()));

  const pid_t pid = p.Start(1, {}, x.display);
  const std::string window =
      x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1");
  ASSERT_FALSE(window.empty()) << ReadFileBytes(p.Log(1));
  // Mapped is not yet drawn and listening: give it a moment.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // The middle of the patch list, which spans a quarter to nearly all of the width and about
  // the upper half of the window.
  const std::string where = x.XDoTool("getwindowgeometry --shell " + window);
  auto value = [&where](const std::string& key) {
    const size_t at = where.find(key + "=");
    return at == std::string::npos ? 0 : std::stoi(where.substr(at + key.size() + 1));
  };
  const int cx = value("X") + value("WIDTH") * 268 / 476;
  const int cy = value("Y") + value("HEIGHT") * 30 / 100;
  x.XDoTool("mousemove " + std::to_string(cx) + " " + std::to_string(cy) +
            " click --repeat 2 --delay 80 1");

  // The play ends on its own; then the window is back and the program still runs.
  for (int i = 0; i < 100 && !PathExists(world.record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(PathExists(world.record)) << "nothing was played";
  for (int i = 0; i < 100 && PathExists(world.journal); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ReadFileBytes(p.dir.File("during.txt")), "") << "the window stayed up during the play";
  EXPECT_EQ(
      x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1"),
      window);
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "Brindle ended after the play";
  EXPECT_NE(ReadFileBytes(world.record).find("play=yes"), std::string::npos);

  ::kill(pid, SIGTERM);
  EXPECT_EQ(Program::Wait(pid), 0);
  world.ExpectPutBack();
}

TEST(Program, OnARealDisplayEnterPlaysEscapeKeepsTheWindowAndCtrlQQuits) {
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  Program p;
  PlayWorld world;
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  ASSERT_TRUE(world.db.Save(p.Database()));

  const pid_t pid = p.Start(1, {}, x.display);
  const std::string window =
      x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1");
  ASSERT_FALSE(window.empty()) << ReadFileBytes(p.Log(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // Down from the filter field selects the first patch and goes to the list; Enter plays it.
  x.XDoTool("windowfocus --sync " + window + " key ctrl+f Down Return");
  for (int i = 0; i < 100 && !PathExists(world.record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(PathExists(world.record)) << "Enter played nothing";
  const std::string back =
      x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1");
  ASSERT_EQ(back, window);

  // Escape twice (the filter first, then the list) leaves the window up.
  x.XDoTool("windowfocus --sync " + window + " key ctrl+f type zz");
  x.XDoTool("windowfocus --sync " + window + " key Escape Escape");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "Escape ended Brindle";
  EXPECT_EQ(x.XDoTool("search --onlyvisible --name '^SNES Brindle$'"), window);

  x.XDoTool("windowfocus --sync " + window + " key ctrl+q");
  EXPECT_EQ(Program::Wait(pid), 0);
  world.ExpectPutBack();
}

TEST(Program, OnARealDisplayFirstRunOpensTheOptionsBeforeTheWindow) {
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  Program p;
  const pid_t pid = p.Start(1, {}, x.display);
  const std::string options =
      x.XDoTool("search --sync --onlyvisible --name '^Options$' 2>/dev/null | head -n 1");
  ASSERT_FALSE(options.empty()) << ReadFileBytes(p.Log(1));
  EXPECT_EQ(x.XDoTool("search --onlyvisible --name '^SNES Brindle$'"), "");
  x.XDoTool("windowfocus --sync " + options + " key Escape");  // Cancel
  EXPECT_FALSE(
      x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1")
          .empty());
  EXPECT_NE(ReadFileBytes(p.Log(1)).find("Brindle\nZSNES has not been properly configured."),
            std::string::npos)
      << ReadFileBytes(p.Log(1));
  ::kill(pid, SIGTERM);
  EXPECT_EQ(Program::Wait(pid), 0);
}

TEST(Program, OnARealDisplayTheFirstRunSetUpAndAnInstallSurviveKillNine) {
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  Program p;
  const std::string patch = p.dir.Write("downloads/Hack.ips", "PATCHEOF");
  p.dir.Write("downloads/Hack.dat", "name=The Hack\r\nromname=GAME\r\nromsize=24Mbit\r\n");
  const pid_t pid = p.Start(1, {patch}, x.display);
  const std::string options =
      x.XDoTool("search --sync --onlyvisible --name '^Options$' 2>/dev/null | head -n 1");
  ASSERT_FALSE(options.empty()) << ReadFileBytes(p.Log(1));
  // The keyboard starts in the Install Directory field; "~" is the home folder; Enter is OK.
  x.XDoTool("windowfocus --sync " + options + " key ctrl+a type '~/zsnes'");
  x.XDoTool("windowfocus --sync " + options + " key Return");
  EXPECT_FALSE(
      x.XDoTool("search --sync --onlyvisible --name '^SNES Brindle$' 2>/dev/null | head -n 1")
          .empty());
  // Killed outright, with no chance to write anything at the end (a moment after the window
  // shows, as the last write may still be on its way to the disk).
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(pid, SIGKILL);
  EXPECT_EQ(Program::Wait(pid), 128 + SIGKILL);
  const std::string saved = ReadFileBytes(p.Database());
  EXPECT_NE(saved.find("\r\nZSNES=" + p.dir.Path() + "/zsnes/\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("The Hack||||" + patch + "|GAME|24Mbit|\r\n"), std::string::npos) << saved;
}

TEST(Program, NewPatchOnTheCommandLineIsInstalledAndAnnounced) {
  Program p;
  TempDir::WriteTo(p.Database(), std::string(kQuickVars) + "[patches]\r\n[roms]\r\n");
  const std::string patch = p.dir.Write("downloads/Hack 1.1.ips", "PATCHEOF");
  p.dir.Write("downloads/Hack 1.1.dat", "name=The Hack\r\nromname=GAME\r\nromsize=24Mbit\r\n");
  const std::string broken = p.dir.Write("downloads/Other.ips", "PATCH\x01");
  p.dir.Write("downloads/Other.dat", "name=Other\r\nromname=GAME\r\nromsize=24Mbit\r\n");
  for (int run : {1, 2, 3}) {
    const pid_t pid = p.Start(run, {run == 1 ? patch : run == 2 ? p.dir.File("gone.ips") : broken});
    ASSERT_TRUE(p.WaitUntilListening());
    ::kill(pid, SIGTERM);
    ASSERT_EQ(Program::Wait(pid), 0);
  }
  EXPECT_EQ(ReadFileBytes(p.Log(1)),
            "Brindle\nThe patch \"The Hack\" was added to the database.\n");
  EXPECT_EQ(ReadFileBytes(p.Log(2)),
            "Error!\nError: Could not open patch file.\nBrindle\nThe patch was not added to the "
            "database.\n");
  EXPECT_EQ(ReadFileBytes(p.Log(3)),
            "Error!\nError: Cannot add patch to database:\n" + broken +
                "\n\nThe file is not a well-formed IPS patch: the file ends inside the record at "
                "byte 5.\nBrindle\nThe patch was not added to the database.\n");
  EXPECT_NE(ReadFileBytes(p.Database()).find("The Hack||||" + patch + "|GAME|24Mbit|\r\n"),
            std::string::npos);
}

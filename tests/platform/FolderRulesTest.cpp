#include "platform/FolderRules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Folders.h"
#include "platform/Path.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

// A folder tree: games/, GAMES2/ and Program Files/ beside a file, inside a temporary folder.
struct Tree {
  TempDir dir;
  ScriptedPrompt prompt;
  std::string browsed;

  Tree() {
    dir.Write("games/snes/readme.txt", "x");
    dir.Write("Program Files/x", "x");
    dir.Write("notes.txt", "x");
    browsed = dir.Path() + "/";
  }
  FolderStep Open(const std::string& text) { return CheckFolderToOpen(text, browsed, prompt); }
};

}  // namespace

TEST(FolderRules, OpenAcceptsFoldersAndNamesWhatIsWrong) {
  Tree t;
  const std::string root = t.dir.Path();
  for (const std::string text : {"", "/"})
    EXPECT_TRUE(t.Open(text).go) << text;
  // A folder, with or without its trailing separator, and relative to the one shown.
  EXPECT_EQ(t.Open(root + "/games/").path, root + "/games");
  EXPECT_TRUE(t.Open("games/snes").go);
  EXPECT_TRUE(t.prompt.boxes.empty());

  EXPECT_FALSE(t.Open("//").go);
  EXPECT_FALSE(t.Open(root + "/notes.txt/").go);
  EXPECT_FALSE(t.Open("//server/share").go);
  ASSERT_EQ(t.prompt.Texts(),
            (std::vector<std::string>{"//\nThis is not a valid folder.",
                                      root + "/notes.txt\nThis is a file not a directory.",
                                      "//server/share\nThis is not a valid folder."}));
  EXPECT_EQ(t.prompt.boxes[0].title, "Brindle");
  EXPECT_EQ(t.prompt.boxes[0].icon, BoxIcon::None);

  // A missing folder: No leaves everything as it was, Yes makes every level and accepts.
  t.prompt.boxes.clear();
  EXPECT_FALSE(t.Open("new/deeper/").go);
  EXPECT_EQ(GetPathKind(root + "/new"), PathKind::Missing);
  t.prompt.answers = {BoxAnswer::Yes};
  const FolderStep made = t.Open("new/deeper/");
  EXPECT_TRUE(made.go);
  EXPECT_EQ(made.path, "new/deeper");
  EXPECT_EQ(GetPathKind(root + "/new/deeper"), PathKind::Folder);
  ASSERT_EQ(t.prompt.boxes.size(), 2u);
  EXPECT_EQ(t.prompt.boxes[1].text,
            "new/deeper\nThis folder does not exist.\n\nDo you want to create it?");
  EXPECT_EQ(t.prompt.boxes[1].buttons, BoxButtons::YesNo);

  // A folder that cannot be made (a file stands in the way): the message without the path.
  t.prompt.boxes.clear();
  t.prompt.answers = {BoxAnswer::Yes};
  EXPECT_FALSE(t.Open("notes.txt/sub").go);
  EXPECT_EQ(t.prompt.boxes.back().text, "You do not have permission\nto create this folder.");
}

TEST(FolderRules, EnterGoesToFoldersAndOffersToCreateMissingOnes) {
  Tree t;
  const auto enter = [&t](const std::string& text) {
    return EnterFolderText(text, t.browsed, t.prompt);
  };
  // Straight there, unchecked.
  for (const std::string text : {"", "/", "//", "//server"}) {
    const EnterStep step = enter(text);
    EXPECT_TRUE(step.go && !step.finish && step.path == text) << text;
  }
  EnterStep step = enter("games/");
  EXPECT_TRUE(step.go && step.finish);
  EXPECT_EQ(step.path, "games");
  EXPECT_TRUE(enter("notes.txt").finish);  // a file too, though the picker stays put
  EXPECT_TRUE(t.prompt.boxes.empty());

  EXPECT_FALSE(enter("missing").go);  // No
  t.prompt.answers = {BoxAnswer::Yes};
  EXPECT_FALSE(enter("notes.txt/sub").go);
  EXPECT_EQ(t.prompt.Texts().back(),
            "You do not have permission or\notherwise cannot create this folder.");

  // Delete and typing go to "/" and to folders written with their trailing separator.
  EXPECT_TRUE(GoesToAsTyped("/", t.browsed));
  EXPECT_TRUE(GoesToAsTyped("games/", t.browsed));
  for (const std::string text : {"//", "games", "missing/", "notes.txt/"})
    EXPECT_FALSE(GoesToAsTyped(text, t.browsed)) << text;
}

TEST(FolderRules, TildeIsTheHomeFolderWhereverAPathIsTyped) {
  EXPECT_EQ(ExpandHome("~", "/home/u"), "/home/u");
  EXPECT_EQ(ExpandHome("~/zsnes/", "/home/u"), "/home/u/zsnes/");
  EXPECT_EQ(ExpandHome("~/zsnes", "/"), "/zsnes");
  for (const std::string text : {"~user/x", "a/~", "/~/x", ""})
    EXPECT_EQ(ExpandHome(text, "/home/u"), text);

  Tree t;
  const std::string root = t.dir.Path();
  {
    const ScopedEnv home("HOME", (root + "/games").c_str());
    EXPECT_TRUE(t.Open("~").go);
    EXPECT_TRUE(t.Open("~/snes/").go);
    EXPECT_TRUE(GoesToAsTyped("~/", t.browsed));
    EXPECT_EQ(CompleteFolderName("~/sn", t.browsed), "es");
    EXPECT_TRUE(t.prompt.boxes.empty());
    // Made in the home folder, never as a folder named "~" where the picker stands.
    t.prompt.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    EXPECT_TRUE(t.Open("~/zsnes").go);
    EXPECT_TRUE(EnterFolderText("~/bsnes/", t.browsed, t.prompt).go);
  }
  EXPECT_EQ(GetPathKind(root + "/games/zsnes"), PathKind::Folder);
  EXPECT_EQ(GetPathKind(root + "/games/bsnes"), PathKind::Folder);
  EXPECT_EQ(GetPathKind(root + "/~"), PathKind::Missing);
  EXPECT_EQ(t.prompt.Texts().front(),
            "~/zsnes\nThis folder does not exist.\n\nDo you want to create it?");

  // The picker starts in the wanted folder or the nearest one above it that exists.
  EXPECT_EQ(StartingFolder(root + "/games/", "/h"), root + "/games/");
  EXPECT_EQ(StartingFolder(root + "/games/gone/deeper/", "/h"), root + "/games");
  for (const std::string wanted : {"", "games", "~/games"})
    EXPECT_EQ(StartingFolder(wanted, "/h"), "/h") << wanted;
}

TEST(FolderRules, AFolderBehindOneThatMayNotBeOpenedIsUnreachableNotMissing) {
  Tree t;
  const std::string root = t.dir.Path();
  t.dir.Write("locked/inner/x", "x");
  const std::string locked = root + "/locked";
  const int failures = AsOrdinaryUser(root, [&] {
    ::chmod(locked.c_str(), 0);
    ScriptedPrompt prompt;
    prompt.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    int wrong = CheckFolderToOpen(locked + "/inner", t.browsed, prompt).go ? 1 : 0;
    wrong += EnterFolderText("locked/new/", t.browsed, prompt).go ? 1 : 0;
    wrong += GetPathKind(locked + "/inner") == PathKind::Unreachable ? 0 : 1;
    const std::string reason =
        "\nThis folder cannot be reached.\nYou do not have permission to open a folder above it.";
    wrong += prompt.Texts() ==
                     std::vector<std::string>{locked + "/inner" + reason, "locked/new" + reason}
                 ? 0
                 : 1;
    ::chmod(locked.c_str(), 0755);
    return wrong;
  });
  EXPECT_EQ(failures, 0);
}

TEST(FolderRules, CompletionOfTheOneMatchingFolder) {
  Tree t;
  t.dir.Write("GAMES2/x", "x");
  t.dir.Write("gamesfile", "x");
  EXPECT_EQ(CompleteFolderName("Prog", t.browsed), "ram Files");
  EXPECT_EQ(CompleteFolderName(t.dir.Path() + "/games/s", ""), "nes");
  EXPECT_EQ(CompleteFolderName("G", t.browsed), "AMES2");
  EXPECT_EQ(CompleteFolderName("game", t.browsed), "s");  // the file does not count
  EXPECT_EQ(CompleteFolderName("prog", t.browsed), "");   // names here are case-sensitive
  EXPECT_EQ(CompleteFolderName("x", t.browsed), "");
  EXPECT_EQ(CompleteFolderName("games/", t.browsed), "");
  t.dir.Write("gamma/x", "x");
  EXPECT_EQ(CompleteFolderName("ga", t.browsed), "");  // two folders

  // Where names are found regardless of case, the completion follows the typed case.
  EXPECT_EQ(CompletionCase("prog", "PROGRAM FILES"), "program files");
  EXPECT_EQ(CompletionCase("PROG", "PROGRAM FILES"), "PROGRAM FILES");
  EXPECT_EQ(CompletionCase("G", "GAMES"), "Games");
  EXPECT_EQ(CompletionCase("GA", "GAMES"), "GAMES");
  EXPECT_EQ(CompletionCase("g", "GAMES"), "games");
  EXPECT_FALSE(IsFolderCaseInsensitive(t.dir.Path()));
}

TEST(FolderRules, DriveTypeOfTheDeepestMount) {
  const std::string mounts =
      "/dev/sda1 / ext4 rw 0 0\n"
      "server:/export /mnt/nfs nfs4 rw 0 0\n"
      "//host/share /mnt/my\\040share cifs rw 0 0\n"
      "/dev/sr0 /media/user/DISC iso9660 ro 0 0\n"
      "/dev/sdb1 /run/media/user/STICK vfat rw 0 0\n"
      "/dev/sdc1 /media/user/DISC/inner ext4 rw 0 0\n";
  EXPECT_EQ(DriveTypeFromMounts("/home/user/x", mounts), DriveType::Fixed);
  EXPECT_EQ(DriveTypeFromMounts("/mnt/nfs/a/b", mounts), DriveType::Network);
  EXPECT_EQ(DriveTypeFromMounts("/mnt/nfsother", mounts), DriveType::Fixed);
  EXPECT_EQ(DriveTypeFromMounts("/mnt/my share/x", mounts), DriveType::Network);
  EXPECT_EQ(DriveTypeFromMounts("/media/user/DISC/x", mounts), DriveType::CdRom);
  EXPECT_EQ(DriveTypeFromMounts("/run/media/user/STICK/x", mounts), DriveType::Removable);
  EXPECT_EQ(DriveTypeFromMounts("/media/user/DISC/inner/x", mounts), DriveType::Removable);
}

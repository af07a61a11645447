#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/CInstanceLock.h"
#include "platform/CXdgFileTypeRegistry.h"
#include "platform/CommandLine.h"
#include "support/TempDir.h"

namespace {

class RecordingRegistry final : public FileTypeRegistry {
 public:
  void SetKey(const std::string& key, const std::optional<std::string>& value) override {
    writes.push_back(key + " = " + (value ? "\"" + *value + "\"" : "(none)"));
  }
  void Finish() override { writes.push_back("finish"); }
  std::vector<std::string> writes;
};

}  // namespace

TEST(FileTypes, RegistrationWritesTheSixKeysOfEachTypeInOrder) {
  RecordingRegistry registry;
  RegisterFileTypes(registry, "/opt/my apps/brindle", 2);
  std::vector<std::string> expected;
  for (const auto& [kind, description] :
       std::vector<std::pair<std::string, std::string>>{{"ips", "SNES Game Patch"},
                                                        {"bps", "SNES Game Patch (BPS)"},
                                                        {"ups", "SNES Game Patch (UPS)"}}) {
    const std::string type = kind + "_patch";
    expected.insert(
        expected.end(),
        {type + " = \"" + description + "\"", type + "\\DefaultIcon = \"/opt/my apps/brindle,2\"",
         type + "\\shell = \"open\"", type + "\\shell\\open = (none)",
         type + "\\shell\\open\\command = \"/opt/my apps/brindle \"%1\"\"",
         "." + kind + " = \"" + type + "\""});
  }
  expected.push_back("finish");
  EXPECT_EQ(registry.writes, expected);
}

TEST(FileTypes, XdgBackendWritesMimeDesktopIconAndDefault) {
  TempDir dir;
  const std::string icon1 = dir.Write("icons/one.png", "PNG one");
  const std::string icon2 = dir.Write("icons/two.png", "PNG two");
  const std::string app = dir.Write("icons/app.png", "PNG app");
  auto icons = [&](int index) {
    return index == 0 ? app : index == 1 ? icon1 : index == 2 ? icon2 : std::string();
  };
  const std::string data = dir.File("data");
  const std::string config = dir.File("config");
  dir.Write("config/mimeapps.list",
            "[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\n"
            "image/png=viewer.desktop\n\n[Removed Associations]\n");

  CXdgFileTypeRegistry registry(icons, data, config);
  RegisterFileTypes(registry, "/home/user/Brindle $1/brindle", 2);

  const std::string mime = ReadFileBytes(data + "/mime/packages/brindle-x-ips-patch.xml");
  EXPECT_NE(mime.find("<mime-type type=\"application/x-ips-patch\">"), std::string::npos);
  EXPECT_NE(mime.find("<comment>SNES Game Patch</comment>"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.ips\"/>"), std::string::npos);
  // BPS and UPS beside it, under the type names of the shared MIME database.
  for (const std::string kind : {"bps", "ups"}) {
    const std::string package =
        ReadFileBytes(data + "/mime/packages/brindle-x-" + kind + "-patch.xml");
    EXPECT_NE(package.find("<mime-type type=\"application/x-" + kind + "-patch\">"),
              std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*." + kind + "\"/>"), std::string::npos);
    EXPECT_EQ(
        ReadFileBytes(data + "/icons/hicolor/48x48/mimetypes/application-x-" + kind + "-patch.png"),
        "PNG two");
  }
  const std::string entry = ReadFileBytes(data + "/applications/brindle.desktop");
  EXPECT_NE(entry.find("\nExec=\"/home/user/Brindle \\\\$1/brindle\" %f\n"), std::string::npos)
      << entry;
  EXPECT_NE(entry.find("\nMimeType=application/x-ips-patch;application/x-bps-patch;"
                       "application/x-ups-patch;\n"),
            std::string::npos);
  EXPECT_EQ(ReadFileBytes(data + "/icons/hicolor/48x48/mimetypes/application-x-ips-patch.png"),
            "PNG two");
  EXPECT_EQ(ReadFileBytes(data + "/icons/hicolor/48x48/apps/brindle.png"), "PNG app");
  EXPECT_EQ(ReadFileBytes(config + "/mimeapps.list"),
            "[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\n"
            "image/png=viewer.desktop\napplication/x-ips-patch=brindle.desktop\n"
            "application/x-bps-patch=brindle.desktop\napplication/x-ups-patch=brindle.desktop\n\n"
            "[Removed Associations]\n");

  // Again, with the same icon: nothing changes, not even a modification time.
  struct stat before {};
  ::stat((config + "/mimeapps.list").c_str(), &before);
  const auto snapshot = [&] {
    std::string all;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path())) {
      if (e.is_regular_file() && e.path().string().find("/mime/packages/") == std::string::npos &&
          e.path().string().find("/mime/") != std::string::npos) {
        continue;  // caches that update-mime-database may write
      }
      if (e.is_regular_file())
        all += e.path().string() + "\n" + ReadFileBytes(e.path()) + "\n";
    }
    return all;
  };
  const std::string first = snapshot();
  CXdgFileTypeRegistry again(icons, data, config);
  RegisterFileTypes(again, "/home/user/Brindle $1/brindle", 2);
  EXPECT_EQ(snapshot(), first);
  struct stat after {};
  ::stat((config + "/mimeapps.list").c_str(), &after);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);

  // Another icon choice replaces the type's icon; a changed default is put back.
  dir.Write("config/mimeapps.list",
            "[Default Applications]\napplication/x-ips-patch=other.desktop\n");
  CXdgFileTypeRegistry third(icons, data, config);
  RegisterFileTypes(third, "/home/user/Brindle $1/brindle", 1);
  EXPECT_EQ(ReadFileBytes(data + "/icons/hicolor/48x48/mimetypes/application-x-ips-patch.png"),
            "PNG one");
  EXPECT_EQ(ReadFileBytes(config + "/mimeapps.list"),
            "[Default Applications]\napplication/x-ips-patch=brindle.desktop\n"
            "application/x-bps-patch=brindle.desktop\napplication/x-ups-patch=brindle.desktop\n");
}

TEST(FileTypes, XdgBackendFailsSilently) {
  TempDir dir;
  dir.Write("data", "a file where a folder should be");
  CXdgFileTypeRegistry registry([](int) { return std::string("/no/such/icon.png"); },
                                dir.File("data"), dir.File("config"));
  RegisterFileTypes(registry, "/usr/bin/brindle", 1);  // must not throw or crash
  EXPECT_EQ(ReadFileBytes(dir.File("data")), "a file where a folder should be");
}

TEST(InstanceLock, OnlyOneHolderAndACrashReleasesIt) {
  TempDir dir;
  {
    CInstanceLock first("BrindleApp", dir.Path());
    ASSERT_EQ(first.Acquire(), CInstanceLock::Result::Acquired);
    CInstanceLock second("BrindleApp", dir.Path());
    EXPECT_EQ(second.Acquire(), CInstanceLock::Result::HeldByAnother);
    EXPECT_EQ(first.LockPath(), dir.Path() + "/BrindleApp.lock");
  }
  // A holder that dies without cleaning up does not block the next start.
  const pid_t child = ::fork();
  if (child == 0) {
    CInstanceLock held("BrindleApp", dir.Path());
    held.Acquire();
    ::_exit(held.Acquire() == CInstanceLock::Result::Acquired ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  CInstanceLock after("BrindleApp", dir.Path());
  EXPECT_EQ(after.Acquire(), CInstanceLock::Result::Acquired);

  CInstanceLock nowhere("BrindleApp", dir.File("missing/folder"));
  EXPECT_EQ(nowhere.Acquire(), CInstanceLock::Result::Failed);
}

TEST(InstanceLock, TheSharedTmpFolderIsUsedOnlyWhenItIsTheUsersOwn) {
  const std::string saved = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
  ::unsetenv("XDG_RUNTIME_DIR");
  TempDir dir;
  const std::string name = "BrindleLockTest" + std::to_string(::getpid());
  const std::string folder = "/tmp/" + name + "-" + std::to_string(::getuid());

  // Made here, or found open to others, it is made private.
  EXPECT_EQ(UserRuntimeFolder(name), folder);
  ::chmod(folder.c_str(), 0777);
  EXPECT_EQ(UserRuntimeFolder(name), folder);
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ::rmdir(folder.c_str());

  // A link somebody put there first is not followed, and there is no lock to take.
  ASSERT_EQ(::symlink(dir.Path().c_str(), folder.c_str()), 0);
  EXPECT_EQ(UserRuntimeFolder(name), "");
  EXPECT_EQ(CInstanceLock(name).Acquire(), CInstanceLock::Result::Failed);
  EXPECT_FALSE(std::filesystem::exists(dir.File(name + ".lock")));
  ::unlink(folder.c_str());
  if (!saved.empty())
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST(CommandLine, FirstNonSwitchArgumentMadeAbsolute) {
  EXPECT_EQ(CommandLineFile({}, "/home/u"), "");
  EXPECT_EQ(CommandLineFile({"-geometry", "--x"}, "/home/u"), "");
  EXPECT_EQ(CommandLineFile({"-v", "/p/a.ips", "/p/b.ips"}, "/home/u"), "/p/a.ips");
  EXPECT_EQ(CommandLineFile({"hacks/my patch.ips"}, "/home/u"), "/home/u/hacks/my patch.ips");
  EXPECT_EQ(CommandLineFile({"./a.ips"}, "/home/u/"), "/home/u/a.ips");
  EXPECT_EQ(CommandLineFile({"../a.ips"}, "/home/u"), "/home/a.ips");
}

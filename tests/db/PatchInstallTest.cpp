#include <gtest/gtest.h>

#include "db/CPatchDB.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

const char kNotFound[] =
    "A patch information file (*.dat) was not found for the specified IPS file.\nYou will have to "
    "enter patch information manually in order to continue.";
const char kProblems[] =
    "Brindle encountered problems while parsing the patch information file.\n\t\t\t\t\nPlease "
    "check the patch information to verify that it is correct.";

// A database whose Patch Information form records what it was shown and answers from a flag.
struct Installer {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  std::vector<PatchRecord> shown;
  bool confirm = true;

  bool Install(const std::string& path) {
    return db.InstallPatch(path, [this](PatchRecord& patch) {
      shown.push_back(patch);
      if (confirm)
        patch.RomName = "FROM THE FORM";
      return confirm;
    });
  }
  // Writes name.ips and, unless `info` is null, name.dat beside it.
  std::string Patch(const std::string& name, const char* info) {
    if (info != nullptr)
      dir.Write(name + ".dat", info);
    return dir.Write(name + ".ips", "PATCH");
  }
};

const char kAllKeys[] =
    "FILE=elsewhere.ips\r\nName=Mother 1+2 English\r\nauthor= Tomato \t\r\nVERSION=1.1\r\n"
    "description=Both games, one=line\nromname=MOTHER1+2\r\nromsize=24Mbit\r\n"
    "romhash=0123456789abcdef0123456789abcdef\r\n";

}  // namespace

TEST(PatchInstall, CleanInformationFileInstallsWithoutAsking) {
  Installer in;
  const std::string path = in.Patch("mother", kAllKeys);
  ASSERT_TRUE(in.Install(path));
  ASSERT_EQ(in.db.GetPatchCount(), 1);
  const PatchRecord& p = *in.db.GetPatch(0);
  EXPECT_EQ(p.Filename, path);
  EXPECT_EQ(p.PatchName, "Mother 1+2 English");
  EXPECT_EQ(p.Author, " Tomato");  // blanks after "=" stay, those at the end go
  EXPECT_EQ(p.Version, "1.1");
  EXPECT_EQ(p.Description, "Both games, one=line");
  EXPECT_EQ(p.RomName, "MOTHER1+2");
  EXPECT_EQ(p.RomSize, "24Mbit");
  EXPECT_EQ(p.RomDigest, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(p.SizeWord, 280);
  EXPECT_TRUE(in.shown.empty());
  EXPECT_TRUE(in.prompt.boxes.empty());

  // The last dot of the whole path counts, even when it belongs to a folder; the size text is
  // kept as written.
  const std::string folder = in.dir.File("v1.2/readme");
  TempDir::WriteTo(in.dir.File("v1.dat"), "name=n\nromname=R\nromsize=24Mbit No header\n");
  TempDir::WriteTo(folder, "PATCH");
  ASSERT_TRUE(in.Install(folder));
  EXPECT_EQ(in.db.GetPatch(1)->RomSize, "24Mbit No header");
  EXPECT_EQ(in.db.GetPatch(1)->SizeWord, 24);
  EXPECT_EQ(CPatchDB::PatchInfoPath("/p/noext"), "/p/noext.dat");
  EXPECT_TRUE(in.prompt.boxes.empty());
}

TEST(PatchInstall, FaultyOrIncompleteFileShowsTheProblemThenTheForm) {
  const char* faults[] = {"\r\n", "; a comment\r\n", "[patch]\r\n", "author =Someone\r\n"};
  for (const char* fault : faults) {
    Installer in;
    ASSERT_TRUE(in.Install(in.Patch("p", (std::string(kAllKeys) + fault).c_str()))) << fault;
    ASSERT_EQ(in.prompt.Texts(), std::vector<std::string>{kProblems}) << fault;
    EXPECT_EQ(in.prompt.boxes[0].title, "Brindle");
    EXPECT_EQ(in.prompt.boxes[0].icon, BoxIcon::None);
    ASSERT_EQ(in.shown.size(), 1u);
    EXPECT_EQ(in.shown[0].Author, " Tomato");  // the value after a blank before "=" is not taken
    EXPECT_EQ(in.shown[0].SizeWord, 280);
    EXPECT_EQ(in.db.GetPatch(0)->RomName, "FROM THE FORM");
  }
  // A clean file without the target ROM, or without a name, would not survive the next start.
  for (const char* incomplete :
       {"name=n\nromsize=8Mbit\n", "name=n\nromname=R\n", "romname=R\nromsize=8Mbit\n"}) {
    Installer in;
    ASSERT_TRUE(in.Install(in.Patch("p", incomplete)));
    EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{kProblems}) << incomplete;
    EXPECT_EQ(in.shown.size(), 1u);
  }
}

TEST(PatchInstall, RefusalsAndCancelLeaveTheDatabaseAlone) {
  Installer in;
  // No information file: the form opens with the header ticked and no size.
  in.confirm = false;
  const std::string bare = in.Patch("bare", nullptr);
  EXPECT_FALSE(in.Install(bare));
  EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{kNotFound});
  ASSERT_EQ(in.shown.size(), 1u);
  EXPECT_EQ(in.shown[0].SizeWord, 256);
  EXPECT_EQ(in.db.GetPatchCount(), 0);

  in.confirm = true;
  ASSERT_TRUE(in.Install(bare));
  in.prompt.boxes.clear();
  in.shown.clear();
  // The same patch again, in another letter case, is refused before its file is read.
  const std::string upper = in.dir.File("BARE.ips");
  in.dir.Write("BARE.ips", "PATCH");
  in.dir.Write("BARE.dat", "broken\n");
  EXPECT_FALSE(in.Install(upper));
  EXPECT_EQ(in.prompt.Texts(),
            std::vector<std::string>{"Error: Cannot add patch to database:\n" + upper +
                                     "\n\nThe specified patch file already exists in the "
                                     "database."});

  // Paths brindle.dat could not give back are refused before anything else.
  for (const std::string& path : {" " + bare, in.dir.File("trail.ips\t"), in.dir.File("a|b.ips"),
                                  in.dir.File("line\nbreak.ips")}) {
    in.prompt.boxes.clear();
    EXPECT_FALSE(in.Install(path));
    EXPECT_EQ(in.prompt.Texts(),
              std::vector<std::string>{"Error: Cannot add patch to database:\n" + path +
                                       "\n\nThe file name contains characters that the database "
                                       "cannot store."});
  }
  in.prompt.boxes.clear();
  EXPECT_FALSE(in.Install(in.dir.File("missing.ips")));
  EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{"Error: Could not open patch file."});
  EXPECT_TRUE(in.shown.empty());
  EXPECT_EQ(in.db.GetPatchCount(), 1);
}

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "db/CPatchDB.h"
#include "patch/Crc32.h"
#include "patch/ReaderText.h"
#include "support/PatchBuilder.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

const std::string kAllKeys =
    "FILE=elsewhere.ips\r\nName=Mother 1+2\r\nauthor= Tomato \t\r\nVERSION=1.1\r\n"
    "description=Both, one=line\nromname=MOTHER1+2\r\nromsize=24Mbit\r\nromhash=0123abcd\r\n";
const std::string kAllRead = "Mother 1+2| Tomato|1.1|Both, one=line|MOTHER1+2|24Mbit|0123abcd|280";

// A database whose Patch Information form records what it was shown and answers as told.
struct Installer {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  std::vector<PatchRecord> shown;
  bool confirm = true;

  bool Install(const std::string& path) {
    return db.InstallPatch(path, [this](PatchRecord& p) { return shown.push_back(p), confirm; });
  }
  std::string Patch(const std::string& name, const std::string& info) {
    dir.Write(name + ".dat", info);
    return dir.Write(name + ".ips", "PATCHEOF");
  }
};

std::string Fields(const PatchRecord& p) {
  return p.PatchName + "|" + p.Author + "|" + p.Version + "|" + p.Description + "|" + p.RomName +
         "|" + p.RomSize + "|" + p.RomDigest + "|" + std::to_string(p.SizeWord);
}

}  // namespace

TEST(PatchInstall, CleanFilesInstallQuietlyOthersShowTheProblemAndTheForm) {
  Installer in;
  const std::string path = in.Patch("clean", kAllKeys);
  ASSERT_TRUE(in.Install(path));
  EXPECT_EQ(Fields(*in.db.GetPatch(0)), kAllRead);
  EXPECT_EQ(in.db.GetPatch(0)->Filename, path);
  // The last dot of the whole path counts, even in a folder's name.
  in.dir.Write("v1.dat", "name=n\nromname=R\nromsize=24Mbit No header\n");
  ASSERT_TRUE(in.Install(in.dir.Write("v1.2/readme", "PATCHEOF")));
  EXPECT_EQ(in.db.GetPatch(1)->SizeWord, 24);
  EXPECT_TRUE(in.shown.empty() && in.prompt.boxes.empty());

  // Blank lines, comments, labels and blanks before "=" are problems. The form shows what was
  // read.
  for (const std::string& info : {kAllKeys + "\r\n", kAllKeys + "; note\r\n",
                                  kAllKeys + "[patch]\r\n", kAllKeys + "author =Else\r\n"}) {
    Installer faulty;
    ASSERT_TRUE(faulty.Install(faulty.Patch("p", info))) << info;
    EXPECT_EQ(faulty.prompt.Texts(),
              std::vector<std::string>{"Brindle encountered problems while parsing the patch "
                                       "information file.\n\t\t\t\t\nPlease check the patch "
                                       "information to verify that it is correct."});
    ASSERT_EQ(faulty.shown.size(), 1u);
    EXPECT_EQ(Fields(faulty.shown[0]), kAllRead);
  }
  // A clean file without what the next start would refuse the record for says what is missing.
  const std::string please = ".\nPlease enter the missing information in order to continue.";
  const std::pair<std::string, std::string> incomplete[] = {
      {"name=n\nromsize=8Mbit\n", "the ROM's name (romname)"},
      {"name=n\nromname=R\n", "the ROM's size (romsize)"},
      {"name=n\nromname=R\nromsize=-8Mbit\n", "a ROM size in megabits (romsize)"},
      {"name= \t\nromname= \nromsize=8Mbit\n",
       "the patch's name (name) or the ROM's name (romname)"},
      {"author=a\n",
       "the patch's name (name), the ROM's name (romname) or the ROM's size (romsize)"},
  };
  for (const auto& [info, missing] : incomplete) {
    Installer faulty;
    ASSERT_TRUE(faulty.Install(faulty.Patch("p", info))) << info;
    EXPECT_EQ(
        faulty.prompt.Texts(),
        std::vector<std::string>{"The patch information file does not give " + missing + please});
    EXPECT_EQ(faulty.shown.size(), 1u);
  }
  // A file saved with a byte-order mark keeps its first key.
  Installer marked;
  ASSERT_TRUE(marked.Install(marked.Patch("p", "\xEF\xBB\xBF" + kAllKeys)));
  EXPECT_EQ(Fields(*marked.db.GetPatch(0)), kAllRead);
  EXPECT_TRUE(marked.shown.empty() && marked.prompt.boxes.empty());
}

TEST(PatchInstall, AnInformationFileDifferingOnlyInCaseIsFoundWhenItIsTheOnlyOne) {
  // As patches from DOS and Windows come: GAME.IPS with GAME.DAT.
  Installer in;
  in.dir.Write("dos/GAME.DAT", kAllKeys);
  ASSERT_TRUE(in.Install(in.dir.Write("dos/GAME.IPS", "PATCHEOF")));
  EXPECT_EQ(Fields(*in.db.GetPatch(0)), kAllRead);
  EXPECT_TRUE(in.shown.empty() && in.prompt.boxes.empty());

  // Two candidates: none is taken, as if there were no file.
  in.dir.Write("two/game.Dat", kAllKeys);
  in.dir.Write("two/GAME.dat", kAllKeys);
  ASSERT_TRUE(in.Install(in.dir.Write("two/Game.ips", "PATCHEOF")));
  EXPECT_EQ(in.shown.size(), 1u);
  EXPECT_EQ(in.prompt.Texts(),
            std::vector<std::string>{"A patch information file (*.dat) was not found for the "
                                     "specified IPS file.\nYou will have to enter patch "
                                     "information manually in order to continue."});
}

TEST(PatchInstall, RefusalsAndCancelLeaveTheDatabaseAlone) {
  Installer in;
  in.confirm = false;
  const std::string bare = in.dir.Write("bare.ips", "PATCHEOF");
  EXPECT_FALSE(in.Install(bare));
  EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{
                                   "A patch information file (*.dat) was not found for the "
                                   "specified IPS file.\nYou will have to enter patch information "
                                   "manually in order to continue."});
  EXPECT_EQ(in.shown.at(0).SizeWord, 256);  // Header ticked, no size chosen
  in.confirm = true;
  ASSERT_TRUE(in.Install(bare));

  const auto refused = [&](const std::string& path, const std::string& reason) {
    in.prompt.boxes.clear();
    EXPECT_FALSE(in.Install(path));
    EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{"Error: Cannot add patch to database:\n" +
                                                          path + "\n\n" + reason});
  };
  in.Patch("bare", "broken\n");  // refused before this is read
  refused(bare, "The specified patch file already exists in the database.");
  for (const std::string& path : {" " + bare, bare + "\t", bare + "|", in.dir.File("a\nb.ips")})
    refused(path, "The file name contains characters that the database cannot store.");
  in.prompt.boxes.clear();
  EXPECT_FALSE(in.Install(in.dir.File("missing.ips")));
  EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{"Error: Could not open patch file."});
  EXPECT_EQ(in.shown.size(), 2u);
  EXPECT_EQ(in.db.GetPatchCount(), 1);
  EXPECT_EQ(CPatchDB::PatchInfoPath("/p/noext"), "/p/noext.dat");  // never just ".dat"
}

TEST(PatchInstall, AFileThatIsNotAWellFormedPatchOfItsKindIsRefusedWithTheReason) {
  Installer in;
  const auto refused = [&](const std::string& name, const std::string& bytes,
                           const std::string& reason) {
    in.prompt.boxes.clear();
    in.dir.Write(name.substr(0, name.rfind('.')) + ".dat", kAllKeys);
    const std::string path = in.dir.Write(name, bytes);
    EXPECT_FALSE(in.Install(path)) << name;
    EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{"Error: Cannot add patch to database:\n" +
                                                          path + "\n\n" + reason});
  };
  refused("cut.ips", "PATCH" + IpsRecord(0, "abc").substr(0, 6),
          "The file is not a well-formed IPS patch: the file ends inside the record at byte 5.");
  refused("Other.IPS", MakeBps("a", "b"),
          "The file is not a well-formed IPS patch: it is a BPS "
          "patch.");
  std::string damaged = MakeUps("source", "target");
  damaged[5] ^= 0x40;
  refused("damaged.ups", damaged,
          "The file is not a well-formed UPS patch: the file is damaged or incomplete: its CRC-32 "
          "is " +
              CrcText(Crc32(damaged.substr(0, damaged.size() - 4))) + ", where the patch says " +
              CrcText(Crc32(MakeUps("source", "target").substr(0, damaged.size() - 4))) + ".");
  refused("notes.txt", "name=n\n",
          "The file is not a well-formed IPS patch: it does not begin with \"PATCH\".");
  EXPECT_EQ(in.db.GetPatchCount(), 0);
  EXPECT_TRUE(in.shown.empty());

  // Every kind in any letter case; a name without an extension is an IPS patch. So are the
  // forms of IPS that some emulator applies correctly.
  in.prompt.boxes.clear();
  const std::string record = IpsRecord(0, "abc");
  for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
           {"a.BpS", MakeBps("a", "b")},
           {"b.UPS", MakeUps("a", "b")},
           {"c.iPs", IpsPatch("")},
           {"d", IpsPatch("")},
           {"e.ips", "PATCH" + record},
           {"f.ips", IpsPatch(record, "Made by me")},
           {"g.ips", IpsPatch(IpsRun(0, 0, 'x') + record)},
           {"h.ips", IpsPatch(IpsRecord(0x454f46, "x") + record)}}) {
    in.dir.Write(name.substr(0, name.find('.')) + ".dat", kAllKeys);
    EXPECT_TRUE(in.Install(in.dir.Write(name, bytes))) << name;
  }
  EXPECT_EQ(in.db.GetPatchCount(), 8);
  EXPECT_TRUE(in.shown.empty() && in.prompt.boxes.empty());
}

TEST(PatchInstall, ABpsOrUpsPatchWithoutInformationFindsItsRomByTheSourceCrc) {
  const std::string source(4096, 'S');
  const auto rom = [](Installer& in, const std::string& name, const std::string& bytes) {
    auto record = std::make_unique<RomRecord>();
    record->RomName = "ROM " + name;
    record->RomSize = name;
    record->SizeWord = static_cast<int32_t>(bytes.size() % 1024 ? 256 : 0) + 8;
    record->RomDigest = "digest " + name;
    record->Filename = in.dir.Write("roms/" + name, bytes);
    in.db.AppendRom(std::move(record));
  };
  Installer in;
  in.confirm = false;
  rom(in, "other", std::string(4096, 'O'));
  rom(in, "headered", std::string(512, 'H') + source);
  rom(in, "plain", source);
  in.Install(in.dir.Write("Hack.bps", MakeBps(source, "target")));
  ASSERT_EQ(in.shown.size(), 1u);
  // The whole file is preferred to one behind a header; the ROM is named as FindRom finds it.
  EXPECT_EQ(Fields(in.shown[0]), "||||ROM plain|plain|digest plain|8");
  EXPECT_EQ(in.prompt.Texts(), std::vector<std::string>{
                                   "A patch information file (*.dat) was not found for the "
                                   "specified BPS file.\nYou will have to enter patch information "
                                   "manually in order to continue."});

  in.db.RemoveRom(2);
  in.db.GetRom(1)->ForcedName = "Forced";
  in.db.GetRom(1)->UseForcedName = true;
  in.Install(in.dir.Write("Hack.ups", MakeUps(source, "target")));
  EXPECT_EQ(Fields(in.shown.at(1)), "||||Forced|headered|digest headered|264");

  // No ROM of the patch's: the form opens as for IPS, the header ticked and nothing else.
  in.Install(in.dir.Write("Other.bps", MakeBps("another source", "target")));
  EXPECT_EQ(Fields(in.shown.at(2)), "|||||||256");

  // A patch that does not make its target of its ROM is refused: no emulator plays it right.
  in.prompt.boxes.clear();
  const std::string wrong = in.dir.Write(
      "Wrong.bps", WithBeatChecksums(BpsHead(source.size(), 6) + BpsTargetRead("target"),
                                     Crc32(source), Crc32("tarGet")));
  EXPECT_FALSE(in.Install(wrong));
  EXPECT_EQ(in.prompt.Texts(),
            std::vector<std::string>{
                "Error: Cannot add patch to database:\n" + wrong +
                "\n\nApplied to the ROM it was made for (" + in.db.GetRom(1)->Filename +
                "), the patch does not give what it should: the file it makes has the CRC-32 " +
                CrcText(Crc32("target")) + ", where the patch says " + CrcText(Crc32("tarGet")) +
                ". No emulator would play it correctly."});
  EXPECT_EQ(in.shown.size(), 3u);
}

TEST(PatchInstall, InformationFilesThatAreNotFilesAreRefusedAtOnce) {
  Installer in;
  const std::string fifo = in.dir.File("fifo.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  in.dir.Write("fifo.ips", "PATCHEOF");
  ASSERT_EQ(::symlink("/dev/zero", in.dir.File("zero.dat").c_str()), 0);
  in.dir.Write("zero.ips", "PATCHEOF");
  in.Patch("huge", std::string(1024 * 1024 + 1, '\n'));
  in.Patch("limit", kAllKeys + std::string(1024 * 1024 - kAllKeys.size(), '\n'));
  in.confirm = false;
  // Each would hang, or fill the memory, if it were read as a file.
  for (const char* name : {"fifo", "zero", "huge"}) {
    EXPECT_FALSE(in.Install(in.dir.File(std::string(name) + ".ips"))) << name;
  }
  EXPECT_EQ(in.shown.size(), 3u);
  const std::string tail =
      ").\nYou will have to enter patch information manually in order to "
      "continue.";
  EXPECT_EQ(in.prompt.Texts(),
            (std::vector<std::string>{"Error: Could not read the patch information file " + fifo +
                                          " (not a regular file" + tail,
                                      "Error: Could not read the patch information file " +
                                          in.dir.File("zero.dat") + " (not a regular file" + tail,
                                      "Error: Could not read the patch information file " +
                                          in.dir.File("huge.dat") + " (larger than 1048576 bytes" +
                                          tail}));
  // A patch or ROM that is not a file is refused as one that cannot be opened.
  ASSERT_EQ(::symlink("/dev/zero", in.dir.File("zero.smc").c_str()), 0);
  EXPECT_FALSE(in.db.AddRom(in.dir.File("zero.smc")));
  EXPECT_FALSE(in.Install(fifo));
  EXPECT_EQ(in.prompt.Texts().back(), "Error: Could not open patch file.");
  // Up to the limit it is an information file like any other (blank lines are problems).
  in.prompt.boxes.clear();
  in.confirm = true;
  EXPECT_TRUE(in.Install(in.dir.File("limit.ips")));
  EXPECT_EQ(Fields(*in.db.GetPatch(0)), kAllRead);
}

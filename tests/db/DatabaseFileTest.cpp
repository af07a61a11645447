#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "db/CPatchDB.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

std::unique_ptr<PatchRecord> MakePatch(const std::string& name) {
  auto p = std::make_unique<PatchRecord>();
  p->PatchName = name;
  p->Author = "Author of " + name;
  p->Version = "1.0";
  p->Description = "A description; with a semicolon";
  p->Filename = "/home/user/patches/" + name + ".ips";
  p->RomName = "EARTH BOUND";
  p->RomSize = "24Mbit No header";
  p->RomDigest = "0123456789abcdef0123456789abcdef";
  p->SizeWord = 24;
  return p;
}

std::unique_ptr<RomRecord> MakeRom(const std::string& name, bool forced) {
  auto r = std::make_unique<RomRecord>();
  r->RomName = name;
  r->RomSize = "32Mbit";
  r->Filename = "/home/user/roms/" + name + ".smc";
  r->RomDigest = "fedcba9876543210fedcba9876543210";
  r->ForcedName = forced ? "Forced " + name : "";
  r->UseForcedName = forced;
  r->SizeWord = 288;
  return r;
}

struct Loaded {
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  int result = 0;
  explicit Loaded(const std::string& bytes) {
    TempDir dir;
    result = db.Load(dir.Write("brindle.dat", bytes));
  }
};

}  // namespace

TEST(DatabaseFile, WritesTheCanonicalLayout) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.AppendPatch(MakePatch("Uncut"));
  db.AppendRom(MakeRom("EARTH BOUND", false));
  const std::string expected =
      "[vars]\r\nZSNES=\r\nZSNESVer=\r\nZConfig=\r\nZExecutable=\r\nUseSaveDir=0\r\n"
      "IgnoreHash=0\r\nIgnoreParens=1\r\nAllowEdit=0\r\nRegisterAtStartup=1\r\n"
      "AlwaysOpenGUI=0\r\nWindowBackground=%app%/EarthBound.bmp\r\nGridLines=0\r\nFileIcon=1\r\n"
      "Transition=1\r\nTransSpeed=60\r\n"
      "\r\n\r\n"
      "[patches]\r\n\r\n"
      "; Format: Patch Name|Author|Version|Description|Filename|RomName|RomSize|RomDigest\r\n\r\n"
      "Uncut|Author of Uncut|1.0|A description; with a semicolon|/home/user/patches/Uncut.ips|"
      "EARTH BOUND|24Mbit No header|0123456789abcdef0123456789abcdef\r\n\r\n"
      "\r\n\r\n"
      "[roms]\r\n\r\n"
      "; Format: RomName|RomSize|Filename|RomDigest\r\n\r\n"
      "EARTH BOUND|32Mbit|/home/user/roms/EARTH BOUND.smc|fedcba9876543210fedcba9876543210|"
      "\r\n\r\n";
  TempDir dir;
  ASSERT_TRUE(db.Save(dir.File("brindle.dat")));
  const std::string written = ReadFileBytes(dir.File("brindle.dat"));
  EXPECT_EQ(written, expected);
  // 32 lines, the last one empty and terminated; the patch on line 23, the ROM on line 31.
  size_t lines = 0;
  for (size_t i = 0; i + 1 < written.size(); ++i)
    lines += written.compare(i, 2, "\r\n") == 0;
  EXPECT_EQ(lines, 32u);
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(DatabaseFile, RoundTripKeepsRecordsOrderAndSettings) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (const char* name : {"Zeta", "alpha", "Mid"})
    db.AppendPatch(MakePatch(name));
  db.AppendRom(MakeRom("B GAME", true));
  db.AppendRom(MakeRom("A GAME", false));
  db.GetRom(1)->RomSize = "8Mbit (No header)";
  db.GetRom(1)->SizeWord = 8;
  db.ZSNES = "/opt/zsnes/";
  db.ZExecutable = "wine \"/opt/zsnes/zsnesw.exe\"";
  db.GridLines = true;
  db.TransSpeed = 100;
  ASSERT_TRUE(db.Save(dir.File("brindle.dat")));

  ScriptedPrompt prompt2;
  CPatchDB back(prompt2);
  ASSERT_EQ(back.Load(dir.File("brindle.dat")), 0);
  EXPECT_TRUE(prompt2.boxes.empty());
  ASSERT_EQ(back.GetPatchCount(), 3);
  ASSERT_EQ(back.GetRomCount(), 2);
  for (int i = 0; i < 3; ++i) {
    const PatchRecord& a = *db.GetPatch(i);
    const PatchRecord& b = *back.GetPatch(i);
    EXPECT_EQ(std::tie(a.PatchName, a.Author, a.Version, a.Description, a.Filename, a.RomName,
                       a.RomSize, a.RomDigest, a.SizeWord),
              std::tie(b.PatchName, b.Author, b.Version, b.Description, b.Filename, b.RomName,
                       b.RomSize, b.RomDigest, b.SizeWord));
  }
  for (int i = 0; i < 2; ++i) {
    const RomRecord& a = *db.GetRom(i);
    const RomRecord& b = *back.GetRom(i);
    EXPECT_EQ(std::tie(a.RomName, a.RomSize, a.Filename, a.RomDigest, a.ForcedName, a.UseForcedName,
                       a.SizeWord),
              std::tie(b.RomName, b.RomSize, b.Filename, b.RomDigest, b.ForcedName, b.UseForcedName,
                       b.SizeWord));
  }
  EXPECT_EQ(back.Serialize(), db.Serialize());
}

TEST(DatabaseFile, ReportsEachDamagedLineWithItsNumberAndDropsIt) {
  Loaded l(
      "  ; an indented comment\r\n"
      "Statement=before any label\r\n"
      "[Vars]\r\n"
      "\tTransSpeed = 60\r\n"
      "[no thing]\r\n"
      "\r\n"
      "[PATCHES]\r\n"
      "Only a name\r\n"
      "|||||||\r\n"
      "Name|Au|1|D|/p/a.ips|ROM|-1Mbit|\r\n"
      "[roms]\r\n"
      "|8Mbit||\r\n"
      "ROM|-1Mbit|/r/rom.smc|digest\r\n"
      "[ vars ]\r\n");
  EXPECT_EQ(l.result, 0);
  EXPECT_EQ(l.db.GetPatchCount(), 0);
  EXPECT_EQ(l.db.GetRomCount(), 0);
  const std::vector<std::string> expected = {
      "On line 2:\nStatement=before any label\nStatement occurs outside of valid section label.",
      "On line 4:\n\tTransSpeed = 60\nVariable 'TransSpeed ' not defined.",
      "On line 5:\n[no thing]\nExpression is not a valid assignment. Must be of form 'X=Y', as "
      "required by current section label.",
      "On line 8:\nOnly a name\nPatch entry contains errors:\n\nERROR P02: Patch filename not "
      "specified.\nERROR P03: Target ROM name not specified.\nERROR P04: Target ROM size not "
      "specified.",
      "On line 9:\n|||||||\nPatch entry contains errors:\n\nERROR P01: Patch name not specified."
      "\nERROR P02: Patch filename not specified.\nERROR P03: Target ROM name not specified."
      "\nERROR P04: Target ROM size not specified.",
      "On line 10:\nName|Au|1|D|/p/a.ips|ROM|-1Mbit|\nPatch entry contains errors:\n\nERROR P10: "
      "Target ROM size invalid.",
      "On line 12:\n|8Mbit||\nGame entry contains errors:\n\nERROR G01: Game name not specified."
      "\nERROR G03: ROM filename not specified.\nERROR G04: File digest not specified.",
      "On line 13:\nROM|-1Mbit|/r/rom.smc|digest\nGame entry contains errors:\n\nERROR G10: "
      "Invalid ROM size.",
      // Not a label (blanks inside the brackets): a ROM line with only a name.
      "On line 14:\n vars \nGame entry contains errors:\n\nERROR G02: ROM size not specified."
      "\nERROR G03: ROM filename not specified.\nERROR G04: File digest not specified.",
  };
  ASSERT_EQ(l.prompt.Texts(), expected);
  EXPECT_EQ(l.prompt.boxes[0].title, "Warning!");
  EXPECT_EQ(l.prompt.boxes[0].icon, BoxIcon::Warning);
  for (size_t i = 1; i < l.prompt.boxes.size(); ++i) {
    EXPECT_EQ(l.prompt.boxes[i].title, "Error!");
    EXPECT_EQ(l.prompt.boxes[i].icon, BoxIcon::Error);
  }
}

TEST(DatabaseFile, LabelLikeLinesOutsideASectionQuoteTheChangedText) {
  Loaded l("[ Vars ]\n[Some thing]\n");
  ASSERT_EQ(l.prompt.boxes.size(), 2u);
  EXPECT_EQ(l.prompt.boxes[0].text,
            "On line 1:\n vars \nStatement occurs outside of valid section label.");
  EXPECT_EQ(l.prompt.boxes[1].text,
            "On line 2:\nsome thing\nStatement occurs outside of valid section label.");
}

TEST(DatabaseFile, ReadsEveryKindOfLineEnd) {
  const std::string body[] = {"[roms]",    "A|8Mbit|/r/a.smc|d1|",
                              "",          "B|8Mbit|/r/b.smc|d2|Bee",
                              "[patches]", "P|x|y|z|/p/p.ips|A|8Mbit (No header)|"};
  for (const std::string& end : {std::string("\n"), std::string("\r\n"), std::string("\r")}) {
    for (bool terminated : {true, false}) {
      std::string bytes;
      for (const auto& line : body)
        bytes += line + end;
      if (!terminated)
        bytes.resize(bytes.size() - end.size());
      Loaded l(bytes);
      EXPECT_TRUE(l.prompt.boxes.empty()) << l.prompt.boxes[0].text;
      ASSERT_EQ(l.db.GetRomCount(), 2);
      ASSERT_EQ(l.db.GetPatchCount(), 1);
      EXPECT_EQ(l.db.GetRom(0)->RomName, "A");
      EXPECT_FALSE(l.db.GetRom(0)->UseForcedName);
      EXPECT_EQ(l.db.GetRom(1)->RomName, "B");
      EXPECT_TRUE(l.db.GetRom(1)->UseForcedName);
      EXPECT_EQ(l.db.GetRom(1)->ForcedName, "Bee");
      EXPECT_EQ(l.db.GetPatch(0)->PatchName, "P");
      EXPECT_EQ(l.db.GetPatch(0)->RomSize, "8Mbit No header");
    }
  }
  // Blank lines still count, so numbers stay physical even with bare CR line ends.
  Loaded cr("[roms]\r\r\rbad\r");
  ASSERT_EQ(cr.prompt.boxes.size(), 1u);
  EXPECT_EQ(cr.prompt.boxes[0].text.substr(0, 15), "On line 4:\nbad\n");
  // A byte-order mark from an editor is not part of the first line.
  Loaded marked("\xEF\xBB\xBF[vars]\r\nTransSpeed=12\r\n");
  EXPECT_TRUE(marked.prompt.boxes.empty());
  EXPECT_EQ(marked.db.TransSpeed, 12);
}

// A large file is read a piece at a time: lines that cross from one piece to the next (a CR
// at the very end of a piece among them), a line longer than a piece and damaged lines far into
// the file must read as they do from the whole text at once.
TEST(DatabaseFile, ALargeFileReadsAsItsWholeText) {
  const std::string ends[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
  std::string bytes = "\xEF\xBB\xBF[patches]\r\n";
  std::mt19937 random(7);
  auto addPatch = [&](size_t i) {
    bytes += "Patch " + std::to_string(i) + "|Author|1.0|" + std::string(random() % 120, 'd') +
             "|/p/" + std::to_string(i) + ".ips|ROM|24Mbit No header|abc" + ends[random() % 4];
  };
  for (size_t i = 0; bytes.size() < 256 * 1024 - 200; ++i)
    addPatch(i);
  // The CR of this line is the last byte of the first 256 KiB, its LF the first of the next.
  const std::string edgeEnd = "|/p/edge.ips|ROM|8Mbit";
  bytes += "Edge|A|1|";
  bytes += std::string(256 * 1024 - 1 - bytes.size() - edgeEnd.size(), 'e');
  bytes += edgeEnd + "\r\n";
  bytes += "Long|A|1|" + std::string(700 * 1024, 'l') + "|/p/long.ips|ROM|8Mbit|\n";
  for (size_t i = 0; bytes.size() < 2 * 1024 * 1024; ++i) {
    addPatch(100000 + i);
    if (i % 997 == 0)
      bytes += "damaged line " + std::to_string(i) + "\r\n";
  }
  bytes += "[vars]\nUnknown=1\nTransSpeed=30\n[roms]\nR|8Mbit|/r/r.smc";
  ASSERT_EQ(bytes[256 * 1024 - 1], '\r');

  Loaded fromFile(bytes);
  const LineContext fileModuleContext = ModuleLineContext();
  ScriptedPrompt prompt;
  CPatchDB whole(prompt);
  whole.LoadBytes(bytes);
  EXPECT_EQ(fromFile.result, 0);
  EXPECT_GT(fromFile.db.GetPatchCount(), 10000);
  EXPECT_EQ(fromFile.db.Serialize(), whole.Serialize());
  EXPECT_EQ(fromFile.prompt.Texts(), prompt.Texts());
  EXPECT_GT(prompt.boxes.size(), 3u);
  EXPECT_EQ(fromFile.db.GetLineContext().number, whole.GetLineContext().number);
  EXPECT_EQ(fromFile.db.GetLineContext().text, "R|8Mbit|/r/r.smc");
  EXPECT_EQ(fileModuleContext.number, ModuleLineContext().number);
  EXPECT_EQ(fileModuleContext.text, "R|8Mbit|/r/r.smc");
  EXPECT_EQ(fromFile.db.TransSpeed, 30);
}

// Past its first megabyte a store takes large pieces, made ahead: a text longer than such a piece
// among many records, and every record after it, read whole.
TEST(DatabaseFile, TextsLongerThanAPieceAmongManyRecordsReadWhole) {
  std::string bytes = "[patches]\n";
  const std::string longText(5 * 1024 * 1024 + 123, 'x');
  for (int i = 0; i < 60000; ++i) {
    const std::string number = std::to_string(i);
    bytes.append("P").append(number).append("|A|1|").append(i == 30000 ? longText : "d");
    bytes.append("|/p/").append(number).append(".ips|ROM|8Mbit|\n");
  }
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.LoadBytes(bytes);
  ASSERT_EQ(db.GetPatchCount(), 60000);
  EXPECT_EQ(db.GetPatch(30000)->Description, longText);
  EXPECT_EQ(db.GetPatch(30001)->PatchName, "P30001");
  EXPECT_EQ(db.GetPatch(59999)->Filename, "/p/59999.ips");
}

TEST(DatabaseFile, FieldsAreTrimmedAndSizeTextsRewritten) {
  Loaded l(
      "[patches]\n"
      " \tName  with  blanks\t| A |1.0||/p/x.ips|ROM (J)| 24Mbit (No header) |abc\n"
      "Three|A|1||/p/y.ips|ROM|128Mbit|\n"
      "Header|A|1||/p/z.ips|ROM|32Mbit|d|extra|fields\n"
      "[roms]\n"
      "R1|64Mbit|/r/1.smc|d1\n"
      "R2|8mbit NO HEADER|/r/2.smc|d2|\n"
      "R3|24Mbit No header|/r/3.smc|d3\n");
  EXPECT_TRUE(l.prompt.boxes.empty());
  ASSERT_EQ(l.db.GetPatchCount(), 3);
  const PatchRecord& p = *l.db.GetPatch(0);
  EXPECT_EQ(p.PatchName, "Name  with  blanks");
  EXPECT_EQ(p.Author, "A");
  EXPECT_EQ(p.RomName, "ROM (J)");
  EXPECT_EQ(p.RomSize, "24Mbit No header");
  EXPECT_EQ(p.SizeWord, 24);
  EXPECT_EQ(l.db.GetPatch(1)->RomSize, "12Mbit");
  EXPECT_EQ(l.db.GetPatch(1)->SizeWord, 12 | 256);
  EXPECT_EQ(l.db.GetPatch(2)->RomDigest, "d");
  ASSERT_EQ(l.db.GetRomCount(), 3);
  EXPECT_EQ(l.db.GetRom(0)->RomSize, "64Mbit");
  EXPECT_EQ(l.db.GetRom(0)->SizeWord, 320);
  EXPECT_EQ(l.db.GetRom(1)->RomSize, "8Mbit (No header)");
  EXPECT_EQ(l.db.GetRom(1)->SizeWord, 8);
  // The same size word as the first patch's, in the ROMs' own form.
  EXPECT_EQ(l.db.GetRom(2)->RomSize, "24Mbit (No header)");
}

TEST(DatabaseFile, ParseRomSize) {
  EXPECT_EQ(CPatchDB::ParseRomSize(""), -1);
  EXPECT_EQ(CPatchDB::ParseRomSize("32Mbit"), 288);
  EXPECT_EQ(CPatchDB::ParseRomSize("32Mbit (No header)"), 32);
  EXPECT_EQ(CPatchDB::ParseRomSize("32Mbit No header"), 32);
  EXPECT_EQ(CPatchDB::ParseRomSize("8Mbit"), 264);
  EXPECT_EQ(CPatchDB::ParseRomSize("NO HEADER"), 0);
  EXPECT_EQ(CPatchDB::ParseRomSize("Mbit"), 256);
  EXPECT_EQ(CPatchDB::ParseRomSize("64Mbit"), 320);
  EXPECT_EQ(CPatchDB::ParseRomSize("8Mbit (No header)"), 8);
  EXPECT_EQ(CPatchDB::ParseRomSize("128Mbit"), 12 | 256);
  EXPECT_EQ(CPatchDB::ParseRomSize("-5Mbit No header"), -1);
  EXPECT_EQ(CPatchDB::ParseRomSize("+5Mbit"), 5 | 256);
}

TEST(DatabaseFile, TextTheFormatCannotHoldReadsBackAsOneRecord) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  auto patch = MakePatch("Fire|Ice");
  patch->Description = "Line one\r\nLine two|three";
  patch->Author = "A\nB";
  patch->Filename = "/home/user/patches/fire.ips";
  db.AppendPatch(std::move(patch));
  db.AppendPatch(MakePatch(" \t;Comment-like"));
  auto label = MakePatch("[Label-like");
  label->RomDigest = "digest]";
  db.AppendPatch(std::move(label));
  auto rom = MakeRom("NAME", true);
  rom->ForcedName = "Forced|name";
  db.AppendRom(std::move(rom));
  rom = MakeRom("[BRACKETS", true);
  rom->ForcedName = "Forced [J] ";
  db.AppendRom(std::move(rom));
  db.AppendRom(MakeRom("[KEPT]", false));
  db.AppendRom(MakeRom(";NOTE", false));
  ASSERT_TRUE(db.Save(dir.File("brindle.dat")));

  ScriptedPrompt prompt2;
  CPatchDB back(prompt2);
  ASSERT_EQ(back.Load(dir.File("brindle.dat")), 0);
  EXPECT_TRUE(prompt2.boxes.empty());
  ASSERT_EQ(back.GetPatchCount(), 3);
  EXPECT_EQ(back.GetPatch(0)->PatchName, "Fire/Ice");
  EXPECT_EQ(back.GetPatch(0)->Author, "A B");
  EXPECT_EQ(back.GetPatch(0)->Description, "Line one  Line two/three");
  EXPECT_EQ(back.GetPatch(0)->Filename, "/home/user/patches/fire.ips");
  EXPECT_EQ(back.GetPatch(0)->RomDigest, "0123456789abcdef0123456789abcdef");
  // A first character that would make the line a comment or a section label is written as "_".
  EXPECT_EQ(back.GetPatch(1)->PatchName, "_Comment-like");
  EXPECT_EQ(back.GetPatch(2)->PatchName, "_Label-like");
  EXPECT_EQ(back.GetPatch(2)->RomDigest, "digest]");
  ASSERT_EQ(back.GetRomCount(), 4);
  EXPECT_EQ(back.GetRom(0)->ForcedName, "Forced/name");
  EXPECT_EQ(back.GetRom(1)->RomName, "_BRACKETS");
  EXPECT_EQ(back.GetRom(1)->Filename, "/home/user/roms/[BRACKETS.smc");
  EXPECT_EQ(back.GetRom(1)->ForcedName, "Forced [J]");
  EXPECT_EQ(back.GetRom(2)->RomName, "[KEPT]");  // its line ends with "|"
  EXPECT_EQ(back.GetRom(3)->RomName, "_NOTE");
}

TEST(DatabaseFile, MissingFileIsAFirstRunButAnUnreadableOneIsFatal) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  EXPECT_EQ(db.Load(dir.File("brindle.dat")), 1);
  std::filesystem::create_directory(dir.File("folder.dat"));
  EXPECT_EQ(db.Load(dir.File("folder.dat")), -1);
  if (::geteuid() != 0) {  // root reads files whatever their mode says
    const std::string path = dir.Write("locked.dat", "[vars]\r\n");
    ::chmod(path.c_str(), 0);
    EXPECT_EQ(db.Load(path), -1);
  }
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(DatabaseFile, FailedSaveLeavesTheOldFileByteForByte) {
  TempDir dir;
  const std::string old = "[vars]\r\nTransSpeed=12\r\n; the user's precious file\r\n";
  const std::string path = dir.Write("db/brindle.dat", old);
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (int i = 0; i < 200; ++i)
    db.AppendPatch(MakePatch("Patch " + std::to_string(i)));

  // A disk that fills up in the middle of writing.
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  auto previous = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ok = db.Save(path);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(ReadFileBytes(path), old);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  // The reason is the system's own text.
  EXPECT_TRUE(prompt.boxes[0].text.starts_with("Error: Could not write configuration file.\n\n"))
      << prompt.boxes[0].text;
  EXPECT_TRUE(prompt.boxes[0].text.ends_with(": File too large")) << prompt.boxes[0].text;
  EXPECT_EQ(prompt.boxes[0].title, "Brindle");
  EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::None);
  EXPECT_EQ(prompt.boxes[0].buttons, BoxButtons::Ok);
  EXPECT_EQ(std::filesystem::directory_iterator(dir.File("db"))->path().filename(),
            "brindle.dat");  // no temporary file left behind

  // A file its user made read-only, in a folder we may write to, and a folder we may not write to.
  ::chmod(path.c_str(), 0444);
  prompt.boxes.clear();
  const auto refused = [&] {
    return !db.Save(path) && prompt.boxes.size() == 1 &&
           prompt.boxes[0].text.starts_with("Error: Could not write configuration file.\n\n") &&
           prompt.boxes[0].text.ends_with(": Permission denied");
  };
  EXPECT_EQ(AsOrdinaryUser(dir.Path(), [&] { return refused() ? 0 : 1; }), 0);
  EXPECT_EQ(ReadFileBytes(path), old);
  ::chmod(path.c_str(), 0644);
  ::chmod(dir.File("db").c_str(), 0555);
  prompt.boxes.clear();
  EXPECT_EQ(AsOrdinaryUser(dir.Path(), [&] { return refused() ? 0 : 1; }), 0);
  EXPECT_EQ(ReadFileBytes(path), old);
}

TEST(DatabaseFile, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (int i = 0; i < 2000; ++i)
    db.AppendPatch(MakePatch("Patch " + std::to_string(i)));
  const std::string newBytes = db.Serialize();
  const std::string oldBytes = "[vars]\r\nTransSpeed=12\r\n; the user's precious file\r\n";
  const std::string path = dir.File("brindle.dat");
  const auto startSave = [&] {
    TempDir::WriteTo(path, oldBytes);
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(db.Save(path) ? 0 : 1);
    return child;
  };

  // One whole save, to know over how long a time to spread the kills.
  const auto start = std::chrono::steady_clock::now();
  const pid_t first = startSave();
  int status = -1;
  ASSERT_EQ(::waitpid(first, &status, 0), first);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(ReadFileBytes(path), newBytes);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> delay(0, took.count() * 3 / 2);
  int oldSeen = 0;
  for (int round = 0; round < 100; ++round) {
    const pid_t child = startSave();
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string now = ReadFileBytes(path);
    ASSERT_TRUE(now == oldBytes || now == newBytes)
        << "round " << round << " (seed " << seed << "): " << now.size() << " bytes";
    oldSeen += now == oldBytes;
  }
  std::printf("A save takes %ld us; 100 kills left the old file %d times\n",
              static_cast<long>(took.count()), oldSeen);
}

TEST(DatabaseFile, SaveReplacesTheTargetOfALinkAndKeepsItsMode) {
  TempDir dir;
  const std::string real = dir.Write("real/brindle.dat", "old");
  ::chmod(real.c_str(), 0640);
  std::filesystem::create_symlink(real, dir.File("link.dat"));
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  ASSERT_TRUE(db.Save(dir.File("link.dat")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.dat")));
  EXPECT_EQ(ReadFileBytes(real), db.Serialize());
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(DatabaseRecords, RemovalKeepsPointersAndOrder) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (const char* name : {"a", "b", "c"})
    db.AppendPatch(MakePatch(name));
  PatchRecord* b = db.GetPatch(1);
  db.RemovePatch(-1);
  db.RemovePatch(3);
  EXPECT_EQ(db.GetPatchCount(), 3);
  db.RemovePatch(0);
  EXPECT_EQ(db.GetPatch(0), b);
  EXPECT_EQ(db.GetPatch(0)->PatchName, "b");
  EXPECT_EQ(db.GetPatch(2), nullptr);
  EXPECT_EQ(db.GetPatch(-1), nullptr);
  EXPECT_EQ(db.FindPatch("/home/user/patches/c.ips"), 1);
  EXPECT_EQ(db.FindPatch("/home/user/patches/a.ips"), -1);

  db.AppendRom(MakeRom("X", false));
  db.AppendRom(MakeRom("Y", false));
  db.RemoveRom(0);
  EXPECT_EQ(db.GetRom(0)->RomName, "Y");
  EXPECT_EQ(db.GetRomCount(), 1);
}

// A later version's sections come back where they were, line for line; patch sets round-trip,
// fields this version does not know included; a damaged set is reported at its Set= line.
TEST(DatabaseFile, KeepsPatchSetsAndSectionsItDoesNotKnow) {
  const std::string future =
      "[future]\r\n"
      "; its own comment\r\n"
      "\r\n"
      "  Thing|Other|8Mbit|x\r\n";  // would be a ROM line if it were read
  const std::string set =
      "Set=Uncut + Fix\r\n"
      "Author=Me\r\n"
      "Version=2\r\n"
      "Description=Both, in order\r\n"
      "RomName=EARTH BOUND\r\n"
      "RomSize=24Mbit No header\r\n"
      "RomDigest=0123456789abcdef0123456789abcdef\r\n"
      "Patch=/home/user/patches/Uncut.ips\r\n"
      "Patch=/home/user/patches/Fix.ips\r\n"
      "Mode=later\r\n";
  const std::string bytes = "[vars]\r\nTransSpeed=30\r\n\r\n\r\n[patches]\r\n" + future +
                            "\r\n\r\n[roms]\r\n\r\n[SETS]\r\n" + set + "[later]\r\nx=1\r\n";
  Loaded l(bytes);
  ASSERT_TRUE(l.prompt.boxes.empty()) << l.prompt.boxes[0].text;
  EXPECT_EQ(l.db.GetRomCount(), 0);
  ASSERT_EQ(l.db.GetSetCount(), 1);
  const PatchSetRecord& read = *l.db.GetSet(0);
  EXPECT_EQ(read.SetName, "Uncut + Fix");
  EXPECT_EQ(read.Description, "Both, in order");
  EXPECT_EQ(read.SizeWord, 24);
  EXPECT_EQ(read.Patches, (std::vector<std::string>{"/home/user/patches/Uncut.ips",
                                                    "/home/user/patches/Fix.ips"}));
  EXPECT_EQ(l.db.SetsUsingPatch("/home/user/patches/Fix.ips"),
            std::vector<std::string>{"Uncut + Fix"});

  const std::string written = l.db.Serialize();
  const size_t futureAt = written.find(future + "\r\n\r\n[roms]\r\n");
  const size_t setAt = written.find("[sets]\r\n");
  const size_t laterAt = written.find("[later]\r\nx=1\r\n");
  EXPECT_LT(written.find("[patches]"), futureAt);
  EXPECT_LT(futureAt, setAt);
  EXPECT_LT(setAt, laterAt);
  EXPECT_NE(written.find(set + "\r\n"), std::string::npos);
  Loaded again(written);
  EXPECT_TRUE(again.prompt.boxes.empty());
  EXPECT_EQ(*again.db.GetSet(0), read);
  EXPECT_EQ(again.db.Serialize(), written);

  Loaded damaged(
      "[sets]\r\n"
      "Author=nobody\r\n"
      "Set=One\r\n"
      "Patch=/p/a.ips\r\n"
      "RomName=R\r\n" +
      set + set);
  EXPECT_EQ(damaged.db.GetSetCount(), 1);
  const std::vector<std::string> expected = {
      "On line 2:\nAuthor=nobody\nPatch set entry contains errors:\n\nERROR S08: Field outside "
      "of a patch set. A set begins with its Set= line.",
      "On line 3:\nSet=One\nPatch set entry contains errors:\n\nERROR S02: A patch set holds 2 "
      "to 10 patches.\nERROR S04: Target ROM size not specified.",
      "On line 16:\nSet=Uncut + Fix\nPatch set entry contains errors:\n\nERROR S06: Another "
      "patch set has this name.",
  };
  EXPECT_EQ(damaged.prompt.Texts(), expected);
}

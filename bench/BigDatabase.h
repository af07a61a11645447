#pragma once

// A brindle.dat as a large collection makes it: 100,000 patches and 10,000 ROMs (or as many as
// asked), written by the database itself, with made-up but varied names.
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "BenchWords.h"
#include "db/CPatchDB.h"

namespace bench {

class SilentPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest&) override { return BoxAnswer::Ok; }
};

// The settings of both databases a benchmark compares: no animation, no registration, no
// background picture, an emulator set up.
inline void SetBenchSettings(CPatchDB& db) {
  db.SetDefaults();
  db.ZSNES = "/opt/zsnes/";
  db.Transition = 0;
  db.RegisterAtStartup = false;
  db.WindowBackground.clear();
}

inline void FillBigDatabase(CPatchDB& db, int patches, int roms) {
  using bench::kAuthors;
  using bench::kWords;
  std::mt19937 random(20261207);
  auto word = [&]() { return std::string(kWords[random() % std::size(kWords)]); };
  auto digest = [&]() {
    std::string text;
    for (int nibble = 0; nibble < 32; ++nibble)
      text += "0123456789abcdef"[random() % 16];
    return text;
  };
  for (int i = 0; i < roms; ++i) {
    auto r = std::make_unique<RomRecord>();
    r->RomName = word() + " " + word() + " " + std::to_string(i);
    r->SizeWord = (i % 2) ? 24 | 256 : 24;
    r->RomSize = (i % 2) ? "24Mbit" : "24Mbit No header";
    r->Filename = "/home/player/snes/roms/" + r->RomName + ".smc";
    r->RomDigest = digest();
    db.AppendRom(std::move(r));
  }
  for (int i = 0; i < patches; ++i) {
    auto p = std::make_unique<PatchRecord>();
    const RomRecord& target = *db.GetRom(roms > 0 ? i % roms : 0);
    p->PatchName = word() + " " + word() + " " + word() + " v" + std::to_string(random() % 10);
    p->Author = kAuthors[random() % std::size(kAuthors)];
    p->Version = "1." + std::to_string(i % 10);
    p->Description = "A translation of " + target.RomName + " with a new script";
    p->Filename = "/home/player/snes/patches/" + std::to_string(i) + "/" + p->PatchName + ".ips";
    p->RomName = target.RomName;
    p->RomSize = target.RomSize;
    p->SizeWord = target.SizeWord;
    p->RomDigest = digest();
    db.AppendPatch(std::move(p));
  }
}

/// Writes a database of `patches` patches and `roms` ROMs to `path`; false when it could not.
inline bool WriteBigDatabase(const std::string& path, int patches, int roms) {
  SilentPrompt prompt;
  CPatchDB db(prompt);
  SetBenchSettings(db);
  FillBigDatabase(db, patches, roms);
  return db.Save(path);
}

}  // namespace bench

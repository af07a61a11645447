// brindle.dat's reader and writer. Any bytes are read without harm; what the database then holds
// is written and read back without a message, as the same settings and the same records (changed
// only where the file cannot hold a text as it is), and writing that again changes nothing. The
// same holds for records made from arbitrary field texts, as the dialogs could fill them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>

#include "FuzzSupport.h"
#include "db/CPatchDB.h"
#include "db/SizeWord.h"
#include "parser/TextUtil.h"

namespace {

// A field as the writer stores it and the reader returns it: "|" becomes "/", line breaks
// become blanks, and blanks and tabs around it are lost.
std::string Stored(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '|')
      c = '/';
    else if (c == '\r' || c == '\n')
      c = ' ';
  }
  return TrimBlanks(out);
}

// A line's first field may not make the line a comment or a section label.
std::string StoredFirst(const std::string& text, const std::string& storedLastField) {
  std::string out = Stored(text);
  const bool labelLike =
      !out.empty() && out[0] == '[' && !storedLastField.empty() && storedLastField.back() == ']';
  if (!out.empty() && (out[0] == ';' || labelLike))
    out[0] = '_';
  return out;
}

PatchRecord AsStored(PatchRecord p) {
  for (FieldText* field :
       {&p.Author, &p.Version, &p.Description, &p.Filename, &p.RomName, &p.RomDigest})
    *field = Stored(*field);
  p.PatchName = StoredFirst(p.PatchName, p.RomDigest);
  return p;
}

RomRecord AsStored(RomRecord r) {
  r.Filename = Stored(r.Filename);
  r.RomDigest = Stored(r.RomDigest);
  r.ForcedName = r.UseForcedName ? Stored(r.ForcedName) : std::string();
  r.UseForcedName = !r.ForcedName.empty();
  r.RomName = StoredFirst(r.RomName, r.ForcedName);
  return r;
}

auto Fields(const PatchRecord& p) {
  return std::tie(p.PatchName, p.Author, p.Version, p.Description, p.Filename, p.RomName, p.RomSize,
                  p.RomDigest, p.SizeWord);
}

auto Fields(const RomRecord& r) {
  return std::tie(r.RomName, r.RomSize, r.Filename, r.RomDigest, r.ForcedName, r.UseForcedName,
                  r.SizeWord);
}

std::string Text(const std::string& text) {
  return text;
}
std::string Text(int32_t number) {
  return std::to_string(number);
}
std::string Text(bool flag) {
  return flag ? "true" : "false";
}

// Two records field by field, for the report of a broken property.
template <typename Record>
std::string Describe(const Record& expected, const Record& back) {
  std::string text;
  const auto add = [&](const auto&... fields) {
    ((text += "[" + Text(fields) + "] "), ...);
    text += "\n";
  };
  std::apply(add, Fields(expected));
  std::apply(add, Fields(back));
  return text;
}

std::string Settings(CPatchDB& db) {
  std::string text;
  db.Variables().WriteVariables(text);
  return text;
}

// Writes `db` and reads it back; then the same with what was read back, where in the end writing
// must give the very bytes that were read.
void RequireRoundTrip(CPatchDB& db, bool again = true) {
  const std::string written = db.Serialize();
  CountingPrompt backPrompt;
  CPatchDB back(backPrompt);
  back.LoadBytes(written);
  Require(backPrompt.count == 0, "what we wrote reads back without a message",
          [&] { return backPrompt.last + "\n----\n" + written; });
  Require(back.GetPatchCount() == db.GetPatchCount() && back.GetRomCount() == db.GetRomCount(),
          "what we wrote reads back with every record", [&] { return written; });
  for (int i = 0; i < db.GetPatchCount(); ++i) {
    const PatchRecord expected = AsStored(*db.GetPatch(i));
    Require(Fields(expected) == Fields(*back.GetPatch(i)), "same patch",
            [&] { return Describe(expected, *back.GetPatch(i)) + written; });
  }
  for (int i = 0; i < db.GetRomCount(); ++i) {
    const RomRecord expected = AsStored(*db.GetRom(i));
    Require(Fields(expected) == Fields(*back.GetRom(i)), "same ROM",
            [&] { return Describe(expected, *back.GetRom(i)) + written; });
  }
  Require(back.GetSetCount() == db.GetSetCount() &&
              back.KeptSections().size() == db.KeptSections().size(),
          "what we wrote reads back with every patch set and kept section",
          [&] { return written; });
  Require(Settings(back) == Settings(db), "what we wrote reads back with the same settings",
          [&] { return written; });
  if (again) {
    RequireRoundTrip(back, false);
    return;
  }
  const std::string rewritten = back.Serialize();
  Require(rewritten == written, "writing what we read gives the same bytes",
          [&] { return written + "----\n" + rewritten; });
}

// A path the database can keep: adding refuses any other.
std::string StorablePath(FuzzedDataProvider& input) {
  std::string path = "/" + input.ConsumeRandomLengthString(64);
  for (char& c : path) {
    if (c == '|' || c == '\r' || c == '\n')
      c = '_';
  }
  if (path.back() == ' ' || path.back() == '\t')
    path.back() = '_';
  return path;
}

int32_t SizeWord(FuzzedDataProvider& input) {
  return input.ConsumeIntegralInRange<int32_t>(0, 99) | (input.ConsumeBool() ? kHeaderFlag : 0);
}

// One patch and one ROM from the input; false when a required field would be empty.
bool MakeRecords(FuzzedDataProvider& input, PatchRecord& patch, RomRecord& rom) {
  patch.PatchName = input.ConsumeRandomLengthString(40);
  patch.Author = input.ConsumeRandomLengthString(40);
  patch.Version = input.ConsumeRandomLengthString(40);
  patch.Description = input.ConsumeRandomLengthString(80);
  patch.Filename = StorablePath(input);
  patch.RomName = input.ConsumeRandomLengthString(24);
  patch.SizeWord = SizeWord(input);
  patch.RomSize = FormatSizeText(patch.SizeWord, " No header");
  patch.RomDigest = input.ConsumeRandomLengthString(40);
  rom.RomName = input.ConsumeRandomLengthString(24);
  rom.SizeWord = SizeWord(input);
  rom.RomSize = FormatSizeText(rom.SizeWord, " (No header)");
  rom.Filename = StorablePath(input);
  rom.RomDigest = input.ConsumeRandomLengthString(40);
  rom.ForcedName = input.ConsumeRandomLengthString(24);
  rom.UseForcedName = input.ConsumeBool();
  return !Stored(patch.PatchName).empty() && !Stored(patch.RomName).empty() &&
         !Stored(rom.RomName).empty() && !Stored(rom.RomDigest).empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CountingPrompt prompt;
  CPatchDB read(prompt);
  read.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  RequireRoundTrip(read);

  FuzzedDataProvider input(data, size);
  auto patch = std::make_unique<PatchRecord>();
  auto rom = std::make_unique<RomRecord>();
  if (MakeRecords(input, *patch, *rom)) {
    CPatchDB made(prompt);
    made.AppendPatch(std::move(patch));
    made.AppendRom(std::move(rom));
    RequireRoundTrip(made);
  }
  return 0;
}

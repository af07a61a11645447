// The play journal's reader: any bytes are read without harm, and a journal that reads back is
// written out again as the same journal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "play/CPlayJournal.h"

namespace {

bool SameJournal(const CPlayJournal& a, const CPlayJournal& b) {
  return a.Player == b.Player && a.Ended == b.Ended && a.Steps == b.Steps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CPlayJournal journal;
  if (!journal.Parse(bytes))
    return 0;
  const std::string written = journal.Serialize();
  CPlayJournal back;
  Require(back.Parse(written), "a journal we wrote reads back", [&] { return written; });
  Require(SameJournal(journal, back), "a journal reads back with the same values",
          [&] { return written; });
  Require(back.Serialize() == written, "writing a journal again gives the same bytes",
          [&] { return written; });
  return 0;
}

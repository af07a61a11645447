#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "db/FieldText.h"

/// The records a database read from its file and the texts of their fields, held in large
/// pieces: one allocation for many records and fields, rather than one each. Nothing is freed
/// before the store is destroyed, so the records made here and those that borrow its texts must
/// not outlive it (the database destroys its records first).
class CFieldStore final {
 public:
  CFieldStore() = default;
  CFieldStore(const CFieldStore&) = delete;
  CFieldStore& operator=(const CFieldStore&) = delete;

  /// Makes `field` a copy of `text` lent from here (empty for an empty text). Fields are filled
  /// in place: moving a lent field makes a text of its own.
  void Lend(FieldText& field, std::string_view text);

  /// A new record made here; Discard destroys it.
  template <class Record>
  Record* Make() {
    return new (Place(m_records, sizeof(Record), alignof(Record))) Record();
  }
  /// Destroys a record: one made here is only destroyed, any other one deleted.
  template <class Record>
  void Discard(Record* record) {
    if (Holds(record))
      record->~Record();
    else
      delete record;
  }

  /// The kinds of text that repeat from record to record in a collection: many patches share an
  /// author, a version, a ROM.
  enum class Repeated { Author, Version, RomName, Count };
  /// Lend, sharing the bytes of an equal text of the same kind lent recently.
  void LendRepeated(FieldText& field, std::string_view text, Repeated kind);
  /// Starts looking for `text` among the texts of its kind, for the LendRepeated of it to come
  /// (a large table is slow to reach; the lines of a record can be split meanwhile).
  void Expect(std::string_view text, Repeated kind);
  /// Lets go of what LendRepeated and LendNamed remember, and gives back the memory made ahead
  /// for texts and records to come; the texts stay.
  void FinishReading();

  /// Lend the text `make()` gives for `name`, made and held once for each name lent recently: for
  /// a text a number stands for, as a ROM size's text is given by its size word.
  template <class Make>
  void LendNamed(FieldText& field, uint64_t name, Make make) {
    field.clear();
    Named& slot = m_named[(name * 0x9E3779B97F4A7C15ULL) >> 58];
    if (slot.block == nullptr || slot.name != name) {
      const auto text = make();
      slot = {name, text.empty() ? nullptr : Put(text)};
    }
    field.m_block = slot.block;
  }

  /// Lends each field of `fields` its text, all in one stretch of a piece: the fields of one
  /// record that are seldom shared.
  template <size_t N>
  void LendEach(const std::pair<FieldText*, std::string_view> (&fields)[N]) {
    size_t size = 0;
    for (const auto& [field, text] : fields)
      size += text.empty() ? 0 : FieldText::BlockSize(text.size());
    unsigned char* out = size == 0 ? nullptr : Place(m_texts, size, 1);
    for (const auto& [field, text] : fields) {
      field->clear();
      if (!text.empty()) {
        field->m_block = out;
        out = FieldText::WriteBlock(out, text, false);
      }
    }
  }

 private:
  // The first piece for texts and the first for records hold a small collection; their pages are
  // made as they are touched. Later ones are a large collection's: a large page of the processor
  // each, on its boundary, made a stretch ahead of use (what is left unused is given back when
  // reading ends). A text longer than a piece gets one of its own.
  static constexpr size_t kFirstPieceSize = 1 << 20;
  static constexpr size_t kLargePage = 2 << 20;
  static constexpr size_t kPage = 4096;
  static constexpr size_t kReadyStep = 64 << 10;
  static unsigned char* MapPiece(size_t size, bool large);

  // Mapped from the system rather than taken from the heap: pages are only counted once
  // touched, and go back to the system with the store.
  struct Unmap {
    size_t size;
    void operator()(unsigned char* bytes) const;
  };
  struct Piece {
    std::unique_ptr<unsigned char[], Unmap> bytes;
    size_t size;
  };
  std::vector<Piece> m_pieces;
  // A text lent by LendRepeated, with a copy of a short one (as ROM names are), so that telling
  // whether it is the one looked up reads this slot alone, one line of the processor's cache.
  struct alignas(64) Recent {
    size_t hash = 0;
    const unsigned char* block = nullptr;
    uint8_t size = 0;
    char text[47];

    bool Holds(size_t textHash, std::string_view text) const;
  };
  /// The block of a copy of `text` (not empty) held here.
  const unsigned char* Put(std::string_view text);
  /// Room for `size` bytes aligned to `align`.
  // Where the next bytes go in the last piece taken for texts or for records (kept apart, so
  // that records need no room to align them).
  struct Cursor {
    unsigned char* next = nullptr;
    size_t room = 0;
    unsigned char* ready = nullptr;  // made up to here; null where pages are made as touched
    size_t pieces = 0;               // taken so far
  };
  static unsigned char* PageStart(unsigned char* p) {
    return reinterpret_cast<unsigned char*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t{kPage - 1});
  }
  unsigned char* Place(Cursor& cursor, size_t size, size_t align);
  /// Gives back the pages of the cursor's piece past what it has used.
  static void ReleaseUnused(Cursor& cursor);
  /// Whether `p` points into a piece.
  bool Holds(const void* p) const;

  // For each kind of repeated text, the last one lent in each slot a text's hash picks.
  std::vector<Recent> m_recent[static_cast<size_t>(Repeated::Count)];
  struct Expected {
    const char* text = nullptr;
    size_t size = 0;
    size_t hash = 0;
  };
  Expected m_expected[static_cast<size_t>(Repeated::Count)];  // the last text Expect was told of
  struct Named {
    uint64_t name = 0;
    const unsigned char* block = nullptr;
  };
  Named m_named[64];
  std::vector<Recent>& Table(Repeated kind);
  size_t HashOf(std::string_view text, Repeated kind);
  Cursor m_texts;
  Cursor m_records;
};

#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "db/FieldText.h"

/// The texts of the fields a database read from its file, held in large pieces for its records
/// to borrow: one allocation for many fields, rather than one a field. Texts are only added;
/// they stay until the store is destroyed, so the records that borrow them must not outlive it
/// (the database destroys its records first).
class CFieldStore final {
 public:
  CFieldStore() = default;
  CFieldStore(const CFieldStore&) = delete;
  CFieldStore& operator=(const CFieldStore&) = delete;

  /// Makes `field` a copy of `text` lent from here (empty for an empty text). Fields are filled
  /// in place: moving a lent field makes a text of its own.
  void Lend(FieldText& field, std::string_view text);

 private:
  // Pieces are large enough for a piece of a file's fields; a longer text gets one of its own.
  static constexpr size_t kPieceSize = 1 << 20;

  std::vector<std::unique_ptr<unsigned char[]>> m_pieces;
  unsigned char* m_next = nullptr;
  size_t m_room = 0;
};

#include "db/CFieldStore.h"

#include <algorithm>

void CFieldStore::Lend(FieldText& field, std::string_view text) {
  field.clear();
  if (text.empty())
    return;
  const size_t size = FieldText::BlockSize(text.size());
  if (size > m_room) {
    // The rest of the last piece is left unused; its pages are never touched.
    const size_t pieceSize = std::max(kPieceSize, size);
    m_pieces.push_back(std::make_unique_for_overwrite<unsigned char[]>(pieceSize));
    m_next = m_pieces.back().get();
    m_room = pieceSize;
  }
  field.m_block = m_next;
  m_next = FieldText::WriteBlock(m_next, text, false);
  m_room -= size;
}

namespace {

// Slots remembered for each kind of repeated text: about the number of different ones a large
// collection has (a few sizes; some thousands of ROMs). Each kind is looked up at most once a
// record, in a table that stays in the processor's caches.
constexpr size_t kRecentSlots[] = {1 << 12, 1 << 8, 1 << 14, 1 << 6, 1 << 14};

}  // namespace

void CFieldStore::LendRepeated(FieldText& field, std::string_view text, Repeated kind) {
  if (text.empty()) {
    field.clear();
    return;
  }
  const auto k = static_cast<size_t>(kind);
  std::vector<const unsigned char*>& recent = m_recent[k];
  if (recent.empty())
    recent.assign(kRecentSlots[k], nullptr);
  const unsigned char*& slot = recent[std::hash<std::string_view>()(text) & (recent.size() - 1)];
  if (slot != nullptr) {
    field.clear();
    field.m_block = slot;
    if (field.view() == text)
      return;
  }
  Lend(field, text);
  slot = field.m_block;
}

void CFieldStore::ForgetRepeated() {
  for (auto& recent : m_recent)
    std::vector<const unsigned char*>().swap(recent);
}

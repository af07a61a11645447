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

#include "db/CFieldStore.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>

void CFieldStore::Unmap::operator()(unsigned char* bytes) const {
  munmap(bytes, size);
}

unsigned char* CFieldStore::Place(size_t size, size_t align) {
  size_t pad = (align - reinterpret_cast<uintptr_t>(m_next) % align) % align;
  if (size + pad > m_room) {
    // The rest of the last piece is left unused; its pages are never touched.
    const size_t pieceSize = std::max(kPieceSize, size);
    void* bytes =
        mmap(nullptr, pieceSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (bytes == MAP_FAILED)
      throw std::bad_alloc();
    m_pieces.push_back(
        {std::unique_ptr<unsigned char[], Unmap>(static_cast<unsigned char*>(bytes), {pieceSize}),
         pieceSize});
    m_next = m_pieces.back().bytes.get();
    m_room = pieceSize;
    pad = 0;  // the start of a piece is aligned for anything
  }
  unsigned char* place = m_next + pad;
  m_next = place + size;
  m_room -= size + pad;
  return place;
}

bool CFieldStore::Holds(const void* p) const {
  const auto* byte = static_cast<const unsigned char*>(p);
  return std::any_of(m_pieces.begin(), m_pieces.end(), [&](const Piece& piece) {
    return std::less_equal<>()(piece.bytes.get(), byte) &&
           std::less<>()(byte, piece.bytes.get() + piece.size);
  });
}

const unsigned char* CFieldStore::Put(std::string_view text) {
  unsigned char* block = Place(FieldText::BlockSize(text.size()), 1);
  FieldText::WriteBlock(block, text, false);
  return block;
}

void CFieldStore::Lend(FieldText& field, std::string_view text) {
  field.clear();
  if (!text.empty())
    field.m_block = Put(text);
}

namespace {

// Slots remembered for each kind of repeated text: about the number of different ones a large
// collection has (a few sizes; some thousands of ROMs). Each kind is looked up once a record, in
// a table that stays in the processor's caches; a text is only looked at when its hash agrees.
constexpr size_t kRecentSlots[] = {1 << 12, 1 << 8, 1 << 14, 1 << 6, 1 << 14};

}  // namespace

void CFieldStore::LendRepeated(FieldText& field, std::string_view text, Repeated kind) {
  field.clear();
  if (text.empty())
    return;
  const auto k = static_cast<size_t>(kind);
  std::vector<Recent>& recent = m_recent[k];
  if (recent.empty())
    recent.assign(kRecentSlots[k], Recent{});
  const size_t hash = std::hash<std::string_view>()(text);
  Recent& slot = recent[hash & (recent.size() - 1)];
  if (slot.block == nullptr || slot.hash != hash || FieldText::ViewOf(slot.block) != text)
    slot = {Put(text), hash};
  field.m_block = slot.block;
}

void CFieldStore::ForgetRepeated() {
  for (auto& recent : m_recent)
    std::vector<Recent>().swap(recent);
}

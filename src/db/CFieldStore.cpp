#include "db/CFieldStore.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>

void CFieldStore::Unmap::operator()(unsigned char* bytes) const {
  munmap(bytes, size);
}

unsigned char* CFieldStore::Place(Cursor& cursor, size_t size, size_t align) {
  size_t pad = (align - reinterpret_cast<uintptr_t>(cursor.next) % align) % align;
  if (size + pad > cursor.room) {
    // The rest of the last piece is left unused; its pages are never touched.
    const size_t pieceSize = std::max(kPieceSize, size);
    void* bytes =
        mmap(nullptr, pieceSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (bytes == MAP_FAILED)
      throw std::bad_alloc();
    m_pieces.push_back(
        {std::unique_ptr<unsigned char[], Unmap>(static_cast<unsigned char*>(bytes), {pieceSize}),
         pieceSize});
    cursor.next = m_pieces.back().bytes.get();
    cursor.room = pieceSize;
    pad = 0;  // the start of a piece is aligned for anything
  }
  unsigned char* place = cursor.next + pad;
  cursor.next = place + size;
  cursor.room -= size + pad;
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
  unsigned char* block = Place(m_texts, FieldText::BlockSize(text.size()), 1);
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
constexpr size_t kRecentSlots[] = {1 << 10, 1 << 8, 1 << 14, 1 << 6, 1 << 14};

}  // namespace

bool CFieldStore::Recent::Holds(size_t textHash, std::string_view wanted) const {
  if (block == nullptr || hash != textHash)
    return false;
  if (wanted.size() <= sizeof text)
    return size == wanted.size() && std::string_view(text, size) == wanted;
  return FieldText::ViewOf(block) == wanted;
}

std::vector<CFieldStore::Recent>& CFieldStore::Table(Repeated kind) {
  const auto k = static_cast<size_t>(kind);
  if (m_recent[k].empty())
    m_recent[k].resize(kRecentSlots[k]);
  return m_recent[k];
}

size_t CFieldStore::HashOf(std::string_view text, Repeated kind) {
  Expected& expected = m_expected[static_cast<size_t>(kind)];
  const bool known = expected.text == text.data() && expected.size == text.size();
  const size_t hash = known ? expected.hash : std::hash<std::string_view>()(text);
  expected = {};
  return hash;
}

void CFieldStore::Expect(std::string_view text, Repeated kind) {
  const size_t hash = std::hash<std::string_view>()(text);
  m_expected[static_cast<size_t>(kind)] = {text.data(), text.size(), hash};
  std::vector<Recent>& recent = Table(kind);
  __builtin_prefetch(&recent[hash & (recent.size() - 1)]);
}

void CFieldStore::LendRepeated(FieldText& field, std::string_view text, Repeated kind) {
  field.clear();
  if (text.empty())
    return;
  std::vector<Recent>& recent = Table(kind);
  const size_t hash = HashOf(text, kind);
  Recent& slot = recent[hash & (recent.size() - 1)];
  if (!slot.Holds(hash, text)) {
    slot.hash = hash;
    slot.block = Put(text);
    slot.size = static_cast<uint8_t>(std::min(text.size(), sizeof slot.text + 1));
    if (text.size() <= sizeof slot.text)
      std::memcpy(slot.text, text.data(), text.size());
  }
  field.m_block = slot.block;
}

void CFieldStore::ForgetRepeated() {
  for (auto& recent : m_recent)
    std::vector<Recent>().swap(recent);
  for (Expected& expected : m_expected)
    expected = {};
}

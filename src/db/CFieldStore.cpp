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

namespace {

uintptr_t RoundUp(uintptr_t value, uintptr_t to) {
  return (value + to - 1) & ~(to - 1);
}

}  // namespace

unsigned char* CFieldStore::MapPiece(size_t size, bool large) {
  // A large page more than asked, then cut to start on a large page's boundary.
  const size_t extra = large ? kLargePage : 0;
  void* mapped =
      mmap(nullptr, size + extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED)
    throw std::bad_alloc();
  auto* base = static_cast<unsigned char*>(mapped);
  if (!large)
    return base;
  auto* start =
      reinterpret_cast<unsigned char*>(RoundUp(reinterpret_cast<uintptr_t>(base), kLargePage));
  if (start > base)
    munmap(base, static_cast<size_t>(start - base));
  if (unsigned char* end = base + size + extra; end > start + size)
    munmap(start + size, static_cast<size_t>(end - (start + size)));
  // The system then makes its memory a large page at a time where it can: making it 4 KiB at a
  // time took a sixth of the time of reading a large file.
  madvise(start, size, MADV_HUGEPAGE);
  return start;
}

void CFieldStore::ReleaseUnused(Cursor& cursor) {
  if (cursor.ready == nullptr)
    return;  // its pages are made as they are touched
  auto* from =
      reinterpret_cast<unsigned char*>(RoundUp(reinterpret_cast<uintptr_t>(cursor.next), kPage));
  unsigned char* end = cursor.next + cursor.room;
  if (end > from)
    madvise(from, static_cast<size_t>(end - from), MADV_DONTNEED);
  cursor.ready = std::min(cursor.ready, from);
}

unsigned char* CFieldStore::Place(Cursor& cursor, size_t size, size_t align) {
  size_t pad = (align - reinterpret_cast<uintptr_t>(cursor.next) % align) % align;
  if (size + pad > cursor.room) {
    // The rest of the last piece is left unused.
    ReleaseUnused(cursor);
    const bool large = cursor.pieces++ > 0;
    const size_t pieceSize = std::max(large ? kLargePage : kFirstPieceSize, size);
    unsigned char* bytes = MapPiece(pieceSize, large);
    m_pieces.push_back({std::unique_ptr<unsigned char[], Unmap>(bytes, {pieceSize}), pieceSize});
    cursor.next = bytes;
    cursor.room = pieceSize;
    cursor.ready = large ? bytes : nullptr;
    pad = 0;  // the start of a piece is aligned for anything
  }
  unsigned char* place = cursor.next + pad;
  cursor.next = place + size;
  cursor.room -= size + pad;
  if (cursor.ready != nullptr && cursor.next > cursor.ready) {
    // One call makes the pages of the next stretch, where a fault a page would cost many times
    // more; a kernel that cannot leaves them to be made as they are touched.
    unsigned char* from = std::max(cursor.ready, PageStart(place));
    unsigned char* to = std::min(PageStart(cursor.next) + kReadyStep, cursor.next + cursor.room);
    madvise(from, static_cast<size_t>(to - from), MADV_POPULATE_WRITE);
    cursor.ready = to;
  }
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
constexpr size_t kRecentSlots[] = {1 << 10, 1 << 8, 1 << 14};

uint64_t Word(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The bytes of a text shorter than a word, in one (a few of them for one of three bytes or less,
// which is enough for a hash).
uint64_t ShortWord(const char* p, size_t size) {
  if (size >= 4) {
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + size - 4, 4);
    return first | (uint64_t{last} << 32);
  }
  if (size == 0)
    return 0;
  const auto byte = [&](size_t i) { return uint64_t{static_cast<unsigned char>(p[i])}; };
  return byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16;
}

// A hash of a short text, a word at a time: the library's own is made for any length, and costs
// more than the lookup it serves when a hundred thousand records are read.
size_t TextHash(std::string_view text) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  const char* p = text.data();
  const size_t size = text.size();
  uint64_t hash = size * kMultiplier;
  const auto mix = [&](uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  };
  if (size < 8) {
    mix(ShortWord(p, size));
  } else {
    for (size_t i = 0; i + 8 < size; i += 8)
      mix(Word(p + i));
    mix(Word(p + size - 8));  // the last word, overlapping the one before
  }
  return static_cast<size_t>(hash ^ (hash >> 32));
}

// Whether two texts of `size` bytes are the same, a word at a time: a call to the library for a
// few bytes costs more than comparing them.
bool SameBytes(const char* a, const char* b, size_t size) {
  if (size < 8)
    return std::memcmp(a, b, size) == 0;
  for (size_t i = 0; i + 8 < size; i += 8) {
    if (Word(a + i) != Word(b + i))
      return false;
  }
  return Word(a + size - 8) == Word(b + size - 8);
}

}  // namespace

bool CFieldStore::Recent::Holds(size_t textHash, std::string_view wanted) const {
  if (block == nullptr || hash != textHash)
    return false;
  if (wanted.size() <= sizeof text)
    return size == wanted.size() && SameBytes(text, wanted.data(), size);
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
  const size_t hash = known ? expected.hash : TextHash(text);
  expected = {};
  return hash;
}

void CFieldStore::Expect(std::string_view text, Repeated kind) {
  const size_t hash = TextHash(text);
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

void CFieldStore::FinishReading() {
  ReleaseUnused(m_texts);
  ReleaseUnused(m_records);
  for (auto& recent : m_recent)
    std::vector<Recent>().swap(recent);
  for (Expected& expected : m_expected)
    expected = {};
  for (Named& named : m_named)
    named = {};
}

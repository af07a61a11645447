#include "md5/MD5.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace {

// The four auxiliary functions, written so that the part that depends on `b` (the value the
// previous step has just produced) is as short as possible: everything else starts early.
#define MD5_F(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define MD5_H(b, c, d) ((b) ^ ((c) ^ (d)))
#define MD5_I(b, c, d) ((c) ^ ((b) | ~(d)))

#define MD5_STEP(f, a, b, c, d, x, t, s) \
  do {                                   \
    (a) += (x) + (t);                    \
    (a) += f((b), (c), (d));             \
    (a) = std::rotl((a), (s));           \
    (a) += (b);                          \
  } while (0)

// G = (b & d) | (c & ~d). The two terms never share a bit, so they can be added instead of
// ORed, and the one without `b` added first.
#define MD5_STEP_G(a, b, c, d, x, t, s) \
  do {                                  \
    (a) += (x) + (t) + (~(d) & (c));    \
    (a) += (d) & (b);                   \
    (a) = std::rotl((a), (s));          \
    (a) += (b);                         \
  } while (0)

inline uint32_t LoadLittleEndian(const unsigned char* p) {
  uint32_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap32(word);
  return word;
}

inline void StoreLittleEndian(unsigned char* p, uint32_t word) {
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap32(word);
  std::memcpy(p, &word, sizeof word);
}

void ReportMisuse(const char* line) {
  std::fputs(line, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

MD5::MD5() {
  init();
}

MD5::MD5(const unsigned char* input, uint32_t length) {
  init();
  update(input, length);
  finalize();
}

void MD5::init() {
  m_state[0] = 0x67452301;
  m_state[1] = 0xefcdab89;
  m_state[2] = 0x98badcfe;
  m_state[3] = 0x10325476;
  m_count[0] = 0;
  m_count[1] = 0;
  std::memset(m_buffer, 0, sizeof m_buffer);
  std::memset(m_digest, 0, sizeof m_digest);
  m_finalized = false;
}

void MD5::update(const unsigned char* input, uint32_t length) {
  if (m_finalized) {
    ReportMisuse("MD5::update:  Can't update a finalized digest!");
    return;
  }
  uint32_t index = (m_count[0] >> 3) & 0x3F;
  const uint32_t addedBits = length << 3;
  m_count[0] += addedBits;
  if (m_count[0] < addedBits)
    ++m_count[1];
  m_count[1] += length >> 29;

  const uint32_t room = 64 - index;
  uint32_t done = 0;
  if (length >= room) {
    std::memcpy(m_buffer + index, input, room);
    transform(m_buffer);
    // Whole blocks go straight from the caller's buffer: this is where a ROM's bytes pass.
    for (done = room; length - done >= 64; done += 64)
      transform(input + done);
    index = 0;
  }
  if (done < length)
    std::memcpy(m_buffer + index, input + done, length - done);
}

void MD5::finalize() {
  if (m_finalized) {
    ReportMisuse("MD5::finalize:  Already finalized this digest!");
    return;
  }
  unsigned char bits[8];
  StoreLittleEndian(bits, m_count[0]);
  StoreLittleEndian(bits + 4, m_count[1]);

  static const unsigned char kPadding[64] = {0x80};
  const uint32_t index = (m_count[0] >> 3) & 0x3F;
  const uint32_t padLength = index < 56 ? 56 - index : 120 - index;
  update(kPadding, padLength);
  update(bits, sizeof bits);

  for (int i = 0; i < 4; ++i)
    StoreLittleEndian(m_digest + 4 * i, m_state[i]);
  m_finalized = true;
}

std::string MD5::hex_digest() const {
  if (!m_finalized) {
    ReportMisuse("MD5::hex_digest:  Can't get digest if you haven't finalized the digest!");
    return std::string();
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = kHex[m_digest[i] >> 4];
    text[2 * i + 1] = kHex[m_digest[i] & 0x0F];
  }
  return text;
}

void MD5::transform(const unsigned char* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i)
    x[i] = LoadLittleEndian(block + 4 * i);

  uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];

  MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
  MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
  MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
  MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

  MD5_STEP_G(a, b, c, d, x[1], 0xf61e2562, 5);
  MD5_STEP_G(d, a, b, c, x[6], 0xc040b340, 9);
  MD5_STEP_G(c, d, a, b, x[11], 0x265e5a51, 14);
  MD5_STEP_G(b, c, d, a, x[0], 0xe9b6c7aa, 20);
  MD5_STEP_G(a, b, c, d, x[5], 0xd62f105d, 5);
  MD5_STEP_G(d, a, b, c, x[10], 0x02441453, 9);
  MD5_STEP_G(c, d, a, b, x[15], 0xd8a1e681, 14);
  MD5_STEP_G(b, c, d, a, x[4], 0xe7d3fbc8, 20);
  MD5_STEP_G(a, b, c, d, x[9], 0x21e1cde6, 5);
  MD5_STEP_G(d, a, b, c, x[14], 0xc33707d6, 9);
  MD5_STEP_G(c, d, a, b, x[3], 0xf4d50d87, 14);
  MD5_STEP_G(b, c, d, a, x[8], 0x455a14ed, 20);
  MD5_STEP_G(a, b, c, d, x[13], 0xa9e3e905, 5);
  MD5_STEP_G(d, a, b, c, x[2], 0xfcefa3f8, 9);
  MD5_STEP_G(c, d, a, b, x[7], 0x676f02d9, 14);
  MD5_STEP_G(b, c, d, a, x[12], 0x8d2a4c8a, 20);

  MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
  MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
  MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
  MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

  MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
  MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
  MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
  MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;

  // The decoded words are message bytes; leave none of them behind on the stack. The empty asm
  // keeps the compiler from dropping the stores as dead.
  std::memset(x, 0, sizeof x);
  __asm__ __volatile__("" : : "r"(x) : "memory");
}

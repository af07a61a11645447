#pragma once

#include <cstdint>
#include <string>

/// The RFC 1321 message digest. A plain value: construct it over a buffer to get a finished
/// digest at once, or default-construct it and feed the bytes in pieces through `update`.
/// Misuse (updating or finalizing twice after `finalize`, asking for the digest before it)
/// writes one line to standard error and changes nothing.
class MD5 final {
 public:
  MD5();
  /// Digests `length` bytes at `input` and finalizes.
  MD5(const unsigned char* input, uint32_t length);

  void update(const unsigned char* input, uint32_t length);
  void finalize();
  /// The digest as 32 lowercase hexadecimal characters; empty before `finalize`.
  std::string hex_digest() const;

 private:
  void init();
  void transform(const unsigned char* block);

  uint32_t m_state[4];
  uint32_t m_count[2];  // message length in bits, low half first
  unsigned char m_buffer[64];
  unsigned char m_digest[16];
  bool m_finalized;
};

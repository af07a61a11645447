#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "patch/PatchSummary.h"

// Applying a patch in memory, so that its result can be checked before an emulator is given it.

/// The largest result a patch is applied to: far beyond any SNES game.
inline constexpr uint64_t kMaxPatchResultBytes = 64 << 20;

/// Where the BPS and UPS readers write the result as they read a patch.
class PatchTarget final {
 public:
  /// `source`: the file the patch is applied to. With `behindHeader`, a patch made for it
  /// without its first 512 bytes (a copier header) is applied to the rest.
  explicit PatchTarget(std::string_view source, bool behindHeader = false)
      : m_source(source), m_behindHeader(behindHeader) {}

  /// Checks that the source is as large as the patch's, and makes room for the target.
  bool Begin(const PatchSummary& summary, std::string& error);
  /// Whether Begin found the source of another size than the patch's.
  bool OtherSize() const { return m_otherSize; }
  /// Whether the patch is applied behind a copier header.
  bool BehindHeader() const { return m_header != 0; }
  /// What the patch is applied to: the source, without the header it is applied behind.
  std::string_view Source() const { return m_source.substr(m_header); }
  /// `length` bytes at `to` from the source's or the target's `from` (which may overlap `to`).
  void Copy(bool fromSource, uint64_t from, uint64_t to, uint64_t length);
  void Write(uint64_t to, std::string_view bytes);
  /// XORs `byte` into the target at `at`, when the target reaches that far.
  void Xor(uint64_t at, uint8_t byte);

  std::string& Result() { return m_result; }

 private:
  std::string_view m_source;
  bool m_behindHeader = false;
  bool m_otherSize = false;
  size_t m_header = 0;
  std::string m_result;
};

/// Applies the patch `patch` of `format` to `data`, which becomes the result. For BPS and UPS,
/// `data` must be the patch's source, and the result must have the target's size and CRC-32.
/// False, with `error` saying what is wrong (in the readers' manner), when the patch does not
/// read or its result is wrong; `data` is then as it was.
bool ApplyPatch(std::string_view patch, PatchFormat format, std::string& data,
                PatchSummary& summary, std::string& error);

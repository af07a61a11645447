#include "patch/PatchApply.h"

#include <cstring>

#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"
#include "patch/SourceMatch.h"

bool PatchTarget::Begin(const PatchSummary& summary, std::string& error) {
  if (m_behindHeader && m_source.size() >= kCopierHeaderBytes &&
      summary.sourceSize == m_source.size() - kCopierHeaderBytes) {
    m_header = kCopierHeaderBytes;
  } else if (summary.sourceSize != m_source.size()) {
    m_otherSize = true;
    error = "it was made for a file of " + ByteCount(summary.sourceSize) + ", not of " +
            ByteCount(m_source.size());
    return false;
  }
  if (summary.targetSize == 0) {
    error = "the file it makes is empty";
    return false;
  }
  if (summary.targetSize > kMaxPatchResultBytes) {
    error = "the file it makes (" + ByteCount(summary.targetSize) + ") is too large";
    return false;
  }
  const size_t size = static_cast<size_t>(summary.targetSize);
  // UPS changes the source in place; BPS writes every byte of the target.
  if (summary.format == PatchFormat::Ups) {
    m_result.assign(Source().substr(0, size));
    m_result.resize(size, '\0');
  } else {
    m_result.assign(size, '\0');
  }
  return true;
}

void PatchTarget::Copy(bool fromSource, uint64_t from, uint64_t to, uint64_t length) {
  char* out = m_result.data() + to;
  if (fromSource) {
    std::memcpy(out, Source().data() + from, length);
    return;
  }
  // A copy from the target may read what it writes itself, byte after byte.
  const char* in = m_result.data() + from;
  if (from + length <= to) {
    std::memcpy(out, in, length);
    return;
  }
  for (uint64_t i = 0; i < length; ++i)
    out[i] = in[i];
}

void PatchTarget::Write(uint64_t to, std::string_view bytes) {
  std::memcpy(m_result.data() + to, bytes.data(), bytes.size());
}

void PatchTarget::Xor(uint64_t at, uint8_t byte) {
  if (at < m_result.size())
    m_result[at] = static_cast<char>(m_result[at] ^ byte);
}

bool ApplyPatch(std::string_view patch, PatchFormat format, std::string& data,
                PatchSummary& summary, std::string& error) {
  if (format == PatchFormat::Ips) {
    IpsContents ips;
    if (!ReadPatch(patch, format, summary, error) || !ParseIps(patch, ips, error))
      return false;
    if (ips.truncateTo == 0) {
      error = "it cuts the file to 0 bytes";
      return false;
    }
    ApplyIps(ips, data);
    return true;
  }
  PatchTarget target(data);
  if (!ReadPatch(patch, format, summary, error, &target))
    return false;
  const uint32_t crc = Crc32(target.Result());
  if (crc != summary.targetCrc) {
    error = "the file it makes has the CRC-32 " + CrcText(crc) + ", where the patch says " +
            CrcText(summary.targetCrc);
    return false;
  }
  data = std::move(target.Result());
  return true;
}

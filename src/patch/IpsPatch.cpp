#include "patch/IpsPatch.h"

#include <algorithm>
#include <cstring>

#include "patch/CPatchCursor.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"

namespace {

constexpr uint32_t kMaxRecordSize = 0xffff;
// An unchanged stretch shorter than a record's head costs less inside a record than between two.
constexpr size_t kRecordHead = 5;

// Reads the rest of a record whose offset has been read; false when the file ends inside it.
bool ReadRecordBody(std::string_view bytes, CPatchCursor& cursor, uint32_t offset,
                    IpsContents& ips) {
  IpsRecord record;
  record.offset = offset;
  uint32_t size = 0;
  if (!cursor.ReadBigEndian(2, size))
    return false;
  if (size == 0) {
    uint32_t count = 0;
    if (!cursor.ReadBigEndian(2, count) || !cursor.ReadByte(record.fill))
      return false;
    if (count == 0) {
      ips.quirks |= kIpsEmptyRun;
      return true;
    }
    record.run = true;
    record.size = count;
  } else {
    const size_t at = cursor.Position();
    if (!cursor.Skip(size))
      return false;
    record.size = size;
    record.bytes = bytes.substr(at, size);
  }
  ips.records.push_back(record);
  return true;
}

void AppendBigEndian(std::string& out, uint32_t value, int count) {
  for (int i = count; i-- > 0;)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// `data` at `offset`, in records of at most 64 KiB.
void AppendLiteral(std::string& out, uint32_t offset, std::string_view data) {
  for (size_t at = 0; at < data.size(); at += kMaxRecordSize) {
    const std::string_view piece = data.substr(at, kMaxRecordSize);
    AppendBigEndian(out, offset + static_cast<uint32_t>(at), 3);
    AppendBigEndian(out, static_cast<uint32_t>(piece.size()), 2);
    out.append(piece);
  }
}

}  // namespace

bool ParseIps(std::string_view bytes, IpsContents& ips, std::string& error) {
  ips = IpsContents{};
  CPatchCursor cursor(bytes, 5, bytes.size());
  // The last "EOF" taken for a record's offset, and what had been read before it: should what
  // follows not read to a proper end, "EOF" was the end and the rest a comment.
  std::optional<IpsContents> beforeGuess;
  const auto endAtGuess = [&] {
    ips = std::move(*beforeGuess);
    ips.quirks |= kIpsBytesAfterEnd;
    return true;
  };
  for (;;) {
    const size_t start = cursor.Position();
    if (cursor.AtEnd()) {
      if (beforeGuess)
        return endAtGuess();
      if (ips.records.empty() && ips.quirks == 0) {
        error = "the file ends without the end marker \"EOF\"";
        return false;
      }
      ips.quirks |= kIpsNoEndMarker;
      return true;
    }
    uint32_t offset = 0;
    if (cursor.ReadBigEndian(3, offset)) {
      if (offset == kIpsEndMarker && cursor.AtEnd())
        return true;
      if (offset == kIpsEndMarker && cursor.Left() == 3) {
        uint32_t size = 0;
        cursor.ReadBigEndian(3, size);
        ips.truncateTo = size;
        return true;
      }
      if (offset == kIpsEndMarker) {
        beforeGuess = ips;
        ips.quirks |= kIpsRecordAtEndMarker;
      }
      if (ReadRecordBody(bytes, cursor, offset, ips))
        continue;
    }
    if (beforeGuess)
      return endAtGuess();
    error = "the file ends inside the record" + AtByte(start);
    return false;
  }
}

bool ReadIpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error) {
  summary = PatchSummary{};
  summary.format = PatchFormat::Ips;
  IpsContents ips;
  if (!ParseIps(bytes, ips, error))
    return false;
  summary.records = ips.records.size();
  for (const IpsRecord& record : ips.records)
    summary.reach = std::max<uint64_t>(summary.reach, uint64_t{record.offset} + record.size);
  summary.truncateTo = ips.truncateTo;
  summary.ipsQuirks = ips.quirks;
  return true;
}

void ApplyIps(const IpsContents& ips, std::string& data) {
  for (const IpsRecord& record : ips.records) {
    const size_t end = size_t{record.offset} + record.size;
    if (end > data.size())
      data.resize(end, '\0');
    if (record.run)
      std::memset(data.data() + record.offset, record.fill, record.size);
    else
      std::memcpy(data.data() + record.offset, record.bytes.data(), record.size);
  }
  if (ips.truncateTo)
    data.resize(*ips.truncateTo, '\0');
}

std::string WriteIps(const std::vector<IpsRecord>& records, std::optional<uint32_t> truncateTo,
                     std::string_view result) {
  std::string out = "PATCH";
  for (const IpsRecord& record : records) {
    if (record.size == 0)
      continue;
    if (record.offset == kIpsEndMarker) {
      // Begun a byte earlier with the byte the result has there, which is what it is when this
      // record is written (a later record that writes it writes it again).
      const size_t before = kIpsEndMarker - 1;
      std::string data(1, before < result.size() ? result[before] : '\0');
      if (record.run)
        data.append(record.size, static_cast<char>(record.fill));
      else
        data.append(record.bytes);
      AppendLiteral(out, kIpsEndMarker - 1, data);
    } else if (record.run) {
      AppendBigEndian(out, record.offset, 3);
      AppendBigEndian(out, 0, 2);
      AppendBigEndian(out, record.size, 2);
      out.push_back(static_cast<char>(record.fill));
    } else {
      AppendLiteral(out, record.offset, record.bytes);
    }
  }
  out += "EOF";
  if (truncateTo)
    AppendBigEndian(out, *truncateTo, 3);
  return out;
}

std::vector<IpsRecord> DiffIps(std::string_view source, std::string_view target) {
  std::vector<IpsRecord> records;
  const size_t size = target.size();
  const auto same = [&](size_t i) { return i < source.size() && source[i] == target[i]; };
  size_t at = 0;
  while (at < size) {
    while (at < size && same(at))
      ++at;
    if (at == size)
      break;
    size_t start = at;
    if (start == kIpsEndMarker)
      --start;  // never a record at the offset that reads "EOF"
    size_t end = at + 1;
    while (end < size && end - start < kMaxRecordSize) {
      size_t equal = end;
      while (equal < size && same(equal) && equal - end < kRecordHead)
        ++equal;
      if (equal == end) {
        ++end;
        continue;
      }
      if (equal - end >= kRecordHead || equal == size)
        break;
      end = equal;
    }
    end = std::min(end, start + kMaxRecordSize);
    IpsRecord record;
    record.offset = static_cast<uint32_t>(start);
    record.size = static_cast<uint32_t>(end - start);
    record.bytes = target.substr(start, end - start);
    records.push_back(record);
    at = end;
  }
  return records;
}

std::optional<std::string> MakeIps(std::string_view source, std::string_view target) {
  if (target.size() > kIpsOffsetLimit)
    return std::nullopt;
  std::optional<uint32_t> truncateTo;
  if (target.size() < source.size())
    truncateTo = static_cast<uint32_t>(target.size());
  return WriteIps(DiffIps(source, target), truncateTo, target);
}

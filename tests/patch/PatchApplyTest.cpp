#include <gtest/gtest.h>

#include <random>

#include "patch/BpsWriter.h"
#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchApply.h"
#include "patch/ReaderText.h"
#include "support/PatchBuilder.h"

namespace {

// `patch` applied to `data`; "error: ..." when it is refused.
std::string Applied(const std::string& patch, PatchFormat format, std::string data) {
  PatchSummary summary;
  std::string error;
  return ApplyPatch(patch, format, data, summary, error) ? data : "error: " + error;
}

std::string RandomBytes(std::mt19937& random, size_t size) {
  std::string bytes(size, '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(random());
  return bytes;
}

}  // namespace

TEST(PatchApply, IpsRecordsRunsGrowthAndTheSizeAfterTheEnd) {
  const std::string rom = "0123456789";
  EXPECT_EQ(Applied(IpsPatch(IpsRecord(2, "ab") + IpsRun(5, 3, 'x')), PatchFormat::Ips, rom),
            "01ab4xxx89");
  // Past the end the file grows, with zero bytes between.
  EXPECT_EQ(Applied(IpsPatch(IpsRecord(12, "z")), PatchFormat::Ips, rom),
            rom + std::string(2, '\0') + "z");
  EXPECT_EQ(Applied(IpsPatch(IpsRecord(0, "A"), std::string("\0\0\4", 3)), PatchFormat::Ips, rom),
            "A123");
  EXPECT_EQ(Applied(IpsPatch("", std::string(3, '\0')), PatchFormat::Ips, rom),
            "error: it cuts the file to 0 bytes");
  // The forms ZSNES reads its own way give what ZSNES makes of them.
  EXPECT_EQ(
      Applied(IpsPatch(IpsRecord(1, "b") + IpsRun(2, 0, 'x'), "by me"), PatchFormat::Ips, rom),
      "0b23456789");
  EXPECT_EQ(Applied("PATCH" + IpsRecord(1, "b"), PatchFormat::Ips, rom), "0b23456789");
}

TEST(PatchApply, BpsAndUpsMustGiveTheTargetTheyName) {
  const std::string source = "The quick brown fox jumps over the lazy dog";
  const std::string target = "The quick red fox jumps over the lazy dog!!";
  EXPECT_EQ(Applied(MakeBps(source, target), PatchFormat::Bps, source), target);
  EXPECT_EQ(Applied(MakeUps(source, target), PatchFormat::Ups, source), target);
  EXPECT_EQ(Applied(MakeUps(target, "short"), PatchFormat::Ups, target), "short");
  // Copies from the source anywhere and from the target written so far, overlapping.
  const std::string copies = BpsTargetRead("ab") + BpsTargetCopy(6, 0) + BpsSourceCopy(3, 40) +
                             BpsSourceCopy(2, -43) + BpsSourceRead(2);
  const std::string made =
      "abababab" + source.substr(40, 3) + source.substr(0, 2) + source.substr(13, 2);
  const std::string head = BpsHead(source.size(), made.size());
  EXPECT_EQ(Applied(WithBeatChecksums(head + copies, Crc32(source), Crc32(made)), PatchFormat::Bps,
                    source),
            made);
  const std::string wrong =
      WithBeatChecksums(head + copies, Crc32(source), Crc32("something else"));
  EXPECT_EQ(Applied(wrong, PatchFormat::Bps, source),
            "error: the file it makes has the CRC-32 " + CrcText(Crc32(made)) +
                ", where the patch says " + CrcText(Crc32("something else")));
  EXPECT_EQ(Applied(MakeBps(source, target), PatchFormat::Bps, "short"),
            "error: it was made for a file of 43 bytes, not of 5 bytes");
}

TEST(PatchApply, PatchesBrindleWritesAreCleanAndMakeTheTargetFromTheSource) {
  std::mt19937 random(32);
  // Around the offset that reads "EOF", so that a record would begin there.
  const std::string source = RandomBytes(random, kIpsEndMarker + 0x20000);
  const auto check = [&](const std::string& target) {
    const std::optional<std::string> ips = MakeIps(source, target);
    ASSERT_TRUE(ips);
    IpsContents read;
    std::string error;
    ASSERT_TRUE(ParseIps(*ips, read, error)) << error;
    EXPECT_EQ(read.quirks, 0u);
    for (const struct IpsRecord& record : read.records)
      EXPECT_NE(record.offset, kIpsEndMarker);
    std::string data = source;
    ApplyIps(read, data);
    EXPECT_TRUE(data == target);
    EXPECT_TRUE(Applied(WriteBps(source, target), PatchFormat::Bps, source) == target);
  };
  std::string target = source;
  for (size_t at : {size_t{0}, size_t{7}, size_t{kIpsEndMarker}, size_t{kIpsEndMarker + 3}})
    target[at] = static_cast<char>(~target[at]);
  // A stretch longer than a record, with unchanged bytes inside it.
  target.replace(0x10000, 0x18000, RandomBytes(random, 0x18000));
  check(target);
  check(target + std::string(0x300, '\0') + "tail");  // grown
  check(target.substr(0, kIpsEndMarker + 1));         // cut short
  EXPECT_FALSE(MakeIps(source, std::string(kIpsOffsetLimit + 1, 'x')));

  // The records of a user's file written again cleanly: a record at 0x454F46 begins a byte
  // earlier, with the byte the result has there.
  const std::string users = IpsPatch(IpsRun(kIpsEndMarker, 4, 'r') + IpsRecord(1, "u"), "note");
  IpsContents read;
  std::string error;
  ASSERT_TRUE(ParseIps(users, read, error)) << error;
  std::string result = source;
  ApplyIps(read, result);
  const std::string written = WriteIps(read.records, read.truncateTo, result);
  IpsContents again;
  ASSERT_TRUE(ParseIps(written, again, error)) << error;
  EXPECT_EQ(again.quirks, 0u);
  std::string data = source;
  ApplyIps(again, data);
  EXPECT_TRUE(data == result);
}

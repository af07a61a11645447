#include <gtest/gtest.h>

#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"
#include "support/PatchBuilder.h"
#include "support/RomImage.h"
#include "support/TempDir.h"

namespace {

// What is wrong with `bytes` as a patch of `format`; "" when they read.
std::string Problem(const std::string& bytes, PatchFormat format) {
  PatchSummary summary;
  std::string error;
  return ReadPatch(bytes, format, summary, error) ? std::string() : error;
}

PatchSummary Read(const std::string& bytes, PatchFormat format) {
  PatchSummary summary;
  std::string error;
  EXPECT_TRUE(ReadPatch(bytes, format, summary, error)) << error;
  return summary;
}

std::string Bps(const std::string& actions, uint64_t sourceSize, uint64_t targetSize) {
  return WithBeatChecksums(BpsHead(sourceSize, targetSize) + actions, 1, 2);
}

const std::string kSource = "The quick brown fox jumps over the lazy dog";

}  // namespace

TEST(PatchReader, IpsRecordsRunsAndTheCutAfterTheEnd) {
  PatchSummary ips =
      Read(IpsPatch(IpsRecord(0x10, "abc") + IpsRun(0x200, 5, 'x') + IpsRecord(0x454f45, "z")),
           PatchFormat::Ips);
  EXPECT_EQ(ips.records, 3u);
  EXPECT_EQ(ips.reach, 0x454f46u);
  EXPECT_FALSE(ips.truncateTo);
  ips = Read(IpsPatch("", std::string("\x01\x02\x03", 3)), PatchFormat::Ips);
  EXPECT_EQ(ips.records, 0u);
  EXPECT_EQ(ips.truncateTo, 0x010203u);

  const std::string record = IpsRecord(0x10, "abc");
  EXPECT_EQ(Problem("", PatchFormat::Ips), "the file is empty");
  EXPECT_EQ(Problem("PATC", PatchFormat::Ips), "it does not begin with \"PATCH\"");
  EXPECT_EQ(Problem(MakeBps("a", "b"), PatchFormat::Ips), "it is a BPS patch");
  EXPECT_EQ(Problem("PATCH", PatchFormat::Ips), "the file ends without the end marker \"EOF\"");
  EXPECT_EQ(Problem("PATCH" + record + record.substr(0, 6), PatchFormat::Ips),
            "the file ends inside the record at byte 13");
  EXPECT_EQ(Problem("PATCH" + IpsRun(1, 2, 'x').substr(0, 7), PatchFormat::Ips),
            "the file ends inside the record at byte 5");
}

TEST(PatchReader, IpsFormsThatEmulatorsReadDifferentlyAreReadAsZsnesMeansThem) {
  const std::string record = IpsRecord(0x10, "abc");
  const auto quirks = [](const std::string& bytes, uint64_t records) {
    const PatchSummary ips = Read(bytes, PatchFormat::Ips);
    EXPECT_EQ(ips.records, records);
    return ips.ipsQuirks;
  };
  EXPECT_EQ(quirks("PATCH" + record, 1), kIpsNoEndMarker);
  EXPECT_EQ(quirks(IpsPatch(record + IpsRun(9, 0, 'x')), 1), kIpsEmptyRun);
  // After "EOF": a comment of any length but 3, or more records after one at 0x454F46.
  for (const std::string after : {"\x01", "12", "1234", "Patched by someone, 2004"})
    EXPECT_EQ(quirks(IpsPatch(record, after), 1), kIpsBytesAfterEnd) << after;
  EXPECT_EQ(quirks(IpsPatch(record + IpsRecord(0x454f46, "z") + record), 3), kIpsRecordAtEndMarker);
  // Records after one at 0x454F46, then "EOF" and a comment: the comment begins at the last.
  EXPECT_EQ(quirks(IpsPatch(IpsRecord(0x454f46, "z") + record, "note"), 2),
            kIpsRecordAtEndMarker | kIpsBytesAfterEnd);
  EXPECT_EQ(Read(IpsPatch(IpsRecord(0x454f46, "z") + record, "cut"), PatchFormat::Ips).truncateTo,
            0x637574u);
}

TEST(PatchReader, BpsSizesChecksumsAndEveryAction) {
  const std::string target = "The quick red fox jumps over the lazy dog!";
  const PatchSummary made = Read(MakeBps(kSource, target), PatchFormat::Bps);
  EXPECT_EQ(made.sourceSize, kSource.size());
  EXPECT_EQ(made.targetSize, target.size());
  EXPECT_EQ(made.sourceCrc, Crc32(kSource));
  EXPECT_EQ(made.targetCrc, Crc32(target));
  EXPECT_EQ(made.reach, target.size());

  // Copies from anywhere in the source, and from the target written so far (overlapping it).
  const std::string copies = BpsTargetRead("ab") + BpsTargetCopy(6, 0) + BpsSourceCopy(4, 40) +
                             BpsSourceCopy(2, -44) + BpsSourceRead(2);
  const PatchSummary read =
      Read(WithBeatChecksums(BpsHead(50, 16, "<meta/>") + copies, 7, 8), PatchFormat::Bps);
  EXPECT_EQ(read.records, 5u);
  EXPECT_EQ(read.metadataSize, 7u);
  EXPECT_EQ(read.sourceCrc, 7u);
  EXPECT_EQ(read.targetCrc, 8u);

  std::string damaged = MakeBps(kSource, target);
  damaged[10] ^= 1;
  const std::string crc = CrcText(Crc32(damaged.substr(0, damaged.size() - 4)));
  EXPECT_EQ(Problem(damaged, PatchFormat::Bps),
            "the file is damaged or incomplete: its CRC-32 is " + crc + ", where the patch says " +
                CrcText(Crc32(MakeBps(kSource, target).substr(0, damaged.size() - 4))));
  EXPECT_EQ(Problem(MakeBps(kSource, target).substr(0, 30), PatchFormat::Bps).substr(0, 36),
            "the file is damaged or incomplete: i");
  EXPECT_EQ(Problem("BPS1" + std::string(13, '\x80'), PatchFormat::Bps),
            "the file is too short (17 bytes)");
  EXPECT_EQ(Problem("BPS2" + std::string(20, '\x80'), PatchFormat::Bps),
            "it does not begin with \"BPS1\"");
  EXPECT_EQ(Problem(MakeUps("a", "b"), PatchFormat::Bps), "it is a UPS patch");

  // Structure, in patches whose checksums are right.
  EXPECT_EQ(Problem(Bps(BpsTargetRead("abc"), 4, 2), PatchFormat::Bps),
            "the action at byte 7 writes past the end of the target (2 bytes)");
  EXPECT_EQ(Problem(Bps(BpsSourceRead(3), 2, 4), PatchFormat::Bps),
            "the action at byte 7 reads past the end of the source (2 bytes)");
  EXPECT_EQ(Problem(Bps(BpsSourceCopy(2, 3), 4, 4), PatchFormat::Bps),
            "the action at byte 7 copies from outside the source");
  EXPECT_EQ(Problem(Bps(BpsSourceCopy(1, -1), 4, 4), PatchFormat::Bps),
            "the action at byte 7 copies from outside the source");
  EXPECT_EQ(Problem(Bps(BpsTargetRead("a") + BpsTargetCopy(2, 1), 4, 4), PatchFormat::Bps),
            "the action at byte 9 copies from outside the part of the target written before it");
  EXPECT_EQ(Problem(Bps(BpsSourceRead(3), 4, 4), PatchFormat::Bps),
            "its actions leave the last 1 byte of the target unwritten");
  EXPECT_EQ(Problem(Bps(BeatNumber(9 << 2 | 1) + "abc", 4, 10), PatchFormat::Bps),
            "the action at byte 7 takes 10 bytes from the patch, past the end of its data");
  EXPECT_EQ(Problem(Bps(std::string(10, '\0') + "\x80", 4, 4), PatchFormat::Bps),
            "the action at byte 7 holds a number too large to be read");
  EXPECT_EQ(Problem(Bps(std::string("\x02"), 4, 4), PatchFormat::Bps),
            "the action at byte 7 runs into the checksums at the end of the file");
  EXPECT_EQ(
      Problem(WithBeatChecksums("BPS1\x84\x84\x85" + std::string("ab"), 1, 2), PatchFormat::Bps),
      "its metadata (5 bytes) reaches into the checksums at the end of the file");
}

TEST(PatchReader, UpsBlocksMayReachTheLargerSizeAndNoFurther) {
  const std::string longer = kSource + " and runs";
  PatchSummary ups = Read(MakeUps(kSource, longer), PatchFormat::Ups);
  EXPECT_EQ(ups.sourceSize, kSource.size());
  EXPECT_EQ(ups.targetSize, longer.size());
  EXPECT_EQ(ups.sourceCrc, Crc32(kSource));
  EXPECT_EQ(ups.targetCrc, Crc32(longer));
  EXPECT_EQ(ups.reach, longer.size());
  // A change in the last byte ends its block one past the end.
  std::string last = kSource;
  last.back() = '?';
  ups = Read(MakeUps(kSource, last), PatchFormat::Ups);
  EXPECT_EQ(ups.records, 1u);
  EXPECT_EQ(ups.reach, kSource.size());

  const std::string head = "UPS1" + BeatNumber(4) + BeatNumber(4);
  EXPECT_EQ(Problem(WithBeatChecksums(head + BeatNumber(3) + "ab" + '\0', 1, 2), PatchFormat::Ups),
            "the block at byte 6 reaches past the end of the file (4 bytes)");
  EXPECT_EQ(Problem(WithBeatChecksums(head + BeatNumber(5) + "a" + '\0', 1, 2), PatchFormat::Ups),
            "the block at byte 6 reaches past the end of the file (4 bytes)");
  EXPECT_EQ(Problem(WithBeatChecksums(head + BeatNumber(0) + "ab", 1, 2), PatchFormat::Ups),
            "the block at byte 6 runs into the checksums at the end of the file");
  std::string damaged = MakeUps(kSource, longer);
  damaged.pop_back();
  EXPECT_EQ(Problem(damaged, PatchFormat::Ups).substr(0, 34), "the file is damaged or incomplete:");
  EXPECT_EQ(Problem("PATCH" + std::string(20, 'x'), PatchFormat::Ups), "it is an IPS patch");
}

TEST(PatchReader, FilesAreReadAsTheirExtensionSaysInAnyCaseElseAsIps) {
  TempDir dir;
  const std::string ips = IpsPatch(IpsRecord(0, "x"));
  PatchSummary summary;
  std::string error;
  EXPECT_TRUE(ReadPatchFile(dir.Write("a.IpS", ips), summary, error)) << error;
  EXPECT_TRUE(ReadPatchFile(dir.Write("b.uPs", MakeUps("a", "b")), summary, error));
  EXPECT_EQ(summary.format, PatchFormat::Ups);
  EXPECT_TRUE(ReadPatchFile(dir.Write("noextension", ips), summary, error));
  EXPECT_EQ(summary.format, PatchFormat::Ips);

  EXPECT_FALSE(ReadPatchFile(dir.Write("a.BPS", ips), summary, error));
  EXPECT_EQ(error, "The file is not a well-formed BPS patch: it is an IPS patch.");
  EXPECT_FALSE(ReadPatchFile(dir.Write("a.txt", MakeBps("a", "b")), summary, error));
  EXPECT_EQ(error, "The file is not a well-formed IPS patch: it is a BPS patch.");
  EXPECT_FALSE(ReadPatchFile(dir.File("gone.ips"), summary, error));
  EXPECT_EQ(error, "The file could not be read (No such file or directory).");
  ASSERT_TRUE(MakeRomImage(dir.File("big.ips"), kMaxPatchFileBytes + 1));
  EXPECT_FALSE(ReadPatchFile(dir.File("big.ips"), summary, error));
  EXPECT_EQ(error, "The file could not be read (larger than 67108864 bytes).");
}

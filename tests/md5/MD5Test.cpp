#include "md5/MD5.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

std::string Digest(const std::string& bytes) {
  return MD5(reinterpret_cast<const unsigned char*>(bytes.data()),
             static_cast<uint32_t>(bytes.size()))
      .hex_digest();
}

std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

std::string RandomBytes(std::mt19937& random, size_t length) {
  std::string bytes(length, '\0');
  for (auto& c : bytes)
    c = static_cast<char>(random());
  return bytes;
}

TEST(MD5Test, ReferenceSuiteAndPaddingBoundaries) {
  // RFC 1321, appendix A.5.
  EXPECT_EQ(Digest(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Digest("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Digest("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Digest("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Digest("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Digest("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  std::string eighty;
  for (int i = 0; i < 8; ++i)
    eighty += "1234567890";
  EXPECT_EQ(Digest(eighty), "57edf4a22be3c955ac49da2e2107b67a");

  // 55 bytes leave room for the length in the same block; 56 to 63 need a second one.
  EXPECT_EQ(Digest(Pattern(55)), "52c0e574e1198de5fe3f8f11440dcb1b");
  EXPECT_EQ(Digest(Pattern(56)), "46c9907fc908ee68b1e7b8e71286a518");
  EXPECT_EQ(Digest(Pattern(63)), "a62f6d59e837867693f042f5b8f5a236");
  EXPECT_EQ(Digest(Pattern(64)), "7160b8fb5e9e4023d549c3971fbaeead");
  EXPECT_EQ(Digest(Pattern(65)), "70bd662e7aefbda85a0f7244167b7897");
}

TEST(MD5Test, PiecewiseUpdatesEqualOneCall) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 200; ++round) {
    const size_t length = random() % 5000;
    const std::string bytes = RandomBytes(random, length);
    MD5 pieces;
    size_t done = 0;
    while (done < length) {
      // Pieces of 0 bytes and pieces that straddle block boundaries both occur.
      const size_t piece = std::min<size_t>(random() % 150, length - done);
      pieces.update(reinterpret_cast<const unsigned char*>(bytes.data()) + done,
                    static_cast<uint32_t>(piece));
      done += piece;
    }
    pieces.finalize();
    ASSERT_EQ(pieces.hex_digest(), Digest(bytes)) << "length " << length;
  }
}

TEST(MD5Test, AgreesWithMd5sumOnRandomFiles) {
  TempDir dir;
  std::mt19937 random(1321);
  std::vector<std::string> paths;
  std::vector<std::string> expected;
  std::string command = "cd " + ShellQuote(dir.Path()) + " && md5sum";
  for (int i = 0; i < 40; ++i) {
    // Mostly short files around the block size, and a few long ones.
    const size_t length = i % 8 == 0 ? random() % 3000000 : random() % 300;
    const std::string bytes = RandomBytes(random, length);
    const std::string number = std::to_string(i);
    const std::string name = "f" + number;
    dir.Write(name, bytes);
    command += " " + name;
    expected.push_back(Digest(bytes) + "  " + name);
  }
  std::string output;
  ASSERT_EQ(RunCommand(command, &output), 0);
  std::istringstream lines(output);
  std::string line;
  for (const auto& want : expected) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, want);
  }
}

TEST(MD5Test, BitCountCarriesIntoItsHighHalf) {
  // More than 2^32 bits: the low half of the bit count wraps once.
  const std::vector<unsigned char> zeros(1 << 20, 0);
  MD5 digest;
  for (int i = 0; i < 513; ++i)
    digest.update(zeros.data(), static_cast<uint32_t>(zeros.size()));
  digest.finalize();
  EXPECT_EQ(digest.hex_digest(), "f3a8799d64129a6fd8a5aa56f199ac54");
}

TEST(MD5Test, MisuseWritesOneLineAndChangesNothing) {
  const unsigned char abc[] = {'a', 'b', 'c'};
  MD5 open;
  testing::internal::CaptureStderr();
  EXPECT_EQ(open.hex_digest(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MD5::hex_digest:  Can't get digest if you haven't finalized the digest!\n");

  MD5 done(abc, 3);
  testing::internal::CaptureStderr();
  done.update(abc, 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MD5::update:  Can't update a finalized digest!\n");
  testing::internal::CaptureStderr();
  done.finalize();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MD5::finalize:  Already finalized this digest!\n");
  EXPECT_EQ(done.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace

#include "mp4/mp4_check.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "core/file_error.h"
#include "testing/fake_mp4.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using namespace std::string_literals;

constexpr auto be32 = testing::bigEndian32;
std::string be64(uint64_t v) { return be32(static_cast<uint32_t>(v >> 32)) + be32(static_cast<uint32_t>(v)); }

std::string box(const std::string& type, const std::string& payload) {
  return be32(static_cast<uint32_t>(8 + payload.size())) + type + payload;
}

// Version 0: times 1 and 2, scale 1000 at payload offset 12, duration 6000 at 16.
const std::string kMvhd0 = box("mvhd", std::string("\0\0\0\0" "\0\0\0\x01" "\0\0\0\x02" "\0\0\x03\xE8"
                                                   "\0\0\x17\x70", 20));
// Version 1: 8-byte times, scale 90000 at 20, duration 4 500 000 000 (over 32 bits) at 24.
const std::string kMvhd1 = box("mvhd", std::string("\x01\0\0\0", 4) + be64(3) + be64(4) + be32(90000) +
                                           be64(4500000000ULL));
const std::string kFtyp = box("ftyp", "isom\0\0\x02\0"s);  // 16 bytes

TEST(Mp4Check, BoxSequences) {
  struct Case {
    const char* what;
    std::string bytes;
    double duration;  // < 0: not complete
    std::string problem;
  };
  const std::string mdat = box("mdat", std::string(84, 'v'));  // ends at offset 100 after ftyp
  const Case cases[] = {
      {"v0 at the end", kFtyp + mdat + box("moov", kMvhd0 + box("trak", "")), 6.0, ""},
      {"v1, 64-bit mdat size", kFtyp + box("moov", box("udta", "") + kMvhd1) + be32(1) + "mdat" + be64(20) + "vvvv",
       50000.0, ""},
      {"mdat to the end", kFtyp + box("moov", kMvhd0) + be32(0) + "mdat" + "vvvv", 6.0, ""},
      {"cut-off mdat", kFtyp + be32(1000) + "mdat" + std::string(84, 'v'), -1,
       "box 'mdat' at offset 16 runs past the end of the file (1000 bytes, 92 left): the file is cut off"},
      {"no moov", kFtyp + mdat, -1, "no movie box (moov): the file is cut off"},
      {"mvhd nested deeper", kFtyp + box("moov", box("moov", kMvhd0)), -1,
       "the movie box (moov) holds no movie header (mvhd)"},
      {"cut-off header", kFtyp + "\0\0\0\x10m"s, -1,
       "a box header at offset 16 is cut off (5 bytes left): the file is cut off"},
      {"cut-off 64-bit size", kFtyp + be32(1) + "mdat\0\0\0\0"s, -1,
       "the 64-bit size of box 'mdat' at offset 16 is cut off: the file is cut off"},
      {"size below 8", kFtyp + be32(7) + "\x01?ab" + kMvhd0, -1,
       "box '??ab' at offset 16 has an impossible size of 7 bytes"},
      {"64-bit size below 16", kFtyp + be32(1) + "free" + be64(15) + kMvhd0, -1,
       "box 'free' at offset 16 has an impossible size of 15 bytes"},
      {"huge 64-bit size", kFtyp + be32(1) + "mdat" + be64(~0ULL), -1,
       "box 'mdat' at offset 16 runs past the end of the file (18446744073709551615 bytes, 16 left): the file is "
       "cut off"},
      {"child past moov", kFtyp + box("moov", be32(100) + "mvhd") + kMvhd0, -1,
       "box 'mvhd' at offset 24 runs past the end of its movie box (100 bytes, 8 left)"},
      {"huge size", kFtyp + be32(0xFFFFFFFF) + "mdat", -1,
       "box 'mdat' at offset 16 runs past the end of the file (4294967295 bytes, 8 left): the file is cut off"},
      {"mvhd without version", kFtyp + box("moov", box("mvhd", "\0\0"s)), -1,
       "the movie header (mvhd) is too short (2 bytes)"},
      {"mvhd v0 too short", kFtyp + box("moov", box("mvhd", kMvhd0.substr(8, 16))), -1,
       "the movie header (mvhd) is too short for version 0 (16 of 20 bytes)"},
      {"mvhd version 2", kFtyp + box("moov", box("mvhd", "\x02"s + std::string(43, '\0'))), -1,
       "the movie header (mvhd) has version 2, not 0 or 1"},
      {"time scale 0", kFtyp + box("moov", box("mvhd", std::string(20, '\0'))), -1,
       "the movie header (mvhd) has a time scale of 0"},
      {"mvhd v1 too short", kFtyp + box("moov", box("mvhd", kMvhd1.substr(8, 24))), -1,
       "the movie header (mvhd) is too short for version 1 (24 of 32 bytes)"},
      {"empty", "", -1, "the file is empty"},
  };
  testing::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::writeText(dir.file("x.mp4"), c.bytes);
    const Mp4Check check = checkMp4File(dir.file("x.mp4"));
    EXPECT_EQ(check.complete, c.duration >= 0);
    EXPECT_EQ(check.durationSec, c.duration >= 0 ? c.duration : 0);
    EXPECT_EQ(check.problem, c.problem);
  }
  EXPECT_EQ(checkMp4File(dir.file("missing.mp4")).problem, "cannot open the MP4: " + systemReason(ENOENT));
}

}  // namespace
}  // namespace vk2

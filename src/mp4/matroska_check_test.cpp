#include "mp4/matroska_check.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "testing/test_support.h"

namespace vk2 {
namespace {

using namespace std::string_literals;

// One element with a one-byte size (data under 127 bytes).
std::string element(const std::string& id, const std::string& data) {
  return id + static_cast<char>(0x80 | data.size()) + data;
}

std::string bigEndian(uint64_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
  return s;
}

TEST(MatroskaCheck, CompleteCutOffAndUnfinishedFiles) {
  const std::string header = element("\x1A\x45\xDF\xA3", element("\x42\x82", "matroska"));
  // Scale 1 ms per tick, duration 4000 ticks as a 64-bit float: 4 seconds.
  const std::string info = element("\x15\x49\xA9\x66", element("\x2A\xD7\xB1", bigEndian(1000000, 3)) +
                                                           element("\x44\x89", bigEndian(std::bit_cast<uint64_t>(4000.0), 8)));
  const std::string body = info + element("\x1F\x43\xB6\x75", "cluster");
  const std::string segment = "\x18\x53\x80\x67"s + static_cast<char>(0x80 | body.size()) + body;
  const std::string unknownSize = "\x18\x53\x80\x67\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s + body;
  const std::pair<std::string, std::string> cases[] = {
      {header + segment, ""},
      {header + segment.substr(0, segment.size() - 3), "the segment does not end at the end of the file: the file is cut off"},
      {header + unknownSize, "the segment does not end at the end of the file: the file is cut off"},
      {"\x1A\x45\xDF\xA3\x80"s, "no segment: the file is cut off"},
      {"ftypisom", "no EBML header: not a Matroska file"}};
  testing::TempDir dir;
  for (const auto& [bytes, problem] : cases) {
    testing::writeText(dir.file("x.mkv"), bytes);
    const Mp4Check check = checkVideoFile(dir.file("x.mkv"));
    EXPECT_EQ(check.problem, problem);
    EXPECT_EQ(check.complete, problem.empty());
    EXPECT_DOUBLE_EQ(check.durationSec, problem.empty() ? 4.0 : 0.0);
  }
}

}  // namespace
}  // namespace vk2

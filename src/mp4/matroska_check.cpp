#include "mp4/matroska_check.h"

#include <bit>
#include <cstdint>
#include <fstream>
#include <optional>

namespace vk2 {

namespace {

constexpr uint32_t kEbmlHeaderId = 0x1A45DFA3;
constexpr uint32_t kSegmentId = 0x18538067;
constexpr uint32_t kInfoId = 0x1549A966;
constexpr uint32_t kTimestampScaleId = 0x2AD7B1;
constexpr uint32_t kDurationId = 0x4489;
constexpr uint64_t kUnknownSize = ~uint64_t{0};

struct Element {
  uint32_t id = 0;
  uint64_t size = 0;       // of the data; kUnknownSize when the writer left it open
  uint64_t dataStart = 0;  // offset of the data
};

// Reads one variable-length number; with `keepMarker` the length bits stay (IDs).
std::optional<uint64_t> readNumber(std::ifstream& in, bool keepMarker, int maxBytes, bool& allOnes) {
  const int first = in.get();
  if (first == EOF || first == 0) return std::nullopt;
  int length = 1;
  while (!(first & (0x80 >> (length - 1)))) ++length;
  if (length > maxBytes) return std::nullopt;
  uint64_t value = keepMarker ? static_cast<uint64_t>(first) : static_cast<uint64_t>(first & (0xFF >> length));
  allOnes = (first & (0xFF >> length)) == (0xFF >> length);
  for (int i = 1; i < length; ++i) {
    const int next = in.get();
    if (next == EOF) return std::nullopt;
    value = (value << 8) | static_cast<uint64_t>(next);
    allOnes = allOnes && next == 0xFF;
  }
  return value;
}

std::optional<Element> readElement(std::ifstream& in, uint64_t offset) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  bool ignored = false, unknown = false;
  const auto id = readNumber(in, true, 4, ignored);
  if (!id) return std::nullopt;
  const auto size = readNumber(in, false, 8, unknown);
  if (!size) return std::nullopt;
  const std::streamoff here = in.tellg();
  if (here < 0) return std::nullopt;
  return Element{static_cast<uint32_t>(*id), unknown ? kUnknownSize : *size, static_cast<uint64_t>(here)};
}

std::optional<uint64_t> readBigEndian(std::ifstream& in, const Element& e) {
  if (e.size == 0 || e.size > 8) return std::nullopt;
  in.clear();
  in.seekg(static_cast<std::streamoff>(e.dataStart));
  uint64_t value = 0;
  for (uint64_t i = 0; i < e.size; ++i) {
    const int b = in.get();
    if (b == EOF) return std::nullopt;
    value = (value << 8) | static_cast<uint64_t>(b);
  }
  return value;
}

// The duration in seconds from the segment information's children.
std::string readInfo(std::ifstream& in, const Element& info, double& seconds) {
  uint64_t scale = 1000000;  // nanoseconds per tick unless the file says otherwise
  std::optional<double> ticks;
  for (uint64_t at = info.dataStart; at < info.dataStart + info.size;) {
    const auto child = readElement(in, at);
    if (!child || child->size == kUnknownSize) return "the segment information cannot be read";
    if (child->id == kTimestampScaleId) scale = readBigEndian(in, *child).value_or(scale);
    if (child->id == kDurationId) {
      const auto raw = readBigEndian(in, *child);
      if (raw && child->size == 8) ticks = std::bit_cast<double>(*raw);
      if (raw && child->size == 4) ticks = std::bit_cast<float>(static_cast<uint32_t>(*raw));
    }
    at = child->dataStart + child->size;
  }
  if (!ticks) return "the segment information gives no duration";
  seconds = *ticks * static_cast<double>(scale) / 1e9;
  return std::string();
}

}  // namespace

Mp4Check checkMatroskaFile(const std::string& path) {
  Mp4Check check;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    check.problem = "cannot open the video";
    return check;
  }
  const uint64_t fileSize = static_cast<uint64_t>(in.tellg());
  const auto header = readElement(in, 0);
  if (!header || header->id != kEbmlHeaderId || header->size == kUnknownSize) {
    check.problem = "no EBML header: not a Matroska file";
    return check;
  }
  const auto segment = readElement(in, header->dataStart + header->size);
  if (!segment || segment->id != kSegmentId) {
    check.problem = "no segment: the file is cut off";
    return check;
  }
  if (segment->size == kUnknownSize || segment->dataStart + segment->size != fileSize) {
    check.problem = "the segment does not end at the end of the file: the file is cut off";
    return check;
  }
  for (uint64_t at = segment->dataStart; at < fileSize;) {
    const auto child = readElement(in, at);
    if (!child || child->size == kUnknownSize || child->dataStart + child->size > fileSize) break;
    if (child->id == kInfoId) {
      check.problem = readInfo(in, *child, check.durationSec);
      check.complete = check.problem.empty();
      if (!check.complete) check.durationSec = 0;
      return check;
    }
    at = child->dataStart + child->size;
  }
  check.problem = "no segment information: the file is cut off";
  return check;
}

Mp4Check checkVideoFile(const std::string& path) {
  const bool matroska = path.size() >= 4 && path.compare(path.size() - 4, 4, ".mkv") == 0;
  return matroska ? checkMatroskaFile(path) : checkMp4File(path);
}

}  // namespace vk2

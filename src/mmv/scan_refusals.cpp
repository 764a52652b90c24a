#include "mmv/scan_refusals.h"

#include <algorithm>
#include <optional>

#include "core/file_error.h"
#include "core/file_identity.h"
#include "mmv/scan.h"

namespace vk2 {

namespace {

constexpr const char* kTripsHint = "vk2mp4 trips FOLDER finds the runs";

std::string secondsText(int64_t n) { return std::to_string(n) + (n == 1 ? " second" : " seconds"); }

// The first file given a second time, through whatever path or link.
std::optional<std::string> repeatedFile(const std::vector<std::string>& chosen) {
  std::vector<FileKey> seen;
  for (const std::string& path : chosen) {
    const std::optional<FileKey> key = fileKey(path);
    if (!key) continue;
    if (std::find(seen.begin(), seen.end(), *key) != seen.end()) return path;
    seen.push_back(*key);
  }
  return std::nullopt;
}

bool joinInStartOrder(const std::vector<std::string>& chosen) {
  struct Span {
    int32_t start, end;
  };
  std::vector<Span> spans;
  try {
    for (const std::string& path : chosen) {
      uint64_t size = 0;
      const MmvInfoBlock info = readInfoBlock(path, size);
      spans.push_back(Span{info.startStamp().seconds(), info.endStamp().seconds()});
    }
  } catch (const FileError&) {
    return false;
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
  for (std::size_t i = 1; i < spans.size(); ++i) {
    const int32_t gap = stampDifference(static_cast<uint32_t>(spans[i].start), static_cast<uint32_t>(spans[i - 1].end));
    if (gap > kMaxJoinGapSeconds || gap < -kMaxJoinGapSeconds) return false;
  }
  return true;
}

}  // namespace

std::string tooManyFilesDetail(std::size_t given) { return std::to_string(given) + " files were given"; }

std::string notJoinedDetail(const std::vector<std::string>& chosen, std::size_t failing, int32_t gap) {
  const std::string& earlier = chosen.at(failing - 1);
  const std::string& later = chosen.at(failing);
  std::string text = later + " starts " + secondsText(gap < 0 ? -static_cast<int64_t>(gap) : gap) +
                     (gap < 0 ? " before " : " after ") + earlier + " ends (files join within " +
                     secondsText(kMaxJoinGapSeconds) + ")";
  if (const std::optional<std::string> twice = repeatedFile(chosen))
    text += "; " + *twice + " is given twice: " + kTripsHint;
  else if (joinInStartOrder(chosen))
    text += "; they join in start-time order: " + std::string(kTripsHint);
  return text;
}

}  // namespace vk2

#include "mmv/scan.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "core/paths.h"
#include "core/file_error.h"
#include "mmv/record_walk.h"
#include "mmv/recording_check.h"
#include "mmv/scan_refusals.h"

namespace vk2 {

namespace {

constexpr std::size_t kScannedBytes = kInfoBlockOffset + kInfoBlockSize;  // 762
constexpr const char* kHyphenLine = "---------------------------------------------";

std::string number(int64_t v) { return std::to_string(v); }

}  // namespace

MmvInfoBlock readInfoBlock(const std::string& path, uint64_t& size) {
  size = fileSizeOf(path);
  if (size < kScannedBytes)
    throw FileError(path, "file is shorter than its " + std::to_string(kScannedBytes) +
                              "-byte info block (" + std::to_string(size) + " bytes)");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
  std::vector<uint8_t> bytes(kScannedBytes);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
    throw FileError(path, "cannot read its info block");
  MmvInfoBlock info;
  info.assign(bytes.data() + kInfoBlockOffset);
  return info;
}

int32_t stampDifference(uint32_t later, uint32_t earlier) {
  return static_cast<int32_t>(later - earlier);
}

void ScanMmvFile(StageContext& ctx, const std::string& path, int index, int count) {
  ConversionState& s = ctx.state;
  HiddenLog& log = ctx.log;
  uint64_t size = 0;
  const MmvInfoBlock info = readInfoBlock(path, size);
  if (const std::string why = notRecordingReason(path, size, info); !why.empty()) throw NotRecordingError(path, why);
  log.append(number(static_cast<int64_t>(size)));
  log.append("MMV Merge Count = " + number(index));
  log.append("MMV Merge Total Count = " + number(count));

  s.fileStartTime = static_cast<uint32_t>(info.startStamp().seconds());
  s.fileEndTime = static_cast<uint32_t>(info.endStamp().seconds());
  if (index > 1) {
    const int64_t gap = stampDifference(s.fileStartTime, s.previousEndTime);
    if (std::llabs(gap) > kMaxJoinGapSeconds) {
      s.mergeFailed = true;
      log.append("File Merge Fail----------------------");
      return;
    }
  }
  s.previousEndTime = s.fileEndTime;

  log.append(fileNameOf(path));
  log.append("Total FrameCount = " + number(info.totalFrameCount()));
  log.append("I FrameCount = " + number(info.iFrameCount()));
  log.append("Drv FrameCount = " + number(info.drvFrameCount()));
  log.append("Start Time = " + number(static_cast<int32_t>(s.fileStartTime)));
  log.append("End Time = " + number(static_cast<int32_t>(s.fileEndTime)));

  if (index == 1) s.scanStartStamp = info.startStamp();
  if (index == count) {
    s.spanStartTime = s.scanStartStamp.seconds();
    log.append("Start Time = " + number(s.spanStartTime));
    s.spanEndTime = info.endStamp().seconds();
    log.append("End Time = " + number(s.spanEndTime));
    // The time basis is read now, so a later switch leaves this span as it is.
    const bool local = ctx.options.rbTimeLocal();
    s.spanStart = breakDownTime(s.spanStartTime, local);
    s.spanEnd = breakDownTime(s.spanEndTime, local);
    log.append("Start Time = " + logDateTime(s.spanStart));
    log.append("End Time = " + logDateTime(s.spanEnd));
  }
  log.append(kHyphenLine);
}

OpenResult OpenMmvFiles(StageContext& ctx, const std::vector<std::string>& chosen,
                        const std::function<void(int)>& onProgress) {
  ConversionState& s = ctx.state;
  s.mergeFailed = false;
  OpenResult result;
  if (chosen.empty()) {
    result.outcome = OpenOutcome::Cancelled;
    return result;
  }
  ctx.log.clear();
  if (chosen.size() > static_cast<std::size_t>(kMaxSelectedFiles)) {
    result.outcome = OpenOutcome::TooManyFiles;
    result.message = kTooManyFilesMessage;
    result.detail = tooManyFilesDetail(chosen.size());
    return result;
  }
  s.selectedFiles = chosen;
  const int n = static_cast<int>(chosen.size());
  for (int i = 0; i < n; ++i) {
    if (onProgress) onProgress(i + 1);
    ScanMmvFile(ctx, chosen[static_cast<std::size_t>(i)], i + 1, n);
    if (s.mergeFailed) {
      result.outcome = OpenOutcome::NotJoined;
      result.message = kNotJoinedMessage;
      result.detail = notJoinedDetail(chosen, static_cast<std::size_t>(i),
                                      stampDifference(s.fileStartTime, s.previousEndTime));
      return result;
    }
  }
  ctx.log.append("File Open is done--------------------------");
  result.folder = !s.sourceFolder.empty() ? s.sourceFolder : folderOf(chosen.front());
  // A bare file name lies in the current folder.
  if (result.folder.empty()) result.folder = std::string(".") + kPathSeparator;
  result.count = number(n) + (n >= 2 ? " MMV files are selected." : " MMV files is selected.");
  return result;
}

}  // namespace vk2

#include "mmv/merge.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <stdexcept>

#include "core/paths.h"
#include "mmv/merge_output.h"
#include "core/file_error.h"
#include "mmv/record_walk.h"

namespace vk2 {

namespace {

constexpr const char* kHyphenLine = "---------------------------------------------";

std::string number(int64_t v) { return std::to_string(v); }

// The info block's counts are 32-bit; sums of untrusted counts wrap instead of overflowing.
int32_t wrappingSum(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// One input, opened for a record-by-record copy; only its leading part is held.
struct MergeInput {
  std::string path;
  std::ifstream in;
  uint64_t size = 0;
  MmvLeadingPart leading;

  explicit MergeInput(const std::string& p) : path(p) {
    size = fileSizeOf(path);
    in.open(path, std::ios::binary);
    if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
    if (size < kLeadingPartSize)
      throw FileError(path, "file is shorter than the " + number(kLeadingPartSize) +
                                "-byte leading part (" + number(static_cast<int64_t>(size)) + " bytes)");
    std::vector<uint8_t> bytes(kLeadingPartSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
      throw FileError(path, "cannot read its leading part");
    leading = MmvLeadingPart::fromBytes(bytes.data());
  }
};

void checkWritten(const std::ios& stream, const std::string& path) {
  if (!stream) throw FileError(path, "cannot write: " + systemReason(errno));
}

bool namesBodyFile(const std::string& outputPath) {
  std::string name = fileNameOf(outputPath);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name == "data.tmp";
}

void startMerge(ConversionState& s, const std::string& outputPath) {
  // Leftovers of a merge that was never finished or discarded go first.
  DiscardMergeOutput(s);
  if (namesBodyFile(outputPath))
    throw FileError(outputPath, "the output cannot be the merge's body file Data.tmp");
  s.mergedFilePath = outputPath;
  s.mergedOutput.open(outputPath, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!s.mergedOutput.is_open()) throw FileError(outputPath, "cannot create: " + systemReason(errno));
  s.bodyTempPath = mergeBodyPath(outputPath);
  s.bodyTemp.open(s.bodyTempPath, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!s.bodyTemp.is_open()) throw FileError(s.bodyTempPath, "cannot create: " + systemReason(errno));
  s.headerFill = 0;
  s.frameIndexFill = 0;
  s.mergedSpan = 0;
  s.bodyLength = 0;
  s.totalFrameSum = s.iFrameSum = s.drvFrameSum = 0;
  s.videoFrameTally = s.audioFrameTally = s.drvFrameTally = 0;
  s.nextFrameNumber = 1;
  s.mergedHeader.assign(kLeadingPartSize, 0);
  // Every merge stands on its own: fresh clocks, and no index entries or info
  // bytes left over from an earlier merge in this process.
  s.streamClocks = {};
  s.infoBlock = MmvInfoBlock{};
  s.frameIndex = MmvIFrameIndex{};
}

void finishInfoBlock(ConversionState& s, const MmvInfoBlock& last, HiddenLog& log) {
  MmvInfoBlock& info = s.infoBlock;
  info.setEndStamp(last.endStamp());
  info.setTotalFrameCount(s.totalFrameSum);
  // The count of entries actually stored, which is the sum unless the table overflowed.
  info.setIFrameCount(s.frameIndexFill / 4);
  info.setDrvFrameCount(s.drvFrameSum);
  info.setFlag30(1);
  info.setFlag31(1);
  log.append("Start Time = " + number(info.startStamp().seconds()));
  log.append("End Time = " + number(info.endStamp().seconds()));
  std::copy_n(info.data(), kInfoBlockSize, s.mergedHeader.begin() + s.headerFill);
  s.headerFill += kInfoBlockSize;
}

// Relocates and appends the input's index entries; returns how many did not fit.
int32_t collectIndex(ConversionState& s, const MergeInput& input, int index) {
  const int32_t listed = std::clamp<int32_t>(input.leading.info.iFrameCount(), 0,
                                             static_cast<int32_t>(kIFrameIndexEntries));
  const uint32_t base = static_cast<uint32_t>(s.mergedSpan) - static_cast<uint32_t>(kLeadingPartSize);
  int32_t dropped = input.leading.info.iFrameCount() - listed;
  for (int32_t i = 0; i < listed; ++i) {
    if (s.frameIndexFill >= static_cast<int32_t>(kIFrameIndexSize)) {
      dropped += listed - i;
      break;
    }
    uint32_t entry = static_cast<uint32_t>(input.leading.index.entry(static_cast<std::size_t>(i)));
    if (index > 1) entry += base;  // e - 4858 + mergedSpan, in 32 bits
    s.frameIndex.setEntry(static_cast<std::size_t>(s.frameIndexFill / 4), static_cast<int32_t>(entry));
    s.frameIndexFill += 4;
  }
  if (index == 1)
    s.mergedSpan = static_cast<int64_t>(input.size);
  else
    s.mergedSpan += static_cast<int64_t>(input.size) - static_cast<int64_t>(kLeadingPartSize);
  return dropped;
}

void copyRecords(StageContext& ctx, MergeInput& input) {
  ConversionState& s = ctx.state;
  MmvRecordWalker walker(input.in, input.size, input.path, input.leading.info.totalFrameCount());
  MmvFrameHeader header;
  while (walker.nextHeader(header)) {
    ctx.pump();
    const uint8_t type = header.frameType();
    header.setSequenceNumber(s.nextFrameNumber++);
    header.setStreamTime(RebaseStreamTime(s, type, header.streamTime()));
    s.bodyTemp.write(reinterpret_cast<const char*>(header.data()), kFrameHeaderSize);
    s.bodyLength += kFrameHeaderSize;
    if (type == kFrameVideo0 || type == kFrameVideo1)
      ++s.videoFrameTally;
    else if (type == kFrameAudio)
      ++s.audioFrameTally;
    else if (type == kFrameDrv)
      ++s.drvFrameTally;
    if (!walker.copyPayload(s.bodyTemp)) break;
    s.bodyLength += header.payloadLength();
    checkWritten(s.bodyTemp, s.bodyTempPath);
  }
  if (const auto& damage = walker.damage()) {
    const std::string prefix = input.path + ": ";
    throw FileError(input.path, damage->rfind(prefix, 0) == 0 ? damage->substr(prefix.size()) : *damage);
  }
  checkWritten(s.bodyTemp, s.bodyTempPath);
}

void writeMergedFile(ConversionState& s) {
  s.mergedOutput.write(reinterpret_cast<const char*>(s.mergedHeader.data()),
                       static_cast<std::streamsize>(s.mergedHeader.size()));
  checkWritten(s.mergedOutput, s.mergedFilePath);
  s.bodyTemp.close();
  checkWritten(s.bodyTemp, s.bodyTempPath);
  s.bodyTemp.open(s.bodyTempPath, std::ios::binary | std::ios::in);
  if (!s.bodyTemp.is_open()) throw FileError(s.bodyTempPath, "cannot reopen: " + systemReason(errno));
  std::vector<char> chunk(1 << 20);
  int64_t copied = 0;
  while (s.bodyTemp.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || s.bodyTemp.gcount() > 0) {
    s.mergedOutput.write(chunk.data(), s.bodyTemp.gcount());
    copied += s.bodyTemp.gcount();
    checkWritten(s.mergedOutput, s.mergedFilePath);
  }
  if (copied != s.bodyLength) throw FileError(s.bodyTempPath, "body file is shorter than was written");
  s.mergedOutput.flush();
  checkWritten(s.mergedOutput, s.mergedFilePath);
  s.headerFill += s.bodyLength;
}

void mergeOne(StageContext& ctx, const std::string& path, int index, int count,
              const std::string& outputPath) {
  ConversionState& s = ctx.state;
  HiddenLog& log = ctx.log;
  if (index > 1 && !(s.bodyTemp.is_open() && s.mergedOutput.is_open() && s.mergedFilePath == outputPath))
    throw FileError(outputPath, "the merge was not started with its first file");
  checkMergeInput(path, outputPath);
  MergeInput input(path);
  log.append(number(static_cast<int64_t>(input.size)));
  if (index == 1) startMerge(s, outputPath);
  log.append("MMV Merge Count = " + number(index));
  log.append("MMV Merge Total Count = " + number(count));

  if (index == 1) {
    std::copy_n(input.leading.header.data(), kFileHeaderSize, s.mergedHeader.begin());
    s.headerFill = kFileHeaderSize;
  }
  const MmvInfoBlock& info = input.leading.info;
  s.totalFrameSum = wrappingSum(s.totalFrameSum, info.totalFrameCount());
  s.iFrameSum = wrappingSum(s.iFrameSum, info.iFrameCount());
  s.drvFrameSum = wrappingSum(s.drvFrameSum, info.drvFrameCount());
  log.append(fileNameOf(path));
  log.append("Total FrameCount = " + number(info.totalFrameCount()));
  log.append("I FrameCount = " + number(info.iFrameCount()));
  log.append("Drv FrameCount = " + number(info.drvFrameCount()));

  const int32_t dropped = collectIndex(s, input, index);
  if (index == 1) {
    std::copy_n(info.data(), MmvInfoBlock::kEndStampOffset, s.infoBlock.data());  // leadBytes, startStamp
  } else if (index == count) {
    finishInfoBlock(s, info, log);
  }
  if (dropped > 0) log.append("I Frame Index Full, Dropped Count = " + number(dropped));
  if (index == count) {
    std::copy_n(s.frameIndex.data(), kIFrameIndexSize, s.mergedHeader.begin() + s.headerFill);
    s.headerFill += kIFrameIndexSize;
  }

  copyRecords(ctx, input);
  if (index == count) writeMergedFile(s);

  if (index == 1) {
    s.totalFileName = folderOf(path) + "Total_" + fileNameOf(path);
    log.append("Total File Name = " + s.totalFileName);
  } else if (index == count) {
    log.append("Total File Size = " + number(s.headerFill));
    log.append("H264 Count = " + number(s.videoFrameTally - 1) + ", PCM Count = " +
               number(s.audioFrameTally - 1) + ", DRV Count = " + number(s.drvFrameTally - 1));
    s.bodyTemp.close();
    std::remove(s.bodyTempPath.c_str());
    s.mergedOutput.close();
    if (!s.mergedOutput) {
      std::remove(s.mergedFilePath.c_str());
      throw FileError(s.mergedFilePath, "cannot write: " + systemReason(errno));
    }
  }
  log.append(kHyphenLine);
}

}  // namespace

void MergeMmvFile(StageContext& ctx, const std::string& path, int index, int count,
                  const std::string& outputPath) {
  if (count < 2 || index < 1 || index > count)
    throw std::invalid_argument("merge of input " + number(index) + " of " + number(count) +
                                ": a merge takes 2 or more inputs, in order");
  try {
    mergeOne(ctx, path, index, count, outputPath);
  } catch (...) {
    DiscardMergeOutput(ctx.state);
    throw;
  }
}

}  // namespace vk2

#include "mmv/merge.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <stdexcept>

#include "core/file_identity.h"
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

// One input, opened for the copy of its records; only its leading part is held.
struct MergeInput {
  std::string path;
  std::ifstream in;
  uint64_t size = 0;
  MmvLeadingPart leading;

  explicit MergeInput(const std::string& p) : path(p) {
    size = fileSizeOf(path);
    in.open(path, std::ios::binary);
    if (!in) throw FileError(path, "cannot open: " + systemReason(errno));
    // A file cut inside its index holds no record, but its info block still
    // counts: it is merged as a recording that ended early, and the next goes on.
    constexpr std::size_t kNeeded = kInfoBlockOffset + kInfoBlockSize;
    if (size < kNeeded)
      throw FileError(path, "file is shorter than its " + number(kNeeded) + "-byte file header and info block (" +
                                number(static_cast<int64_t>(size)) + " bytes)");
    std::vector<uint8_t> bytes(kLeadingPartSize, 0);
    const auto present = static_cast<std::streamsize>(std::min<uint64_t>(size, kLeadingPartSize));
    in.read(reinterpret_cast<char*>(bytes.data()), present);
    if (in.gcount() != present) throw FileError(path, "cannot read its leading part");
    leading = MmvLeadingPart::fromBytes(bytes.data());
  }
};

void checkWritten(const std::ios& stream, const std::string& path) {
  if (!stream) throw FileError(path, "cannot write: " + systemReason(errno));
}

void startMerge(ConversionState& s, const std::string& outputPath) {
  // Leftovers of a merge that was never finished or discarded go first.
  DiscardMergeOutput(s);
  s.mergedFilePath = outputPath;
  clearForNewFile(outputPath);
  s.mergedOutput.open(outputPath, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!s.mergedOutput.is_open()) throw FileError(outputPath, "cannot create: " + systemReason(errno));
  // The records go straight behind the leading part, whose totals are known
  // only after the last input; its place is held until then.
  const std::vector<char> placeholder(kLeadingPartSize, 0);
  s.mergedOutput.write(placeholder.data(), static_cast<std::streamsize>(placeholder.size()));
  checkWritten(s.mergedOutput, outputPath);
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
  s.missingSeconds = 0;
  s.recordedSeconds = 0;
  s.recordingWarnings.clear();
  s.infoBlock = MmvInfoBlock{};
  s.frameIndex = MmvIFrameIndex{};
}

void finishInfoBlock(ConversionState& s, const MmvInfoBlock& last, HiddenLog& log) {
  MmvInfoBlock& info = s.infoBlock;
  MmvTimeStamp end = last.endStamp();
  end.setSeconds(static_cast<int32_t>(static_cast<uint32_t>(end.seconds()) - static_cast<uint32_t>(s.missingSeconds)));
  info.setEndStamp(end);
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

// What one input gave the merged file. An input that ends early gives only its
// complete records, and the counts and span are those of what was copied.
struct CopiedInput {
  int32_t records = 0;
  int32_t drvRecords = 0;
  int64_t span = 0;  // bytes of the input the merged file holds, leading part included
  bool endedEarly = false;
};

// Index entries that did not go into the merged table.
struct DroppedEntries {
  int32_t tableFull = 0;
  int32_t pastFourGiB = 0;  // the table's 32-bit entries cannot reach them
};

// Relocates and appends the input's index entries that point inside what was
// copied; returns how many were dropped.
DroppedEntries collectIndex(ConversionState& s, const MergeInput& input, int index, const CopiedInput& copied) {
  const int32_t listed = std::clamp<int32_t>(input.leading.info.iFrameCount(), 0,
                                             static_cast<int32_t>(kIFrameIndexEntries));
  DroppedEntries dropped;
  dropped.tableFull = input.leading.info.iFrameCount() - listed;
  int32_t kept = 0;
  for (int32_t i = 0; i < listed; ++i) {
    const uint32_t entry = static_cast<uint32_t>(input.leading.index.entry(static_cast<std::size_t>(i)));
    // An entry past the cut points at a record the merged file does not hold.
    if (copied.endedEarly && (entry < kLeadingPartSize || static_cast<int64_t>(entry) >= copied.span)) continue;
    if (s.frameIndexFill >= static_cast<int32_t>(kIFrameIndexSize)) {
      ++dropped.tableFull;
      continue;
    }
    // e - 4858 + mergedSpan: a wrapped offset would point at the wrong record.
    const int64_t merged = index > 1 ? entry - static_cast<int64_t>(kLeadingPartSize) + s.mergedSpan : entry;
    if (merged > static_cast<int64_t>(UINT32_MAX)) {
      ++dropped.pastFourGiB;
      continue;
    }
    s.frameIndex.setEntry(static_cast<std::size_t>(s.frameIndexFill / 4),
                          static_cast<int32_t>(static_cast<uint32_t>(merged)));
    s.frameIndexFill += 4;
    ++kept;
  }
  s.iFrameSum = wrappingSum(s.iFrameSum, copied.endedEarly ? kept : input.leading.info.iFrameCount());
  if (index == 1)
    s.mergedSpan = copied.span;
  else
    s.mergedSpan += copied.span - static_cast<int64_t>(kLeadingPartSize);
  return dropped;
}

CopiedInput copyRecords(StageContext& ctx, MergeInput& input) {
  ConversionState& s = ctx.state;
  const MmvInfoBlock& info = input.leading.info;
  MmvRecordWalker walker(input.in, input.size, input.path, info.totalFrameCount());
  // Records are renumbered and rebased in the read buffer and written from it in large blocks.
  walker.passTo([&s](const uint8_t* data, std::size_t size) {
    s.mergedOutput.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    checkWritten(s.mergedOutput, s.mergedFilePath);
  });
  MmvFrameHeader header;
  CopiedInput copied;
  while (walker.nextRecord(header)) {
    ctx.pump();
    const uint8_t type = header.frameType();
    header.setSequenceNumber(s.nextFrameNumber++);
    header.setStreamTime(RebaseStreamTime(s, type, header.streamTime()));
    if (type == kFrameVideo0 || type == kFrameVideo1)
      ++s.videoFrameTally;
    else if (type == kFrameAudio)
      ++s.audioFrameTally;
    else if (type == kFrameDrv)
      ++s.drvFrameTally;
    walker.passRecord(header);
    s.bodyLength += static_cast<int64_t>(kFrameHeaderSize) + header.payloadLength();
    if (type == kFrameDrv) ++copied.drvRecords;
  }
  walker.flushPassed();
  copied.records = walker.records();
  copied.endedEarly = walker.earlyEnd().has_value();
  // A file cut inside its leading part still takes up a whole one in the merged file's reckoning.
  copied.span = copied.endedEarly ? std::max<int64_t>(static_cast<int64_t>(walker.earlyEnd()->offset), kLeadingPartSize)
                                  : static_cast<int64_t>(input.size);
  if (copied.endedEarly) {
    const int32_t seconds = static_cast<int32_t>(static_cast<uint32_t>(info.endStamp().seconds()) -
                                                 static_cast<uint32_t>(info.startStamp().seconds()));
    s.recordingWarnings.push_back(describeEarlyEnd(input.path, *walker.earlyEnd(), info.totalFrameCount(), seconds));
    ctx.log.append(s.recordingWarnings.back());
    s.missingSeconds += MissingSeconds(info, copied.records);
  }
  return copied;
}

// The seconds of recording an input gave the merged file: its stamps' span,
// less what a cut-off input misses.
int64_t recordedSecondsOf(const MmvInfoBlock& info, const CopiedInput& copied) {
  const int32_t seconds = static_cast<int32_t>(static_cast<uint32_t>(info.endStamp().seconds()) -
                                               static_cast<uint32_t>(info.startStamp().seconds()));
  if (seconds <= 0) return 0;
  return seconds - (copied.endedEarly ? MissingSeconds(info, copied.records) : 0);
}

// The body is in place behind the leading part; the leading part goes in front last.
void writeLeadingPart(ConversionState& s) {
  s.mergedOutput.seekp(0);
  s.mergedOutput.write(reinterpret_cast<const char*>(s.mergedHeader.data()),
                       static_cast<std::streamsize>(s.mergedHeader.size()));
  s.mergedOutput.flush();
  checkWritten(s.mergedOutput, s.mergedFilePath);
  s.headerFill += s.bodyLength;
}

void mergeOne(StageContext& ctx, const std::string& path, int index, int count,
              const std::string& outputPath) {
  ConversionState& s = ctx.state;
  HiddenLog& log = ctx.log;
  if (index > 1 && !(s.mergedOutput.is_open() && s.mergedFilePath == outputPath))
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
  log.append(fileNameOf(path));
  log.append("Total FrameCount = " + number(info.totalFrameCount()));
  log.append("I FrameCount = " + number(info.iFrameCount()));
  log.append("Drv FrameCount = " + number(info.drvFrameCount()));

  const CopiedInput copied = copyRecords(ctx, input);
  s.recordedSeconds += recordedSecondsOf(info, copied);
  // The merged info block counts the records the merged file really holds, so
  // its extraction walks every one of them and no further.
  s.totalFrameSum = wrappingSum(s.totalFrameSum, copied.records);
  s.drvFrameSum = wrappingSum(s.drvFrameSum, copied.drvRecords);
  const DroppedEntries dropped = collectIndex(s, input, index, copied);
  if (index == 1) {
    std::copy_n(info.data(), MmvInfoBlock::kEndStampOffset, s.infoBlock.data());  // leadBytes, startStamp
  } else if (index == count) {
    finishInfoBlock(s, info, log);
  }
  if (dropped.tableFull > 0) log.append("I Frame Index Full, Dropped Count = " + number(dropped.tableFull));
  if (dropped.pastFourGiB > 0) log.append("I Frame Index Past 4 GiB, Dropped Count = " + number(dropped.pastFourGiB));
  if (index == count) {
    std::copy_n(s.frameIndex.data(), kIFrameIndexSize, s.mergedHeader.begin() + s.headerFill);
    s.headerFill += kIFrameIndexSize;
  }

  if (index == count) writeLeadingPart(s);

  if (index == 1) {
    s.totalFileName = folderOf(path) + "Total_" + fileNameOf(path);
    log.append("Total File Name = " + s.totalFileName);
  } else if (index == count) {
    log.append("Total File Size = " + number(s.headerFill));
    log.append("H264 Count = " + number(s.videoFrameTally - 1) + ", PCM Count = " +
               number(s.audioFrameTally - 1) + ", DRV Count = " + number(s.drvFrameTally - 1));
    s.mergedOutput.close();
    if (!s.mergedOutput) {
      std::remove(s.mergedFilePath.c_str());
      throw FileError(s.mergedFilePath, "cannot write: " + systemReason(errno));
    }
  }
  log.append(kHyphenLine);
}

}  // namespace

int64_t MissingSeconds(const MmvInfoBlock& info, int32_t copiedRecords) {
  const int64_t seconds = static_cast<int32_t>(static_cast<uint32_t>(info.endStamp().seconds()) -
                                               static_cast<uint32_t>(info.startStamp().seconds()));
  const int64_t total = info.totalFrameCount();
  if (seconds <= 0 || total <= 0) return 0;
  return seconds - std::clamp<int64_t>(copiedRecords, 0, total) * seconds / total;
}

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

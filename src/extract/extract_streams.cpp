#include "extract/extract_streams.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "extract/drv_record.h"
#include "extract/drv_stream_header.h"
#include "extract/frame_window.h"
#include "core/paths.h"
#include "extract/stream_sink.h"
#include "extract/subtitle_writer.h"
#include "core/number_text.h"
#include "core/file_error.h"
#include "mmv/record_walk.h"
#include "core/file_identity.h"

namespace vk2 {

namespace {

#ifndef VK2_SMALL_BUFFERS
constexpr std::size_t kExtractReadSize = 1024u * 1024;
#else
constexpr std::size_t kExtractReadSize = kReadChunkSize;  // the fuzzing build: reads end inside records
#endif

int32_t secondsBetween(int32_t start, int32_t end) {
  // 32-bit subtraction that wraps instead of overflowing.
  return static_cast<int32_t>(static_cast<uint32_t>(end) - static_cast<uint32_t>(start));
}


class StreamExtraction {
 public:
  StreamExtraction(StageContext& ctx, const std::string& inputPath, ExtractResult& result)
      : ctx_(ctx), inputPath_(inputPath), result_(result) {}

  void run();

 private:
  void readLeadingBlocks(std::ifstream& in);
  void logCounts();
  void refuseOverwritingTheInput() const;
  void walk(std::ifstream& in, uint64_t fileSize, StreamSink& video, StreamSink& audio,
            StreamSink& drv, SubtitleWriter& writer);
  void handleMedia(MmvRecordWalker& walker, const MmvFrameHeader& h, bool inside, StreamSink& sink);
  void handleTelemetry(MmvRecordWalker& walker, const MmvFrameHeader& h, bool inside,
                       StreamSink& drv, SubtitleWriter& writer);
  void logTotals(const StreamSink& video, const StreamSink& audio, const StreamSink& drv);
  void settleResult();

  StageContext& ctx_;
  const std::string& inputPath_;
  ExtractResult& result_;

  MmvFileHeader header_;
  MmvInfoBlock info_;
  int32_t mmvSec_ = 0;
  double tenthsPerRecord_ = 0.0;
  double doubleFramePerSec_ = 0.0;
  bool subtitleEvents_ = false;
  // Read once: the time buttons stay usable while the walk pumps, and the cut
  // and the MP4's length must come from the same window.
  int32_t trimStart_ = 0;
  int32_t trimEnd_ = 0;
  FrameWindow window_;
  // The last complete record, which sets the length of a recording that ends early.
  int32_t lastComplete_ = 0;
};

void StreamExtraction::readLeadingBlocks(std::ifstream& in) {
  std::vector<uint8_t> bytes(kFileHeaderSize + kInfoBlockSize);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size()))
    throw FileError(inputPath_, "file is shorter than its " + std::to_string(bytes.size()) +
                                    "-byte file header and info block");
  header_.assign(bytes.data());
  info_.assign(bytes.data() + kInfoBlockOffset);
}

void StreamExtraction::logCounts() {
  HiddenLog& log = ctx_.log;
  const int32_t drvFrameCount = info_.drvFrameCount();
  const int32_t totalFrameCount = info_.totalFrameCount();
  mmvSec_ = secondsBetween(info_.startStamp().seconds(), info_.endStamp().seconds());
  result_.mmvSec = mmvSec_;
  log.append("MMV Sec = " + std::to_string(mmvSec_));
  log.append("totalDrvCount = " + std::to_string(drvFrameCount));
  log.append("total FrameCount = " + std::to_string(totalFrameCount));
  if (drvFrameCount != 0) tenthsPerRecord_ = static_cast<double>(mmvSec_) / drvFrameCount * 10;
  if (mmvSec_ != 0) doubleFramePerSec_ = static_cast<double>(totalFrameCount) / mmvSec_;
  log.append("doubleFramePerSec = " + generalNumber(doubleFramePerSec_, 15));

  // Without a positive length neither the cut nor the subtitle clock has a rate.
  const bool lengthKnown = mmvSec_ > 0;
  if (!lengthKnown)
    log.append("MMV Sec is " + std::to_string(mmvSec_) +
               ": every frame is kept and no subtitle events are written");
  if (drvFrameCount <= 0)
    log.append("totalDrvCount is " + std::to_string(drvFrameCount) +
               ": no subtitle events are written");
  subtitleEvents_ = lengthKnown && drvFrameCount > 0;
  trimStart_ = ctx_.state.trimStart;
  trimEnd_ = ctx_.state.trimEnd;
  window_ = FrameWindow::from(trimStart_, trimEnd_, totalFrameCount,
                              doubleFramePerSec_, lengthKnown);
}

void StreamExtraction::refuseOverwritingTheInput() const {
  const RunFiles& p = result_.paths;
  for (const std::string* out : {&p.h264, &p.pcm, &p.drv, &p.ass})
    if (sameFile(inputPath_, *out))
      throw FileError(inputPath_, "the output " + *out + " would overwrite the recording");
}

void StreamExtraction::handleMedia(MmvRecordWalker& walker, const MmvFrameHeader& h, bool inside,
                                   StreamSink& sink) {
  if (!inside) return;
  // Straight from the walker's buffer; a payload cut by a chunk end comes in two pieces.
  walker.passPayload([&sink](const uint8_t* data, std::size_t size) { sink.writeLent(data, size); });
  sink.endFrame(static_cast<std::size_t>(h.payloadLength()));
}

void StreamExtraction::handleTelemetry(MmvRecordWalker& walker, const MmvFrameHeader& h,
                                       bool inside, StreamSink& drv, SubtitleWriter& writer) {
  if (h.payloadLength() != static_cast<int32_t>(kDrvRecordSize)) {
    ctx_.log.append("DRV frame " + std::to_string(h.sequenceNumber()) + " skipped: payloadLength " +
                    std::to_string(h.payloadLength()) + " is not " +
                    std::to_string(kDrvRecordSize));
    return;
  }
  if (!inside) return;
  const uint8_t* payload = walker.viewPayload();
  if (subtitleEvents_) writer.AddRecordEvents(drv.frames(), DrvRecord::read(payload));
  drv.writeFrame(payload, kDrvRecordSize);
}

void StreamExtraction::walk(std::ifstream& in, uint64_t fileSize, StreamSink& video, StreamSink& audio,
                            StreamSink& drv, SubtitleWriter& writer) {
  const int32_t totalFrameCount = info_.totalFrameCount();
  // Payloads are not copied here, so a larger read costs no cache misses and
  // means fewer gathered writes.
  MmvRecordWalker walker(in, fileSize, inputPath_, totalFrameCount, kExtractReadSize);
  // Payloads are written from the walker's buffer, before it is reused.
  walker.beforeBufferReuse([&video, &audio] {
    video.release();
    audio.release();
  });
  MmvFrameHeader h;
  while (walker.nextRecord(h)) {
    ctx_.pump();
    const bool inside = window_.contains(h.sequenceNumber());
    switch (h.frameType()) {
      case kFrameVideo0:
      case kFrameVideo1:
        handleMedia(walker, h, inside, video);
        break;
      case kFrameAudio:
        handleMedia(walker, h, inside, audio);
        break;
      case kFrameDrv:
        handleTelemetry(walker, h, inside, drv, writer);
        break;
      default:
        break;  // the next record skips its payload
    }
    lastComplete_ = h.sequenceNumber();
  }
  video.release();
  audio.release();
  if (const auto& end = walker.earlyEnd()) {
    result_.endedEarly = true;
    result_.warning = describeEarlyEnd(inputPath_, *end, totalFrameCount, mmvSec_);
    ctx_.log.append(result_.warning);
  }
}

void StreamExtraction::logTotals(const StreamSink& video, const StreamSink& audio,
                                 const StreamSink& drv) {
  HiddenLog& log = ctx_.log;
  log.append(fileNameOf(inputPath_));
  log.append("H264 Size = " + std::to_string(video.bytes()) + ", PCM Size = " +
             std::to_string(audio.bytes()) + ", DRV Size = " + std::to_string(drv.bytes()));
  if (mmvSec_ != 0)
    log.append("H264 Count = " + std::to_string(video.frames() - 1) +
               ", Frame = " + std::to_string((video.frames() - 1) / mmvSec_) +
               ", PCM Count = " + std::to_string(audio.frames() - 1) +
               ", DRV Count = " + std::to_string(drv.frames() - 1));
  result_.videoWritten = video.frames();
  result_.audioWritten = audio.frames();
  result_.drvWritten = drv.frames();
  result_.videoBytes = video.bytes();
  result_.audioBytes = audio.bytes();
  result_.drvBytes = drv.bytes();
}

void StreamExtraction::settleResult() {
  int64_t duration = static_cast<int64_t>(mmvSec_) - (static_cast<int64_t>(trimStart_) + trimEnd_);
  if (result_.endedEarly && doubleFramePerSec_ > 0 && duration > 0) {
    // A cut-off recording lasts as long as its complete records: the MP4's
    // length and frame rate come from them, to the nearest second.
    const double keptEnd = lastComplete_ / doubleFramePerSec_;
    if (keptEnd < static_cast<double>(mmvSec_) - trimEnd_) {
      const double kept = keptEnd - trimStart_;
      duration = kept > 0 ? std::max<int64_t>(1, std::llround(kept)) : 0;
    }
  }
  result_.durationSec = static_cast<int32_t>(std::clamp<int64_t>(duration, INT32_MIN, INT32_MAX));
  if (duration > 0 && result_.videoWritten > 0)
    result_.frameRate = (result_.videoWritten - 1) / static_cast<double>(duration);
  if (result_.endedEarly && (duration <= 0 || result_.videoWritten == 0)) {
    result_.error = result_.warning + "; no complete video is left in the chosen time window";
    return;
  }
  if (duration <= 0) {
    result_.nothingToConvert = true;
    result_.error = inputPath_ + ": nothing to convert: the time window is " +
                    std::to_string(duration) + " seconds long";
    return;
  }
  result_.ok = true;
}

void StreamExtraction::run() {
  errno = 0;
  std::ifstream in(inputPath_, std::ios::binary);
  if (!in) throw FileError(inputPath_, "cannot open: " + systemReason(errno));
  const uint64_t fileSize = fileSizeOf(inputPath_);
  readLeadingBlocks(in);
  logCounts();
  refuseOverwritingTheInput();

  const RunFiles& paths = result_.paths;
  StreamSink video(paths.h264);
  StreamSink audio(paths.pcm);
  StreamSink drv(paths.drv);
  const auto drvHeader =
      drvStreamHeader(fileNameOf(paths.drv), info_.drvFrameCount(), info_.startStamp());
  drv.writeBytes(drvHeader.data(), drvHeader.size());

  SubtitleWriter writer(ctx_, tenthsPerRecord_);
  writer.StartScript(header_);
  walk(in, fileSize, video, audio, drv, writer);
  clearForNewFile(paths.ass);
  writer.SaveScript(paths.ass);
  video.close();
  audio.close();
  drv.close();
  in.close();
  logTotals(video, audio, drv);
  settleResult();
}

}  // namespace

ExtractResult ExtractStreams(StageContext& ctx, const std::string& inputPath, const RunFiles& files,
                             bool keepDrv) {
  ExtractResult result;
  result.paths = files;
  try {
    StreamExtraction(ctx, inputPath, result).run();
  } catch (const FileError& e) {
    result.ok = false;
    result.error = e.what();
  } catch (const std::exception& e) {
    result.ok = false;
    result.error = inputPath + ": " + e.what();
  }
  if (!keepDrv) removeFileQuietly(result.paths.drv);
  ctx.pump();
  return result;
}

}  // namespace vk2

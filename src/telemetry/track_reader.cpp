#include "telemetry/track_reader.h"

#include <optional>

#include "core/file_error.h"
#include "extract/extract_streams.h"
#include "extract/frame_window.h"
#include "mmv/record_walk.h"
#include "telemetry/recording_file.h"
#include "telemetry/selection_totals.h"

namespace vk2 {

namespace {

class TrackWalk {
 public:
  TrackWalk(StageContext& ctx, const TrackVisitor& visit) : ctx_(ctx), visit_(visit) {}

  TrackReading run();

 private:
  void setWindow(int32_t startSeconds, int32_t endSeconds, int32_t totalFrameCount);
  void walkAlone(const std::string& path);
  void walkMerged(const std::vector<std::string>& files);
  bool take(MmvRecordWalker& walker, const MmvFrameHeader& header, int32_t number);

  StageContext& ctx_;
  const TrackVisitor& visit_;
  TrackReading reading_;
  FrameWindow window_;
  std::vector<uint8_t> payload_;
  // Why the extraction would stop at a media record, when it would.
  std::optional<std::string> stop_;
};

void TrackWalk::setWindow(int32_t startSeconds, int32_t endSeconds, int32_t totalFrameCount) {
  const int32_t seconds =
      static_cast<int32_t>(static_cast<uint32_t>(endSeconds) - static_cast<uint32_t>(startSeconds));
  const double framesPerSecond = seconds != 0 ? static_cast<double>(totalFrameCount) / seconds : 0.0;
  window_ = FrameWindow::from(ctx_.state.trimStart, ctx_.state.trimEnd, totalFrameCount, framesPerSecond,
                              seconds > 0);
}

// One record with a usable header, numbered as the extraction numbers it; false
// ends the walk, as the extraction's walk ends there.
bool TrackWalk::take(MmvRecordWalker& walker, const MmvFrameHeader& header, int32_t number) {
  const int32_t length = header.payloadLength();
  switch (header.frameType()) {
    case kFrameVideo0:
    case kFrameVideo1:
    case kFrameAudio:
      if (static_cast<std::size_t>(length) > kMaxPayloadSize) {
        stop_ = "payloadLength " + std::to_string(length) + " of record " + std::to_string(header.sequenceNumber()) +
                " at offset " + std::to_string(walker.recordOffset()) + " exceeds " +
                std::to_string(kMaxPayloadSize) + " bytes";
        return false;
      }
      return walker.skipPayload();
    case kFrameDrv:
      if (length != static_cast<int32_t>(kDrvRecordSize) || !window_.contains(number)) return walker.skipPayload();
      if (!walker.readPayload(payload_)) return false;
      visit_(DrvRecord::read(payload_.data()));
      ++reading_.records;
      return true;
    default:
      return walker.skipPayload();
  }
}

void TrackWalk::walkAlone(const std::string& path) {
  RecordingFile file(path, /*merged=*/false);
  const int32_t count = file.info.totalFrameCount();
  setWindow(file.info.startStamp().seconds(), file.info.endStamp().seconds(), count);
  MmvRecordWalker walker(file.in, file.size, path, count);
  MmvFrameHeader header;
  EarlyEnd end{kLeadingPartSize, 0, std::string()};
  while (count > walker.lastSequenceNumber()) {
    ctx_.pump();
    if (!walker.nextHeader(header)) break;
    if (!holdsRecordNumber(header) || header.payloadLength() <= 0) {
      end.reason = strayHeaderReason(header, walker.recordOffset());
      break;
    }
    if (!take(walker, header, header.sequenceNumber())) break;
    end.lastRecord = header.sequenceNumber();
    end.offset = walker.position();
  }
  if (stop_) end.reason = *stop_;
  if (end.reason.empty()) end.reason = damageReason(walker, path);
  if (!end.reason.empty()) reading_.warnings.push_back(describeEarlyEnd(path, end, count, file.seconds()));
}

void TrackWalk::walkMerged(const std::vector<std::string>& files) {
  SelectionTotals totals = MergedTotals(ctx_, files);
  reading_.warnings = std::move(totals.warnings);
  setWindow(totals.startSeconds, totals.endSeconds, totals.totalFrameCount);
  int32_t number = 0;  // the record's sequence number in the merged recording
  for (const std::string& path : files) {
    RecordingFile file(path, /*merged=*/true);
    const int32_t count = file.info.totalFrameCount();
    MmvRecordWalker walker(file.in, file.size, path, count);
    MmvFrameHeader header;
    EarlyEnd end{kLeadingPartSize, 0, std::string()};
    while (walker.nextHeader(header)) {
      ctx_.pump();
      // What the merge leaves out of this file; MergedTotals has told why.
      if (!holdsRecordNumber(header) || !walker.payloadFits()) break;
      // The extraction of the merged recording ends at its count.
      if (++number > totals.totalFrameCount) return;
      if (header.payloadLength() <= 0) end.reason = strayHeaderReason(header, walker.recordOffset());
      if (end.reason.empty() && !take(walker, header, number)) {
        // Every payload copied by the merge was read whole; a read that fails now is the medium's.
        if (!stop_) throw FileError(path, damageReason(walker, path));
        end.reason = *stop_;
      }
      if (!end.reason.empty()) {
        reading_.warnings.push_back(describeEarlyEnd(path, end, count, file.seconds()));
        return;
      }
      end.lastRecord = header.sequenceNumber();
      end.offset = walker.position();
    }
  }
}

TrackReading TrackWalk::run() {
  const std::vector<std::string> files = ctx_.state.selectedFiles;
  payload_.reserve(kDrvRecordSize);
  if (files.size() == 1)
    walkAlone(files.front());
  else if (files.size() >= 2)
    walkMerged(files);
  return std::move(reading_);
}

}  // namespace

TrackReading ReadTrack(StageContext& ctx, const TrackVisitor& visit) { return TrackWalk(ctx, visit).run(); }

}  // namespace vk2

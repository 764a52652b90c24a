#include "telemetry/track_reader.h"

#include "core/file_error.h"
#include "extract/frame_window.h"
#include "mmv/record_walk.h"
#include "telemetry/recording_file.h"
#include "telemetry/selection_totals.h"

namespace vk2 {

namespace {

class TrackWalk {
 public:
  TrackWalk(StageContext& ctx, const PlacedTrackVisitor& visit) : ctx_(ctx), visit_(visit) {}

  TrackReading run();

 private:
  void setWindow(int32_t startSeconds, int32_t endSeconds, int32_t totalFrameCount);
  // Walks one recording; a merged selection numbers its records on from `number`.
  // Returns the early end's text when its complete records end before its count.
  std::string walk(RecordingFile& file, std::size_t index, int32_t& number, bool merged);

  StageContext& ctx_;
  const PlacedTrackVisitor& visit_;
  TrackReading reading_;
  FrameWindow window_;
  double windowFramesPerSecond_ = 0.0;
  std::vector<uint8_t> payload_;
};

void TrackWalk::setWindow(int32_t startSeconds, int32_t endSeconds, int32_t totalFrameCount) {
  const int32_t seconds =
      static_cast<int32_t>(static_cast<uint32_t>(endSeconds) - static_cast<uint32_t>(startSeconds));
  const double framesPerSecond = seconds != 0 ? static_cast<double>(totalFrameCount) / seconds : 0.0;
  windowFramesPerSecond_ = seconds > 0 ? framesPerSecond : 0.0;
  window_ = FrameWindow::from(ctx_.state.trimStart, ctx_.state.trimEnd, totalFrameCount, framesPerSecond,
                              seconds > 0);
}

std::string TrackWalk::walk(RecordingFile& file, std::size_t index, int32_t& number, bool merged) {
  const int32_t count = file.info.totalFrameCount();
  const int32_t seconds = file.seconds();
  const double secondsPerFrame = seconds > 0 && count > 0 ? static_cast<double>(seconds) / count : 0.0;
  MmvRecordWalker walker(file.in, file.size, file.path, count);
  MmvFrameHeader header;
  while (walker.nextRecord(header)) {
    ctx_.pump();
    // Numbered as the extraction sees the record: in the merged file, or in its own.
    number = merged ? number + 1 : header.sequenceNumber();
    if (header.frameType() != kFrameDrv || header.payloadLength() != static_cast<int32_t>(kDrvRecordSize) ||
        !window_.contains(number))
      continue;
    walker.readPayload(payload_);
    const double intoVideo = windowFramesPerSecond_ > 0 ? (number - window_.first) / windowFramesPerSecond_ : 0.0;
    visit_(DrvRecord::read(payload_.data()), RecordPlace{index, header.sequenceNumber() * secondsPerFrame, intoVideo});
    ++reading_.records;
  }
  const auto& end = walker.earlyEnd();
  return end ? describeEarlyEnd(file.path, *end, count, file.seconds()) : std::string();
}

TrackReading TrackWalk::run() {
  const std::vector<std::string> files = ctx_.state.selectedFiles;
  payload_.reserve(kDrvRecordSize);
  int32_t number = 0;
  if (files.size() == 1) {
    RecordingFile file(files.front());
    setWindow(file.info.startStamp().seconds(), file.info.endStamp().seconds(), file.info.totalFrameCount());
    if (std::string warning = walk(file, 0, number, false); !warning.empty()) reading_.warnings.push_back(warning);
  } else if (files.size() >= 2) {
    // The window of the merged recording, whose info block counts what the merge copies.
    SelectionTotals totals = MergedTotals(ctx_, files);
    reading_.warnings = std::move(totals.warnings);
    setWindow(totals.startSeconds, totals.endSeconds, totals.totalFrameCount);
    for (std::size_t i = 0; i < files.size(); ++i) {
      RecordingFile file(files[i]);
      walk(file, i, number, true);
    }
  }
  return std::move(reading_);
}

}  // namespace

TrackReading ReadPlacedTrack(StageContext& ctx, const PlacedTrackVisitor& visit) {
  return TrackWalk(ctx, visit).run();
}

TrackReading ReadTrack(StageContext& ctx, const TrackVisitor& visit) {
  return ReadPlacedTrack(ctx, [&visit](const DrvRecord& record, const RecordPlace&) { visit(record); });
}

}  // namespace vk2

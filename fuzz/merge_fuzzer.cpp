// The merge of two or three recordings, interrupted at a point the input
// chooses, then the extraction of the merged file; the telemetry the track
// reader finds in the inputs must be what the extraction of the merge finds.
#include "core/file_error.h"
#include "extract/extract_streams.h"
#include "fuzz_support.h"
#include "mmv/merge.h"
#include "telemetry/track_reader.h"

using namespace vk2;
using namespace vk2::fuzz;

namespace {

struct Interrupted {};

bool namesAny(const std::string& message, const std::vector<std::string>& paths) {
  for (const std::string& p : paths)
    if (names(message, p)) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Controls controls(data, size);
  const PlainConversionOptions options = optionsFrom(controls);
  ConversionState state;
  state.trimStart = controls.byte() % 16;
  state.trimEnd = controls.byte() % 16;
  const uint16_t interruptAt = controls.u16();  // 0: never

  std::vector<std::vector<uint8_t>> files = splitFiles(controls.body(), controls.bodySize(), 3);
  if (files.size() == 1) files.push_back(files.front());
  const std::string inFolder = scratchSubfolder("in");
  const std::string outFolder = scratchSubfolder("out");
  std::vector<std::string> inputs;
  for (const auto& bytes : files) {
    inputs.push_back(inFolder + "rec_" + std::to_string(inputs.size() + 1) + ".mmv");
    writeBytes(inputs.back(), bytes);
  }
  const std::string merged = outFolder + "X.mp4";
  state.selectedFiles = inputs;

  HiddenLog log, subtitles;
  int pumps = 0;
  StageContext ctx{state, log, subtitles, options, [&] {
                     if (++pumps == interruptAt) throw Interrupted{};
                   },
                   nullptr, {}};
  const int count = static_cast<int>(inputs.size());
  std::string mergeError;
  bool interrupted = false;
  try {
    for (int i = 0; i < count; ++i) MergeMmvFile(ctx, inputs[i], i + 1, count, merged);
  } catch (const FileError& e) {
    mergeError = e.what();
    require(namesAny(mergeError, inputs) || names(mergeError, merged), "a merge error that names no file: " + mergeError);
  } catch (const Interrupted&) {
    interrupted = true;
  }
  for (std::size_t i = 0; i < inputs.size(); ++i)
    require(readBytes(inputs[i]) == files[i], "the merge changed input " + std::to_string(i + 1));
  require(namesIn(inFolder).size() == inputs.size(), "the merge wrote beside the inputs");
  if (!mergeError.empty() || interrupted) {
    require(namesIn(outFolder).empty(), "a failed or interrupted merge left its output");
    clearScratch();
    return 0;
  }
  require(namesIn(outFolder) == std::vector<std::string>{"X.mp4"}, "the merge wrote more than its output");

  ctx.pump = [] {};
  const ExtractResult r = ExtractStreams(ctx, merged, RunFiles::forConversion(merged, 1));
  require(r.ok || !r.error.empty(), "a failed extraction without a reason");

  // The track is read from the inputs as the merge would join them.
  try {
    const TrackReading track = ReadTrack(ctx, [](const DrvRecord&) {});
    require(track.records == r.drvWritten, "the track holds " + std::to_string(track.records) +
                                               " records, the extraction of the merge " +
                                               std::to_string(r.drvWritten));
  } catch (const FileError& e) {
    broken(std::string("the track reader refused inputs that merged: ") + e.what());
  }
  clearScratch();
  return 0;
}

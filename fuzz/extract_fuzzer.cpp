// The demultiplexer with the subtitle writer over one recording, with the
// subtitle choices, the trims and the target's name taken from the input.
#include <algorithm>

#include "core/file_error.h"
#include "extract/extract_streams.h"
#include "fuzz_support.h"
#include "telemetry/track_reader.h"

using namespace vk2;
using namespace vk2::fuzz;

namespace {

const char* const kTargets[] = {"X.mp4", "X.mkv", "X", "-x.mp4", "a.b.mp4"};

bool holdsLineBreak(const std::string& line) {
  return line.find('\r') != std::string::npos || line.find('\n') != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Controls controls(data, size);
  const PlainConversionOptions options = optionsFrom(controls);
  ConversionState state;
  // Any trims, not only those the dialog allows: the cut must hold for all.
  state.trimStart = controls.i8();
  state.trimEnd = controls.i8();
  if (controls.flag()) state.trimStart *= 1000;
  const bool keepDrv = controls.flag();
  const std::string target = kTargets[controls.below(std::size(kTargets))];

  const std::string in = scratchSubfolder("in") + "rec.mmv";
  const std::vector<uint8_t> recording(controls.body(), controls.body() + controls.bodySize());
  writeBytes(in, recording);
  const std::string outFolder = scratchSubfolder("out");
  HiddenLog log, subtitles;
  StageContext ctx{state, log, subtitles, options, [] {}, nullptr, {}};

  const ExtractResult r = ExtractStreams(ctx, in, RunFiles::forConversion(outFolder + target, 1), keepDrv);

  require(readBytes(in) == recording, "the extraction changed the recording");
  require(namesIn(scratchSubfolder("in")) == std::vector<std::string>{"rec.mmv"},
          "the extraction wrote beside the recording");
  if (!r.ok) require(!r.error.empty(), "a failed extraction without a reason");
  if (!r.error.empty())
    require(names(r.error, in) || names(r.error, outFolder), "an extraction error that names no file: " + r.error);
  if (r.endedEarly) require(names(r.warning, in), "an early-end warning that names no file: " + r.warning);
  if (r.ok) {
    require(r.durationSec > 0, "a successful extraction with a window of " + std::to_string(r.durationSec) + " s");
    for (const std::string* p : {&r.paths.h264, &r.paths.pcm, &r.paths.ass})
      require(exists(*p), "the extraction did not write " + *p);
    require(exists(r.paths.drv) == keepDrv, "the telemetry stream kept against the choice");
  }
  // Text from the recording never adds a line to the script.
  require(std::none_of(subtitles.lines().begin(), subtitles.lines().end(), holdsLineBreak),
          "a subtitle line holds a line break");
  if (r.ok) {
    std::size_t lineEnds = 0;
    for (uint8_t b : readBytes(r.paths.ass)) lineEnds += b == '\n';
    require(lineEnds == subtitles.lines().size(), "the saved script's lines differ from the script's");
  }
  // The track file gets exactly the records the subtitles get.
  state.selectedFiles = {in};
  try {
    const TrackReading track = ReadTrack(ctx, [](const DrvRecord&) {});
    require(track.records == r.drvWritten, "the track holds " + std::to_string(track.records) +
                                               " records, the extraction " + std::to_string(r.drvWritten));
  } catch (const FileError& e) {
    require(!r.ok, std::string("the track reader refused a recording that extracted: ") + e.what());
  }
  clearScratch();
  return 0;
}

#pragma once
// A track file from the selection of a conversion: the records its subtitle
// writer gets, in one of the track formats.
#include <cstdint>
#include <string>
#include <vector>

#include "core/stage_context.h"
#include "telemetry/track_format.h"

namespace vk2 {

struct TrackExport {
  int32_t records = 0;                // telemetry records inside the window
  std::vector<std::string> warnings;  // recordings that end early; a window without records or without a position fix
};

// Refuses, with a FileError, a target that is one of the selected recordings, a
// folder or another file that is not a regular one (CheckRunFiles).
void CheckTrackTarget(const std::vector<std::string>& recordings, const std::string& target);

// Writes the track of ctx.state.selectedFiles, cut to the window of
// ctx.state.trimStart/trimEnd, to `target` in `format`, following the speed
// unit and subtitle clock of ctx.options. Written beside the target first and
// renamed over it when complete. Appends "Track File = <target>" and the record
// count to ctx.log. Throws FileError naming the file and the reason; whatever
// ctx.pump() throws ends it without a file.
TrackExport ExportTrack(StageContext& ctx, const std::string& target, TrackFormat format);

}  // namespace vk2

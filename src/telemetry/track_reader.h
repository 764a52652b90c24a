#pragma once
// The telemetry records of a selection, exactly those the conversion's subtitle
// writer gets: one recording walked as the stream extraction walks it, or two
// to fifteen walked as the merge joins them (records numbered on across the
// files), and either cut by sequence number to the time window as the
// extraction cuts it. Records are read one at a time through the stages' walker.
//
// The window keeps every record when the recording's length is not positive,
// as the extraction's cut does (the subtitle writer then gets none, for want of
// a clock; a track needs none: each record carries its own time).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/stage_context.h"
#include "extract/drv_record.h"

namespace vk2 {

// Called once per telemetry record inside the window, in recording order. The
// record's sampleTime is its UTC time in seconds since 1970.
using TrackVisitor = std::function<void(const DrvRecord&)>;

// Where a record lies: which file of the selection, and how far into that
// file's video, by its own sequence number at its own frame rate, as the trims
// place a window (0 when the file's length is not positive).
struct RecordPlace {
  std::size_t file = 0;
  double secondsIntoFile = 0.0;
  // How far into the converted video: from the window's first record, by the
  // number the extraction gives the record (in the merged file for two or
  // more) at that file's rate. Equals secondsIntoFile less the start trim for
  // one recording; 0 when the length is not positive.
  double secondsIntoVideo = 0.0;
};
using PlacedTrackVisitor = std::function<void(const DrvRecord&, const RecordPlace&)>;

struct TrackReading {
  int32_t records = 0;                // records given to the visitor
  std::vector<std::string> warnings;  // recordings that end early: where, and what is missing
};

// Walks ctx.state.selectedFiles with the trims ctx.state.trimStart and trimEnd
// as the scan and the window left them. Calls ctx.pump() once per record.
// Throws FileError naming a recording that cannot be read.
TrackReading ReadTrack(StageContext& ctx, const TrackVisitor& visit);
// The same walk, each record with its place.
TrackReading ReadPlacedTrack(StageContext& ctx, const PlacedTrackVisitor& visit);

}  // namespace vk2

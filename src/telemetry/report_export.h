#pragma once
// The report page of a selection: its records and episodes read once, as the
// track files and the conversion see them, and written as one HTML file.
#include <cstdint>
#include <string>
#include <vector>

#include "core/stage_context.h"

namespace vk2 {

struct ReportExport {
  int32_t records = 0;
  std::size_t episodes = 0;
  std::vector<std::string> warnings;  // recordings that end early; a window without records
};

// The page beside a video: "X.mp4" (or "X.mkv") gives "X.html".
std::string reportPathBeside(const std::string& videoPath);

// Writes the page of ctx.state.selectedFiles with its trims to `target`, its
// times, date layout, clock and speed unit following ctx.options; `video`, when
// not empty, is the video the page plays, referred to relative to the page.
// Written beside the target first and renamed over it when complete, so a page
// already there stays when this fails. Refuses a target that is a selected
// recording or no regular file (CheckRunFiles). Throws FileError naming the
// file and the reason; whatever ctx.pump() throws ends it without a page.
ReportExport ExportReport(StageContext& ctx, const std::string& target, const std::string& video);

}  // namespace vk2

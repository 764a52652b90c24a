#include "telemetry/report_export.h"

#include <algorithm>
#include <filesystem>

#include "core/filesystem_names.h"
#include "core/paths.h"
#include "core/run_files.h"
#include "telemetry/event_episodes.h"
#include "telemetry/recording_file.h"
#include "telemetry/replacing_file.h"
#include "telemetry/report_page.h"
#include "telemetry/track_reader.h"
#include "telemetry/track_text.h"

namespace vk2 {

namespace {

// The video as the page refers to it: relative to the page's folder, with '/'.
std::string videoHref(const std::string& page, const std::string& video) {
  if (folderOf(page) == folderOf(video)) return urlPath(utf8Text(fileNameOf(video)));
  std::error_code ec;
  const std::filesystem::path from = std::filesystem::absolute(pathOf(folderOf(page).empty() ? "." : folderOf(page)), ec);
  const std::filesystem::path to = std::filesystem::absolute(pathOf(video), ec);
  std::string relative = nameOf(to.lexically_relative(from));
  if (relative.empty()) relative = nameOf(to);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return urlPath(utf8Text(relative));
}

}  // namespace

std::string reportPathBeside(const std::string& videoPath) {
  const std::size_t dot = videoPath.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= folderOf(videoPath).size();
  return (hasExtension ? videoPath.substr(0, dot) : videoPath) + ".html";
}

ReportExport ExportReport(StageContext& ctx, const std::string& target, const std::string& video) {
  CheckRunFiles(ctx.state.selectedFiles, RunFiles::forTrack(target));
  ReportData data;
  data.recordings = ctx.state.selectedFiles;
  if (!data.recordings.empty()) data.vehicle = RecordingFile(data.recordings.front()).header.vehicleNumber();
  if (!video.empty()) {
    data.videoHref = videoHref(target, video);
    data.videoName = fileNameOf(video);
  }
  data.display = EpisodeDisplay{ctx.options.rbTimeLocal(), ctx.options.cbSubDateFormat(), ctx.options.rbSub12h(),
                                ctx.options.rbSpeedKmh()};
  EpisodeFinder finder;
  TrackReading reading = ReadPlacedTrack(ctx, [&](const DrvRecord& r, const RecordPlace& place) {
    finder.feed(r, place);
    ReportSample s;
    s.videoSeconds = place.secondsIntoVideo;
    s.clock = r.sampleTime;
    s.speedKmh = r.speedKmh;
    s.engineRpm = r.engineRpm;
    s.accel[0] = r.accelX;
    s.accel[1] = r.accelY;
    s.accel[2] = r.accelZ;
    s.fix = hasPositionFix(r);
    s.latitude = r.latitude;
    s.longitude = r.longitude;
    data.samples.push_back(s);
  });
  data.episodes = finder.finish();

  ReplacingFile file(target);
  writeReportPage(file.stream(), data);
  file.commit();

  ReportExport result;
  result.records = reading.records;
  result.episodes = data.episodes.size();
  result.warnings = std::move(reading.warnings);
  if (reading.records == 0) result.warnings.push_back(target + ": no telemetry record lies in the time window");
  ctx.log.append("Report File = " + target);
  ctx.log.append("Report Records = " + std::to_string(reading.records));
  return result;
}

}  // namespace vk2

#pragma once
// The report page of a trip: one HTML file that opens offline in any current
// browser, with the route, the charts over the trip's time, the episodes and,
// when there is one, the video beside it. Everything is inline but the video;
// the page's own script only moves a cursor and seeks the video.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "telemetry/episode_text.h"
#include "telemetry/event_episodes.h"

namespace vk2 {

// One telemetry record as the page draws it.
struct ReportSample {
  double videoSeconds = 0.0;  // RecordPlace::secondsIntoVideo
  int32_t clock = 0;          // the record's own, seconds since 1970 UTC
  int speedKmh = 0;
  int engineRpm = 0;
  int16_t accel[3] = {0, 0, 0};  // X, Y, Z in thousandths of g
  bool fix = false;
  double latitude = 0.0;
  double longitude = 0.0;
};

struct ReportData {
  std::string vehicle;                  // as the recording names it
  std::vector<std::string> recordings;  // the selection, as given
  std::string videoHref;                // relative to the page, URL-encoded; "" for none
  std::string videoName;                // the video's name as shown
  std::vector<ReportSample> samples;    // every record of the window, in order
  std::vector<EventEpisode> episodes;
  EpisodeDisplay display;
};

// Writes the page. Texts from recordings and paths are escaped for where they
// go; numbers use '.' whatever the locale.
void writeReportPage(std::ostream& out, const ReportData& data);

// `text` for HTML text and quoted attribute values: & < > " ' escaped, bytes
// that are not UTF-8 taken as Latin-1.
std::string htmlText(const std::string& text);
// `json` made safe inside a <script> element: every '<' as \u003c.
std::string scriptSafe(const std::string& json);
// A relative path as a URL path: bytes outside the unreserved set and '/' percent-encoded.
std::string urlPath(const std::string& path);

// The indices of the samples the charts draw: at most one per half second of
// video, the one furthest from rest, so a jolt is not thinned away.
std::vector<std::size_t> chartSamples(const std::vector<ReportSample>& samples);
// The indices of the fixed samples the route draws: the Douglas-Peucker
// simplification to within `metres` of the full line.
std::vector<std::size_t> routeSamples(const std::vector<ReportSample>& samples, double metres);

}  // namespace vk2

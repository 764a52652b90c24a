// The report page: texts from recordings stay text in every context, the drawn
// points are thinned but the table is not, the video is placed as the
// conversion places it, and nothing but the video is referred to.
#include "telemetry/report_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "core/file_error.h"
#include "telemetry/report_export.h"
#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

TEST(ReportPage, TextsFromRecordingsStayText) {
  EXPECT_EQ(htmlText("a<b>&\"c'\xE9"), "a&lt;b&gt;&amp;&quot;c&#39;\xC3\xA9");
  EXPECT_EQ(scriptSafe("{\"v\":\"</script>\"}"), "{\"v\":\"\\u003c/script>\"}");
  EXPECT_EQ(urlPath("out/a b#1?%\xC3\xA9.mp4"), "out/a%20b%231%3F%25%C3%A9.mp4");

  const std::string hostile = "</script><img src=x onerror=alert(1)>";
  ReportData data;
  data.vehicle = hostile;
  data.recordings = {"dir/<b>&\".mmv"};
  data.videoHref = urlPath("\"><script>.mp4");
  data.videoName = hostile + ".mp4";
  for (int i = 0; i < 20; ++i) {
    ReportSample s;
    s.videoSeconds = i;
    s.clock = kStart + i;
    s.fix = true;
    s.latitude = 48.1 + i * 1e-4;
    s.longitude = 11.5;
    data.samples.push_back(s);
  }
  EventEpisode e;
  e.kind = 6;
  e.startClock = e.endClock = kStart + 4;
  e.start.secondsIntoVideo = 4;
  e.position = TrackPosition{48.1004, 11.5, kStart + 4};
  data.episodes = {e};
  std::ostringstream out;
  writeReportPage(out, data);
  const std::string page = out.str();
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_EQ(count(page, "<script"), 2u);  // the data island and the page's own script
  EXPECT_EQ(count(page, "</script>"), 2u);
  EXPECT_NE(page.find("src=\"%22%3E%3Cscript%3E.mp4\""), std::string::npos);
  EXPECT_NE(page.find("<title>Trip report: &lt;/script&gt;&lt;img src=x onerror=alert(1)&gt;, "), std::string::npos);
  EXPECT_NE(page.find(">&lt;b&gt;&amp;&quot;.mmv<"), std::string::npos);
  // Nothing outside the page is referred to but the video and the events' map links.
  EXPECT_EQ(count(page, "src=\""), 1u);
  EXPECT_EQ(count(page, "href=\""), 1u);
  EXPECT_NE(page.find("href=\"https://www.openstreetmap.org/?mlat=48.1004000&amp;mlon=11.5000000#map=17/"
                      "48.1004000/11.5000000\" rel=\"noopener noreferrer\""),
            std::string::npos);
  EXPECT_EQ(count(page, "<tr data-t=\"4.000\">"), 1u);
}

TEST(ReportPage, DrawnPointsAreThinnedNeverTheTable) {
  // Ten records a second for 15 minutes, on a straight line with one corner.
  std::vector<ReportSample> samples;
  for (int i = 0; i < 9000; ++i) {
    ReportSample s;
    s.videoSeconds = i / 10.0;
    s.fix = true;
    s.latitude = 48.0 + std::min(i, 4500) * 1e-5;
    s.longitude = 11.0 + std::max(0, i - 4500) * 1e-5;
    samples.push_back(s);
  }
  samples[1234].accel[0] = 900;  // a jolt between two kept samples
  const std::vector<std::size_t> chart = chartSamples(samples);
  EXPECT_EQ(chart.size(), 1800u);
  EXPECT_NE(std::find(chart.begin(), chart.end(), 1234u), chart.end());
  EXPECT_EQ(routeSamples(samples, 2.0), (std::vector<std::size_t>{0, 4500, 8999}));
  samples[4500].fix = false;  // the corner unknown: a fix beside it takes its place
  const std::vector<std::size_t> cut = routeSamples(samples, 2.0);
  EXPECT_EQ(cut.size(), 3u);
  EXPECT_EQ(std::abs(static_cast<int>(cut.at(1)) - 4500), 1);
}

// The page of a selection with an episode: the table's cells are the episode
// texts in the chosen layouts; the video's moments follow the start trim.
TEST(ReportPage, ExportFollowsTheOptionsAndTheTrims) {
  testing::TempDir dir;
  std::vector<DrvRecord> records;
  for (int i = 0; i < 12; ++i) {
    records.push_back(testing::drvAt(kStart + i, 48.1 + i * 1e-4, 11.5, static_cast<uint8_t>(40 + i)));
    records.back().panicState = i == 6 ? 1 : 0;
  }
  testing::telemetryRecording(records).writeTo(dir.file("a.mmv"));
  std::filesystem::create_directories(dir.file("out"));
  testing::StageHarness h;
  h.state.selectedFiles = {dir.file("a.mmv")};
  h.state.trimStart = 2;
  h.options.speedKmh = false;
  h.options.sub12h = false;
  h.options.timeLocal = false;
  const ReportExport r = ExportReport(h.ctx, dir.file("out/p.html"), dir.file("x y.mp4"));
  EXPECT_EQ(r.records, 10);
  EXPECT_EQ(r.episodes, 1u);
  const std::string page = testing::readText(dir.file("out/p.html"));
  // Two frames a record: the raise is record 13 of the file, 6.5 s in, 4.5 s into the trimmed video.
  EXPECT_NE(page.find("<tr data-t=\"4.500\"><td><span class=\"dot\" style=\"background:#111111\"></span>Panic</td>"
                      "<td>10/29/2021 08:05:09 UTC</td><td>08:05:09 UTC</td><td>0</td><td>a.mmv</td><td>6.5</td>"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<td>29 mph</td><td>29 mph</td>"), std::string::npos);
  EXPECT_NE(page.find("src=\"../x%20y.mp4\""), std::string::npos);
  EXPECT_NE(page.find("\"speed_unit\":\"mph\""), std::string::npos);
  // A page that cannot be written leaves the one there as it was.
  testing::writeText(dir.file("a.html"), "older");
  h.state.selectedFiles.push_back(dir.file("missing.mmv"));
  EXPECT_THROW(ExportReport(h.ctx, dir.file("a.html"), ""), FileError);
  EXPECT_EQ(testing::readText(dir.file("a.html")), "older");
  EXPECT_EQ(reportPathBeside("d.x/X.mp4"), "d.x/X.html");
  EXPECT_EQ(reportPathBeside("d.x/X"), "d.x/X.html");
}

}  // namespace
}  // namespace vk2

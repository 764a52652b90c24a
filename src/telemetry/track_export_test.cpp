// A track reaches its target whole or not at all, and never over a recording.
#include "telemetry/track_export.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::readText;
using testing::StageHarness;
using testing::TempDir;
using testing::thrownMessage;

constexpr int32_t kStart = 1635494703;

struct ExportCase {
  TempDir dir;
  StageHarness h;
  explicit ExportCase(const std::string& recording = "rec.mmv") {
    std::vector<DrvRecord> records;
    for (int i = 0; i < 6; ++i) records.push_back(testing::drvAt(kStart + i, 50 + i * 0.001, 8, 30));
    testing::telemetryRecording(records).writeTo(dir.file(recording));
    h.state.selectedFiles = {dir.file(recording)};
  }
};

TEST(TrackExport, ReplacesAnExistingFileOnlyWhenComplete) {
  ExportCase c;
  testing::writeText(c.dir.file("t.gpx"), "an earlier track");
  testing::writeText(c.dir.file("t.gpx.part"), "someone else's file");
  // Ctrl-C after the third record: nothing new is left, the earlier file stays.
  int pumps = 0;
  c.h.ctx.pump = [&pumps] {
    if (++pumps == 3) throw std::runtime_error("interrupted");
  };
  EXPECT_EQ(thrownMessage([&] { ExportTrack(c.h.ctx, c.dir.file("t.gpx"), TrackFormat::Gpx); }), "interrupted");
  EXPECT_EQ(c.dir.entries(), (std::vector<std::string>{"rec.mmv", "t.gpx", "t.gpx.part"}));
  EXPECT_EQ(readText(c.dir.file("t.gpx")), "an earlier track");

  c.h.ctx.pump = [] {};
  const TrackExport done = ExportTrack(c.h.ctx, c.dir.file("t.gpx"), TrackFormat::Gpx);
  EXPECT_EQ(done.records, 6);
  EXPECT_TRUE(done.warnings.empty());
  EXPECT_EQ(c.dir.entries(), (std::vector<std::string>{"rec.mmv", "t.gpx", "t.gpx.part"}));
  EXPECT_EQ(readText(c.dir.file("t.gpx.part")), "someone else's file");
  EXPECT_NE(readText(c.dir.file("t.gpx")).find("</gpx>"), std::string::npos);
  EXPECT_EQ(c.h.log.lines().back(), "Track Records = 6");
}

TEST(TrackExport, AWindowWithoutRecordsIsWrittenWithAWarning) {
  TempDir dir;
  synth::MmvBuilder b;
  b.setTimes(kStart, kStart + 2);
  b.add(kFrameVideo0, {0, 0, 0, 1}).writeTo(dir.file("rec.mmv"));
  StageHarness h;
  h.state.selectedFiles = {dir.file("rec.mmv")};
  const TrackExport done = ExportTrack(h.ctx, dir.file("t.csv"), TrackFormat::Csv);
  EXPECT_EQ(done.warnings, std::vector<std::string>{dir.file("t.csv") + ": no telemetry record lies in the time window"});
  EXPECT_EQ(testing::splitLines(readText(dir.file("t.csv"))).size(), 1u);
}

TEST(TrackFormat, ByExtensionAndName) {
  EXPECT_EQ(trackFormatOfPath("a/B.GeoJSON"), TrackFormat::GeoJson);
  EXPECT_EQ(trackFormatOfPath(".gpx"), std::nullopt);
  EXPECT_EQ(trackFormatNamed("KML"), std::nullopt);
  EXPECT_EQ(trackPathBeside("out.d/X.mp4", TrackFormat::Csv), "out.d/X.csv");
}

}  // namespace
}  // namespace vk2

// Episodes from hand-made records: the join rule, kinds apart, and what an
// episode reports, through the same walk the track files take.
#include "telemetry/event_episodes.h"

#include <gtest/gtest.h>

#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::drvAt;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

std::vector<EventEpisode> episodesOf(const std::vector<DrvRecord>& records) {
  EpisodeFinder finder;
  for (std::size_t i = 0; i < records.size(); ++i) finder.feed(records[i], RecordPlace{0, static_cast<double>(i)});
  return finder.finish();
}

// One record a second from kStart; `raise` lists the seconds G-Sensor is raised.
std::vector<DrvRecord> seconds(int count, const std::vector<int>& raise) {
  std::vector<DrvRecord> records;
  for (int s = 0; s < count; ++s) {
    DrvRecord r = drvAt(kStart + s, 48.0 + s * 0.001, 11.0, static_cast<uint8_t>(10 + s));
    r.accelZ = 1000;  // at rest
    if (std::find(raise.begin(), raise.end(), s) != raise.end()) r.gsensorState = 2;
    records.push_back(r);
  }
  return records;
}

TEST(EventEpisodes, RaisesAtMostThreeSecondsApartJoinAndKindsStayApart) {
  // 2..3 and 6 join (3 s apart); 10 does not (4 s after 6); state 3 raises nothing.
  std::vector<DrvRecord> r = seconds(14, {2, 3, 6, 10});
  r[12].gsensorState = 3;
  r[3].panicState = 1;
  r[4].panicState = 1;
  r[4].latitude = r[4].longitude = 0;  // Panic starts without a fix
  r[5].speedKmh = 200;                 // between two G-Sensor raises: in the episode
  r[8].speedKmh = 250;                 // after it
  const std::vector<EventEpisode> e = episodesOf(r);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_STREQ(e[0].name(), "G-Sensor");
  EXPECT_EQ(e[0].startClock, kStart + 2);
  EXPECT_EQ(e[0].endClock, kStart + 6);
  EXPECT_EQ(e[0].start.secondsIntoFile, 2.0);
  EXPECT_EQ(e[0].end.secondsIntoFile, 6.0);
  EXPECT_EQ(e[0].startSpeedKmh, 12);
  EXPECT_EQ(e[0].maxSpeedKmh, 200);
  ASSERT_TRUE(e[0].position);
  EXPECT_DOUBLE_EQ(e[0].position->latitude, 48.002);
  EXPECT_STREQ(e[1].name(), "Panic");  // starts later, though it opened at second 3
  EXPECT_EQ(e[1].startClock, kStart + 3);
  EXPECT_EQ(e[1].endClock, kStart + 4);
  EXPECT_STREQ(e[2].name(), "G-Sensor");
  EXPECT_EQ(e[2].startClock, kStart + 10);
  EXPECT_EQ(e[2].endClock, kStart + 10);
  EXPECT_EQ(e[2].maxSpeedKmh, 20);

  // Panic at 3 and 4: its start has a fix, the end has none; the order is by start.
  std::vector<DrvRecord> p = seconds(6, {});
  p[1].panicState = 2;
  p[1].latitude = p[1].longitude = 0;
  const std::vector<EventEpisode> none = episodesOf(p);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_FALSE(none[0].position);

  // The same clock running back starts afresh; a clock standing still joins.
  std::vector<DrvRecord> back = seconds(3, {0, 1, 2});
  back[2].sampleTime = kStart - 60;
  EXPECT_EQ(episodesOf(back).size(), 2u);
  std::vector<DrvRecord> still = seconds(3, {0, 2});
  for (DrvRecord& x : still) x.sampleTime = kStart;
  EXPECT_EQ(episodesOf(still).size(), 1u);
}

TEST(EventEpisodes, TheLargestAccelerationWithinTwoSeconds) {
  // Raised at 5..6; jolts of growing size at 2, 3 (2 s before), 8 (2 s after), 9.
  std::vector<DrvRecord> r = seconds(12, {5, 6});
  r[2].accelX = 3000;
  r[3].accelY = -600;
  r[3].accelX = 800;  // √(0.8² + 0.6²) = 1.0
  r[8].accelZ = -200;  // |−0.2 − 1| = 1.2
  r[9].accelX = 5000;
  std::vector<EventEpisode> e = episodesOf(r);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_DOUBLE_EQ(e[0].maxAcceleration, 1.2);
  r[8].accelZ = 1000;
  e = episodesOf(r);
  EXPECT_DOUBLE_EQ(e[0].maxAcceleration, 1.0);
  // At rest the Z axis carries gravity alone.
  EXPECT_DOUBLE_EQ(accelerationFromRest(r[0]), 0.0);
}

TEST(EventEpisodes, PlacesAcrossTheFilesOfAMergedSelection) {
  testing::TempDir dir;
  std::vector<DrvRecord> a = seconds(6, {4, 5});
  std::vector<DrvRecord> b = seconds(12, {0});
  for (DrvRecord& x : b) x.sampleTime += 6;
  b[8].fcwState = 1;
  testing::telemetryRecording(a).writeTo(dir.file("a.mmv"));
  testing::telemetryRecording(b).writeTo(dir.file("b.mmv"));
  testing::StageHarness h;
  h.state.selectedFiles = {dir.file("a.mmv"), dir.file("b.mmv")};
  const std::vector<EventEpisode> e = FindEpisodes(h.ctx).episodes;
  ASSERT_EQ(e.size(), 2u);
  // Two frames a record, numbered from 1: record k of a file is k + 0.5 s into it.
  EXPECT_STREQ(e[0].name(), "G-Sensor");
  EXPECT_EQ(e[0].start.file, 0u);
  EXPECT_DOUBLE_EQ(e[0].start.secondsIntoFile, 4.5);
  EXPECT_EQ(e[0].end.file, 1u);
  EXPECT_DOUBLE_EQ(e[0].end.secondsIntoFile, 0.5);
  EXPECT_STREQ(e[1].name(), "FCW");
  EXPECT_EQ(e[1].start.file, 1u);
  EXPECT_DOUBLE_EQ(e[1].start.secondsIntoFile, 8.5);
  // On the merged video's timeline: b's records follow a's 12 frames; a start trim moves them all.
  EXPECT_DOUBLE_EQ(e[0].start.secondsIntoVideo, 4.5);
  EXPECT_DOUBLE_EQ(e[1].start.secondsIntoVideo, 14.5);
  h.state.trimStart = 2;
  EXPECT_DOUBLE_EQ(FindEpisodes(h.ctx).episodes.at(1).start.secondsIntoVideo, 12.5);
}

}  // namespace
}  // namespace vk2

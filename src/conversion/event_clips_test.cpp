// The clips of a trip's episodes: windows held within the recordings and joined
// when they overlap, across files and a gap between them, the trims' minimum,
// and the batch's names; then a clip batch over hand-made recordings.
#include "conversion/clip_batch.h"

#include <gtest/gtest.h>

#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC
constexpr std::size_t kFcw = 0, kGSensor = 4, kPanic = 6;

EventEpisode episode(std::size_t kind, std::size_t file, double from, double to, std::size_t endFile = SIZE_MAX) {
  EventEpisode e;
  e.kind = kind;
  e.start = RecordPlace{file, from};
  e.end = RecordPlace{endFile == SIZE_MAX ? file : endFile, to};
  e.startClock = kStart + static_cast<int32_t>(from);
  return e;
}

std::vector<ClipFile> files(const std::vector<std::pair<int32_t, int32_t>>& spans) {
  std::vector<ClipFile> out;
  for (const auto& [from, to] : spans)
    out.push_back(ClipFile{std::string("f").append(std::to_string(out.size())), kStart + from, kStart + to, 2 * (to - from)});
  return out;
}

TEST(EventClips, WindowsJoinAcrossFilesAndAreHeldWithinTheTrip) {
  // Two minute-long files. G-Sensor at 50..52 and FCW 5 s into the second file:
  // their windows (30..62, 45..75) overlap and make one clip over both files;
  // Panic at 115 reaches only into the second file, and its window past the trip's end is held.
  const std::vector<ClipFile> trip = files({{0, 60}, {60, 120}});
  std::vector<EventClip> clips = planClips(
      trip, {episode(kGSensor, 0, 50, 52), episode(kFcw, 1, 5, 5), episode(kPanic, 1, 55, 55)}, ClipMargins{});
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(clips[0].files, (std::vector<std::string>{"f0", "f1"}));
  EXPECT_EQ(clips[0].trimStart, 30);
  EXPECT_EQ(clips[0].trimEnd, 45);
  EXPECT_EQ(clips[0].kindsText(), "G-Sensor, FCW");
  EXPECT_EQ(clips[0].episodes, 2u);
  EXPECT_EQ(clips[1].files, std::vector<std::string>{"f1"});
  EXPECT_EQ(clips[1].trimStart, 35);
  EXPECT_EQ(clips[1].trimEnd, 0);
  EXPECT_EQ(clips[1].windowStart(), kStart + 95);
  EXPECT_EQ(clips[1].windowEnd(), kStart + 120);
  testing::ScopedTimeZone utc("UTC0");
  EXPECT_EQ(clipDescription(clips[0], false), "2021-10-29 08:05:33 - 2021-10-29 08:06:18, 45 s, G-Sensor, FCW");

  // Touching windows join; an episode ending in the next file takes both.
  clips = planClips(trip, {episode(kFcw, 0, 10, 10), episode(kFcw, 0, 40, 59.5, 1)}, ClipMargins{0, 30});
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].kindsText(), "FCW");
  EXPECT_EQ(clips[0].files.size(), 2u);

  // A 3-second gap: a window across it takes the next file too, and the trims
  // count the merged recording's frames (123 s for 240 frames): 55 s into the
  // first file is frame 110, 56.4 s into the selection.
  clips = planClips(files({{0, 60}, {63, 123}}), {episode(kGSensor, 0, 55, 55)}, ClipMargins{5, 10});
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].files.size(), 2u);
  EXPECT_EQ(clips[0].trimStart, 51);
  EXPECT_EQ(clips[0].trimEnd, 56);
}

TEST(EventClips, TheTrimsMinimumAndNamesForTheBatch) {
  // No margins at the file's end: widened to 5 s, its end first.
  std::vector<EventClip> clips = planClips(files({{0, 60}}), {episode(kPanic, 0, 58, 58)}, ClipMargins{0, 0});
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].trimStart, 55);
  EXPECT_EQ(clips[0].trimEnd, 0);
  // A selection of 3-second files takes in its neighbours; a trip of 4 s is taken whole.
  clips = planClips(files({{0, 3}, {3, 6}, {6, 9}}), {episode(kFcw, 1, 1, 1)}, ClipMargins{0, 0});
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].files, (std::vector<std::string>{"f1", "f2"}));
  EXPECT_EQ(clips[0].windowEnd() - clips[0].windowStart(), 5);
  clips = planClips(files({{0, 4}}), {episode(kFcw, 0, 1, 1)}, ClipMargins{});
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].trimStart + clips[0].trimEnd, 0);

  // The same second and kind in two trips (a copy of a card): "-2"; the zone is the time basis's.
  std::vector<EventClip> batch = planClips(files({{0, 60}}), {episode(kGSensor, 0, 50, 50)}, ClipMargins{});
  batch.push_back(batch.front());
  batch.push_back(planClips(files({{0, 60}}), {episode(kFcw, 0, 50, 50)}, ClipMargins{}).front());
  testing::ScopedTimeZone tokyo("JST-9");  // nine hours ahead of UTC, no daylight saving
  nameClips(batch, true, ".mkv");
  EXPECT_EQ(batch[0].name, "20211029_170553_G-Sensor.mkv");
  EXPECT_EQ(batch[1].name, "20211029_170553_G-Sensor-2.mkv");
  EXPECT_EQ(batch[2].name, "20211029_170553_FCW.mkv");
  nameClips(batch, false, ".mp4");
  EXPECT_EQ(batch[0].name, "20211029_080553_G-Sensor.mp4");
  EXPECT_TRUE(planClips(files({{0, 60}}), {}, ClipMargins{}).empty());
}

// One record a second; `raise` lists the seconds G-Sensor is raised.
std::vector<DrvRecord> records(int32_t from, int count, const std::vector<int>& raise) {
  std::vector<DrvRecord> out;
  for (int s = 0; s < count; ++s) {
    DrvRecord r = testing::drvAt(from + s, 48.0, 11.0);
    if (std::find(raise.begin(), raise.end(), s) != raise.end()) r.gsensorState = 1;
    out.push_back(r);
  }
  return out;
}

TEST(EventClips, ABatchReadsEveryTripThenMakesEveryClip) {
  testing::TempDir dir;
  testing::ScopedTimeZone utc("UTC0");
  testing::telemetryRecording(records(kStart, 30, {3})).writeTo(dir.file("a.mmv"));
  testing::telemetryRecording(records(kStart + 30, 30, {27})).writeTo(dir.file("b.mmv"));
  testing::telemetryRecording(records(kStart + 3600, 20, {})).writeTo(dir.file("c.mmv"));
  testing::StageHarness h;
  h.state.selectedFiles = {"kept.mmv"};
  const std::vector<Trip> trips = FindTrips({dir.path()}, false).trips;
  ASSERT_EQ(trips.size(), 2u);
  std::vector<std::string> seen;
  ClipBatchCallbacks callbacks;
  callbacks.tripRead = [&](std::size_t i, std::size_t n) { seen.push_back("read " + std::to_string(i + 1) + "/" + std::to_string(n)); };
  callbacks.clipStarted = [&](std::size_t i, std::size_t n, const EventClip& clip) {
    seen.push_back("clip " + std::to_string(i + 1) + "/" + std::to_string(n) + " " + clip.kindsText());
  };
  callbacks.convert = [&](const std::string& target) {
    seen.push_back(target + " " + std::to_string(h.state.selectedFiles.size()) + " files, trims " +
                   std::to_string(h.state.trimStart) + "+" + std::to_string(h.state.trimEnd));
    RunOutcome outcome;
    outcome.status = seen.size() > 5 ? RunStatus::Failed : RunStatus::Succeeded;
    outcome.message = "Making the MP4 failed";
    return outcome;
  };
  ClipBatch batch(h.ctx, trips, ClipSettings{"/out/", ClipMargins{2, 2}, false, ".mp4"}, callbacks);
  const TripBatchResult result = batch.run();
  // Records a second, two frames each: record k of a file is k + 0.5 s into it.
  EXPECT_EQ(seen, (std::vector<std::string>{"read 1/2", "read 2/2", "clip 1/2 G-Sensor",
                                            "/out/20211029_080506_G-Sensor.mp4 1 files, trims 1+24",
                                            "clip 2/2 G-Sensor",
                                            "/out/20211029_080600_G-Sensor.mp4 1 files, trims 25+0"}));
  EXPECT_EQ(clipBatchMessage(result, "/out/"),
            "1 of 2 clips was converted into /out/.\nClip 2 (20211029_080600_G-Sensor.mp4): Making the MP4 failed");
  EXPECT_EQ(h.state.selectedFiles, std::vector<std::string>{"kept.mmv"});

  ClipBatch none(h.ctx, {trips[1]}, ClipSettings{"/out/", ClipMargins{}, false, ".mp4"}, callbacks);
  const TripBatchResult empty = none.run();
  EXPECT_EQ(clipBatchMessage(empty, "/out/"), "No alarm event was found in the trips, so no clip was made.");
}

}  // namespace
}  // namespace vk2

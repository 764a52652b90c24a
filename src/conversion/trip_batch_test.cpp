#include "conversion/trip_batch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "testing/stage_harness.h"
#include "testing/small_recordings.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using Names = std::vector<std::string>;

constexpr int32_t kMorning = 1635494703;  // 2021-10-29 08:05:03 UTC

// Only the info block counts for a trip's scan.

struct BatchFixture : testing::StageHarness {
  testing::TempDir dir;
  testing::ScopedTimeZone zone{"UTC0"};
  std::vector<Trip> trips;
  Names targets;

  // Trip 1: two 6-second files; trip 2 an hour later: one 20-second file.
  BatchFixture() {
    testing::writeKeyFrameRecording(dir.file("b.mmv"), kMorning, 6);
    testing::writeKeyFrameRecording(dir.file("a.mmv"), kMorning + 6, 6);
    testing::writeKeyFrameRecording(dir.file("c.mmv"), kMorning + 3600, 20);
    trips = FindTrips({dir.path()}, false).trips;
    options.timeLocal = false;
  }
  TripBatchResult run(int32_t trimStart, int32_t trimEnd, std::function<RunOutcome(const std::string&)> convert,
                      TripBatch** batchOut = nullptr) {
    TripBatchCallbacks callbacks;
    callbacks.convert = [&, convert](const std::string& target) {
      targets.push_back(target);
      return convert(target);
    };
    TripBatch batch(ctx, trips, TripSettings{"/out/", trimStart, trimEnd, false, ".mkv"}, std::move(callbacks));
    if (batchOut) *batchOut = &batch;
    return batch.run();
  }
};

RunOutcome outcome(RunStatus status, std::string message = "") {
  RunOutcome o;
  o.status = status;
  o.message = std::move(message);
  return o;
}

TEST(TripBatch, EveryTripWithTheSameTrimsUnderItsOwnName) {
  BatchFixture f;
  f.state.selectedFiles = {"earlier.mmv"};
  std::vector<std::pair<Names, int32_t>> prepared;
  const TripBatchResult r = f.run(2, 1, [&](const std::string&) {
    prepared.emplace_back(f.state.selectedFiles, f.state.trimStart + f.state.trimEnd);
    return outcome(RunStatus::Succeeded);
  });
  EXPECT_EQ(f.targets, (Names{"/out/20211029_080505_9.mkv", "/out/20211029_090505_17.mkv"}));
  ASSERT_EQ(prepared.size(), 2u);
  EXPECT_EQ(prepared[0].first, (Names{f.dir.file("b.mmv"), f.dir.file("a.mmv")}));
  EXPECT_EQ(prepared[1].second, 3);
  EXPECT_TRUE(r.allConverted());
  EXPECT_EQ(r.message("/out/"), "2 of 2 trips were converted into /out/.");
  EXPECT_EQ(f.state.selectedFiles, Names{"earlier.mmv"});  // the selection as before the batch
}

// A copy of the card's last recording proposes its name: the copy gets "-2",
// under the trims too, and neither replaces the other.
TEST(TripBatch, TripsProposingOneNameGetOneFileEach) {
  BatchFixture f;
  testing::writeText(f.dir.file("c copy.mmv"), testing::readText(f.dir.file("c.mmv")));
  f.trips = FindTrips({f.dir.path()}, false).trips;
  const TripBatchResult r = f.run(1, 0, [](const std::string&) { return outcome(RunStatus::Succeeded); });
  EXPECT_EQ(f.targets, (Names{"/out/20211029_080504_11.mkv", "/out/20211029_090504_19.mkv",
                              "/out/20211029_090504_19-2.mkv"}));
  EXPECT_EQ(r.message("/out/"), "3 of 3 trips were converted into /out/.");
}

// A trip whose conversion fails is the windows' and the trips command's test.
TEST(TripBatch, ATooShortTripLetsTheOthersGoOn) {
  BatchFixture f;
  // Trims of 8 s leave 4 of trip 1's 12 seconds: too short; trip 2 converts.
  const TripBatchResult r = f.run(4, 4, [](const std::string&) { return outcome(RunStatus::Succeeded); });
  EXPECT_EQ(f.targets, Names{"/out/20211029_090507_12.mkv"});
  EXPECT_EQ(r.message("/out/"),
            "1 of 2 trips was converted into /out/.\nTrip 1: " + f.dir.file("b.mmv") +
                ": the trip of 12 seconds is too short for the trims of 4 seconds at the start and 4 at the end "
                "(at least 5 seconds must be left)");
}

TEST(TripBatch, ACancelledTripEndsTheBatch) {
  BatchFixture f;
  TripBatch* batch = nullptr;
  const TripBatchResult r = f.run(
      0, 0,
      [&](const std::string&) {
        batch->requestCancel();
        return outcome(RunStatus::Cancelled, "The conversion was cancelled.");
      },
      &batch);
  EXPECT_EQ(f.targets.size(), 1u);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.message("/out/"),
            "0 of 2 trips were converted into /out/.\nTrip 1 (20211029_080503_12.mkv): The conversion was "
            "cancelled. No further trip was converted.");
}
}  // namespace
}  // namespace vk2

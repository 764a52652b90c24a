// vk2mp4 events, and trips --json: the episodes of hand-made recordings byte for
// byte in each output, across the join of a merged selection and across a card's
// trips, and the usage errors. In Seoul, so local time is not UTC.
#include <gtest/gtest.h>

#include "mmv/trips.h"
#include "telemetry/episode_text.h"
#include "testing/command_run.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

using testing::CommandRun;
using testing::runCommand;
using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC, 17:05:03 in Seoul

CommandRun events(const Args& args) { return runCommand(runEventsCommand, args); }

// Records `from` to `to` - 1 seconds after kStart, at rest; G-Sensor raised at 4..6,
// its largest jolt at 5, and FCW at 14 without a fix.
void writeRecording(const std::string& path, int from, int to) {
  std::vector<DrvRecord> records;
  for (int s = from; s < to; ++s) {
    DrvRecord r = testing::drvAt(kStart + s, 48.0 + s * 0.001, 11.0, static_cast<uint8_t>(10 + s));
    r.accelZ = 1000;
    if (s >= 4 && s <= 6) r.gsensorState = 2;
    if (s == 5) r.accelY = -1234;
    if (s == 14) {
      r.fcwState = 1;
      r.latitude = r.longitude = 0;
    }
    records.push_back(r);
  }
  testing::telemetryRecording(records).writeTo(path);
}

// A JSON parser reads the document whole; the Windows tests have no shell to run it.
void expectParses([[maybe_unused]] const std::string& json) {
#ifndef _WIN32
  TempDir dir;
  testing::writeText(dir.file("doc.json"), json);
  EXPECT_EQ(testing::commandOutput("python3 -c 'import json,sys; json.load(sys.stdin)' < " +
                                   testing::shellQuoted(dir.file("doc.json")) + " 2>&1 && echo valid"),
            "valid\n");
#endif
}

TEST(EventsCommand, LinesJsonAndCsvOfAMergedSelection) {
  testing::ScopedTimeZone seoul("KST-9");  // no daylight saving
  TempDir dir;
  const std::string a = dir.file("a.mmv"), b = dir.file("b.mmv");
  writeRecording(a, 0, 6);
  writeRecording(b, 6, 18);
  // G-Sensor runs on across the join, named by the file it starts in.
  const std::string gsensor = "G-Sensor 10/29/2021 PM 05:05:07 - PM 05:05:09 (2 s), " + a +
                              " at 4.5 s, 48.0040000, 11.0000000, 14 km/h, highest 16 km/h, 1.23 g\n";
  const std::string fcw = "FCW 10/29/2021 PM 05:05:17 - PM 05:05:17 (0 s), " + b +
                          " at 8.5 s, none, 24 km/h, highest 24 km/h, 0.00 g\n";
  CommandRun r = events({a, b});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, gsensor + fcw + "2 event episodes in 2 recordings\n");
  r = events({"--time-basis", "utc", "--clock", "24h", "--date-format", "3", "--speed", "mph", a, b});
  EXPECT_EQ(testing::splitLines(r.out).at(0),
            "G-Sensor 2021.10.29 08:05:07 UTC - 08:05:09 UTC (2 s), " + a +
                " at 4.5 s, 48.0040000, 11.0000000, 9 mph, highest 10 mph, 1.23 g");
  // The trims cut the records as the subtitles': the window starts inside the episode.
  r = events({"--trim-start", "5", "--", a, b});
  EXPECT_EQ(testing::splitLines(r.out).at(0),
            "G-Sensor 10/29/2021 PM 05:05:08 - PM 05:05:09 (1 s), " + a +
                " at 5.5 s, 48.0050000, 11.0000000, 15 km/h, highest 16 km/h, 1.23 g");
  EXPECT_EQ(events({a}).out, "G-Sensor 10/29/2021 PM 05:05:07 - PM 05:05:08 (1 s), " + a +
                                 " at 4.5 s, 48.0040000, 11.0000000, 14 km/h, highest 15 km/h, 1.23 g\n"
                                 "1 event episode in 1 recording\n");

  r = events({"--json", a, b});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "{\"episodes\":[\n"
            "{\"kind\":\"G-Sensor\",\"start\":\"2021-10-29T08:05:07Z\",\"start_local\":\"2021-10-29T17:05:07+09:00\","
            "\"end\":\"2021-10-29T08:05:09Z\",\"end_local\":\"2021-10-29T17:05:09+09:00\","
            "\"recording\":" + jsonString(a) +
            ",\"seconds_into_recording\":4.5,\"latitude\":48.0040000,\"longitude\":11.0000000,"
            "\"speed_kmh_at_start\":14,\"highest_speed_kmh\":16,\"largest_acceleration_g\":1.234},\n"
            "{\"kind\":\"FCW\",\"start\":\"2021-10-29T08:05:17Z\",\"start_local\":\"2021-10-29T17:05:17+09:00\","
            "\"end\":\"2021-10-29T08:05:17Z\",\"end_local\":\"2021-10-29T17:05:17+09:00\","
            "\"recording\":" + jsonString(b) + ",\"seconds_into_recording\":8.5,\"latitude\":null,\"longitude\":null,"
            "\"speed_kmh_at_start\":24,\"highest_speed_kmh\":24,\"largest_acceleration_g\":0.000}\n"
            "]}\n");
  expectParses(r.out);
  r = events({"--csv", a, b});
  EXPECT_EQ(r.out,
            "kind,start,start_local,end,end_local,recording,seconds_into_recording,latitude,longitude,"
            "speed_kmh_at_start,highest_speed_kmh,largest_acceleration_g\r\n"
            "G-Sensor,2021-10-29T08:05:07Z,2021-10-29T17:05:07+09:00,2021-10-29T08:05:09Z,2021-10-29T17:05:09+09:00," +
                a + ",4.5,48.0040000,11.0000000,14,16,1.234\r\n"
                "FCW,2021-10-29T08:05:17Z,2021-10-29T17:05:17+09:00,2021-10-29T08:05:17Z,2021-10-29T17:05:17+09:00," +
                b + ",8.5,,,24,24,0.000\r\n");
  // None found is no failure.
  writeRecording(dir.file("calm.mmv"), 20, 26);
  EXPECT_EQ(events({"--json", dir.file("calm.mmv")}).out, "{\"episodes\":[]}\n");
  EXPECT_EQ(events({dir.file("calm.mmv")}).out, "0 event episodes in 1 recording\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.mmv", "b.mmv", "calm.mmv"}));
}

// A card of two trips and a file that cannot be read: trips --json lists what
// events --card goes through, and the skipped file stays out of the JSON and CSV output.
TEST(EventsCommand, EveryTripOfACardAndTripsAsJson) {
  testing::ScopedTimeZone seoul("KST-9");  // no daylight saving
  TempDir dir;
  const std::string card = dir.path();
  const std::string a = card + "a.mmv", b = card + "b.mmv", c = card + "c.mmv";
  writeRecording(a, 0, 6);
  writeRecording(b, 6, 18);
  writeRecording(c, 3600, 3606);
  testing::writeText(card + "junk.mmv", "x");
  const std::vector<std::string> unreadable = FindTrips({card}, false).unreadable;
  ASSERT_EQ(unreadable.size(), 1u);

  CommandRun r = events({"--card", card});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "trip 1: 2021-10-29 17:05:03 - 2021-10-29 17:05:21, 18 s, 2 files, 20211029_170503_18\n"
                   "  G-Sensor 10/29/2021 PM 05:05:07 - PM 05:05:09 (2 s), " + a +
                   " at 4.5 s, 48.0040000, 11.0000000, 14 km/h, highest 16 km/h, 1.23 g\n"
                   "  FCW 10/29/2021 PM 05:05:17 - PM 05:05:17 (0 s), " + b +
                   " at 8.5 s, none, 24 km/h, highest 24 km/h, 0.00 g\n"
                   "trip 2: 2021-10-29 18:05:03 - 2021-10-29 18:05:09, 6 s, 1 file, 20211029_180503_6\n"
                   "unreadable: " + unreadable[0] + "\n"
                   "2 event episodes; 2 trips in 4 MMV files\n");

  const std::string trip1 =
      "{\"number\":1,\"start\":\"2021-10-29T08:05:03Z\",\"start_local\":\"2021-10-29T17:05:03+09:00\","
      "\"end\":\"2021-10-29T08:05:21Z\",\"end_local\":\"2021-10-29T17:05:21+09:00\",\"seconds\":18,"
      "\"files\":[" + jsonString(a) + "," + jsonString(b) + "],\"name\":\"20211029_080503_18\"";
  const std::string trip2 =
      "{\"number\":2,\"start\":\"2021-10-29T09:05:03Z\",\"start_local\":\"2021-10-29T18:05:03+09:00\","
      "\"end\":\"2021-10-29T09:05:09Z\",\"end_local\":\"2021-10-29T18:05:09+09:00\",\"seconds\":6,"
      "\"files\":[" + jsonString(c) + "],\"name\":\"20211029_090503_6\"";
  const std::string skipped = "],\"unreadable\":[" + jsonString(unreadable[0]) + "],\"unusable\":[]}\n";
  r = runCommand(runTripsCommand, {"--json", "--time-basis", "utc", card});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "{\"trips\":[\n" + trip1 + "},\n" + trip2 + "}\n" + skipped);
  expectParses(r.out);

  r = events({"--json", "--time-basis", "utc", "--card", card});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "vk2mp4: unreadable: " + unreadable[0] + "\n");
  EXPECT_EQ(r.out.substr(0, trip1.size() + 26), "{\"trips\":[\n" + trip1 + ",\"episodes\":[\n{");
  EXPECT_NE(r.out.find("\"highest_speed_kmh\":24,\"largest_acceleration_g\":0.000}\n]},\n" + trip2 +
                       ",\"episodes\":[]}\n" + skipped),
            std::string::npos);
  expectParses(r.out);
  r = events({"--csv", "--card", card});
  EXPECT_EQ(r.err, "vk2mp4: unreadable: " + unreadable[0] + "\n");
  const std::vector<std::string> rows = testing::splitLines(r.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "trip,kind,start,start_local,end,end_local,recording,seconds_into_recording,latitude,longitude,"
                     "speed_kmh_at_start,highest_speed_kmh,largest_acceleration_g\r");
  EXPECT_EQ(rows[2].substr(0, 6), "1,FCW,");
}

TEST(EventsCommand, UsageErrorsAndFailures) {
  TempDir dir;
  const std::string a = dir.file("a.mmv");
  writeRecording(a, 0, 6);
  const std::pair<Args, std::string> mistakes[] = {
      {{}, "no MMV file given"},
      {{"--json", "--csv", a}, "--json and --csv cannot be used together"},
      {{"--card", dir.path(), a}, "--card takes a folder instead of MMV files"},
      {{"--recursive", a}, "--recursive needs --card"},
      {{"--trim-end", "0", "--card", dir.path()}, "--trim-start and --trim-end cannot be used with --card"},
      {{"--card", dir.path(), "--card", dir.path()}, "--card: one folder at a time"},
      {{"-o", "x.txt", a}, "unknown option '-o'"},
      {{"--speed", "knots", a}, "--speed: expected kmh or mph, not 'knots'"},
      {{a, "--clock"}, "--clock: missing value"},
      {{"--trim-start", "3", a}, "--trim-start 3 and --trim-end 0 leave 3 seconds of the 6-second recording; a "
                                 "trimmed window must be at least 5 seconds long"},
  };
  for (const auto& [args, problem] : mistakes) {
    const CommandRun r = events(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "vk2mp4: " + problem + "; see vk2mp4 events --help\n");
  }
  const CommandRun missing = events({"--card", dir.file("none")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("vk2mp4: " + dir.file("none") + ": ", 0), 0u) << missing.err;
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.mmv"});
}

}  // namespace
}  // namespace vk2::cli

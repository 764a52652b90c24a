// vk2mp4 track: the format by the extension, the scan's refusals, the options
// that the track follows, and the exit statuses.
#include <gtest/gtest.h>

#include "testing/command_run.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

using testing::CommandRun;
using testing::readText;
using testing::runCommand;
using testing::splitLines;
using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

CommandRun track(const Args& args) { return runCommand(runTrackCommand, args); }

TEST(TrackCommand, UsageErrorsAreStatus2) {
  TempDir dir;
  testing::writeDriveRecording(dir.file("a.mmv"), kStart, 10);
  for (const Args& args : {Args{dir.file("a.mmv")}, Args{"-o", dir.file("t.txt"), dir.file("a.mmv")},
                           Args{"-o", dir.file("t.gpx"), "--track", "gpx", dir.file("a.mmv")},
                           Args{"-o", dir.file("t.gpx"), "--trim-start", "9", dir.file("a.mmv")}}) {
    const CommandRun r = track(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(splitLines(r.err).size(), 1u) << r.err;
    const std::string help = "; see vk2mp4 track --help\n";
    EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), help.size())), help);
  }
  EXPECT_EQ(track({dir.file("a.mmv")}).err, "vk2mp4: -o: the track file is missing; see vk2mp4 track --help\n");
  EXPECT_EQ(track({"-o", dir.file("t.gpx"), "--trim-start", "3", "--trim-end", "3", dir.file("a.mmv")}).err,
            "vk2mp4: --trim-start 3 and --trim-end 3 leave 4 seconds of the 10-second recording; a trimmed window "
            "must be at least 5 seconds long; see vk2mp4 track --help\n");
  // --track belongs to convert alone.
  EXPECT_EQ(runCommand(runExtractCommand, {"--track", "gpx", dir.file("a.mmv")}).status, 2);
  const CommandRun bogus = runCommand(runConvertCommand, {"--track", "shp", dir.file("a.mmv")});
  EXPECT_EQ(bogus.status, 2);
  EXPECT_NE(bogus.err.find("--track: expected gpx, kml, geojson or csv, not 'shp'"), std::string::npos);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.mmv"});
}

TEST(TrackCommand, MergedSelectionWithOptions) {
  TempDir dir;
  testing::writeDriveRecording(dir.file("a.mmv"), kStart, 10);
  testing::writeDriveRecording(dir.file("b.mmv"), kStart + 10, 10);
  const CommandRun r = track({"--speed", "mph", "--sub-time", "utc", "--trim-start", "2", "--trim-end", "3", "--log",
                              dir.file("run.log"), "-o", dir.file("new/t.csv"), dir.file("a.mmv"), dir.file("b.mmv")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> rows = splitLines(readText(dir.file("new/t.csv")));
  ASSERT_EQ(rows.size(), 16u);  // the header, seconds 2 to 16 of 20
  EXPECT_EQ(rows[0].substr(0, 55), "time_utc,subtitle_time_utc,latitude,longitude,heading,s");
  EXPECT_NE(rows[0].find(",speed_mph,"), std::string::npos);
  EXPECT_EQ(rows[1].substr(0, 42), "2021-10-29T08:05:05Z,2021-10-29T08:05:05Z,");
  EXPECT_NE(rows[1].find(",44.74,"), std::string::npos);  // 72 km/h
  EXPECT_EQ(rows[15].substr(0, 20), "2021-10-29T08:05:19Z");
  EXPECT_NE(readText(dir.file("run.log")).find("Track File = " + dir.file("new/t.csv") + "\nTrack Records = 15\n"),
            std::string::npos);
  EXPECT_EQ(r.out, "Writing the track\n" + dir.file("new/t.csv") + "\n");
  EXPECT_EQ(track({"-q", "-o", dir.file("t.kml"), dir.file("a.mmv")}).out, "");
}

// A selection without a single position fix still gives its file, with a warning
// instead of a track that looks saved; one fix is enough to keep quiet.
TEST(TrackCommand, NoPositionFixIsWarnedAbout) {
  TempDir dir;
  std::vector<DrvRecord> records;
  for (int i = 0; i < 6; ++i) records.push_back(testing::drvAt(kStart + i, 0, 0, 50));
  testing::telemetryRecording(records).writeTo(dir.file("nofix.mmv"));
  for (const char* name : {"t.gpx", "t.csv"}) {
    const CommandRun r = track({"-q", "-o", dir.file(name), dir.file("nofix.mmv")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "vk2mp4: warning: " + dir.file(name) + ": no position fix in the selection: " +
                         (name == std::string("t.gpx") ? "the track holds no points\n"
                                                       : "no row of the track holds a position\n"));
  }
  EXPECT_EQ(readText(dir.file("t.gpx")).find("<trkpt "), std::string::npos);
  records[3] = testing::drvAt(kStart + 3, 48.1, 11.5, 50);
  testing::telemetryRecording(records).writeTo(dir.file("onefix.mmv"));
  EXPECT_EQ(track({"-q", "-o", dir.file("t.kml"), dir.file("onefix.mmv")}).err, "");
}

TEST(TrackCommand, RefusalsAreStatus1AndWriteNothing) {
  TempDir dir;
  testing::writeDriveRecording(dir.file("a.mmv"), kStart, 10);
  testing::writeDriveRecording(dir.file("late.mmv"), kStart + 100, 10);
  const CommandRun apart = track({"-o", dir.file("t.gpx"), dir.file("a.mmv"), dir.file("late.mmv")});
  EXPECT_EQ(apart.status, 1);
  EXPECT_NE(apart.err.find("It cannot be merged because the files have different times."), std::string::npos);
  const Args sixteen(16, dir.file("a.mmv"));
  Args tooMany{"-o", dir.file("t.gpx")};
  tooMany.insert(tooMany.end(), sixteen.begin(), sixteen.end());
  EXPECT_EQ(track(tooMany).status, 1);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.mmv", "late.mmv"}));
}

}  // namespace
}  // namespace vk2::cli

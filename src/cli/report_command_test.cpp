// vk2mp4 report: the page of a selection or of every trip, its usage errors and
// refusals, and the options its page follows.
#include <gtest/gtest.h>

#include <filesystem>

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

CommandRun report(const Args& args) { return runCommand(runReportCommand, args); }

TEST(ReportCommand, UsageErrorsAndRefusalsWriteNothing) {
  TempDir dir;
  testing::writeDriveRecording(dir.file("a.mmv"), kStart, 10);
  testing::writeDriveRecording(dir.file("late.mmv"), kStart + 100, 10);
  const std::string a = dir.file("a.mmv");
  const struct {
    Args args;
    std::string problem;
  } usage[] = {
      {{a}, "-o: the report page is missing"},
      {{"-o", dir.file("p.htm"), a}, "-o " + dir.file("p.htm") + ": expected a name ending in .html"},
      {{"--video", "v.mp4", "--trips", dir.path(), "-o", dir.file("out/")},
       "--video cannot be used with --trips: a trip's page has no video"},
      {{"--trips", dir.path(), "-o", dir.file("p.html")}, "--trips needs -o OUTDIR/, the folder the pages are written to"},
      {{"--report", "-o", dir.file("p.html"), a}, "--report: only convert takes it"},
      {{"--video"}, "--video: missing value"},
  };
  for (const auto& u : usage) {
    const CommandRun r = report(u.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "vk2mp4: " + u.problem + "; see vk2mp4 report --help\n");
  }
  EXPECT_EQ(runCommand(runTrackCommand, {"--video", "v.mp4", "-o", dir.file("t.gpx"), a}).err,
            "vk2mp4: --video: only report takes it; see vk2mp4 track --help\n");
  EXPECT_EQ(report({"-o", dir.file("p.html"), a, dir.file("late.mmv")}).status, 1);
  // The page is never written over a selected recording, whatever its name.
  testing::writeText(dir.file("r.html"), readText(a));
  const CommandRun over = report({"-o", dir.file("r.html"), dir.file("r.html")});
  EXPECT_EQ(over.status, 1);
  EXPECT_NE(over.err.find("is a selected recording"), std::string::npos) << over.err;
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.mmv", "late.mmv", "r.html"}));
}

TEST(ReportCommand, APageWithItsVideoAndOnePerTrip) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("card"));
  testing::writeDriveRecording(dir.file("card/a.mmv"), kStart, 10);
  testing::writeDriveRecording(dir.file("card/b.mmv"), kStart + 10, 10);
  testing::writeDriveRecording(dir.file("card/c.mmv"), kStart + 600, 8);
  const CommandRun r = report({"--speed", "mph", "--video", dir.file("drive.mp4"), "-o", dir.file("pages/p.html"),
                               dir.file("card/a.mmv"), dir.file("card/b.mmv")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Writing the report page\n" + dir.file("pages/p.html") + "\n");
  const std::string page = readText(dir.file("pages/p.html"));
  EXPECT_NE(page.find("<video id=\"video\" controls preload=\"metadata\" src=\"../drive.mp4\">"), std::string::npos);
  EXPECT_NE(page.find("20 records, 0 events"), std::string::npos);
  EXPECT_NE(page.find("Speed, mph"), std::string::npos);

  const CommandRun trips = report({"--trips", dir.file("card"), "--time-basis", "utc", "-o", dir.file("trips/")});
  EXPECT_EQ(trips.status, 0) << trips.err;
  EXPECT_EQ(trips.out, "trip 1/2: " + dir.file("trips/20211029_080503_20.html") + "\ntrip 2/2: " +
                           dir.file("trips/20211029_081503_8.html") + "\n2 of 2 trips written\n");
  EXPECT_EQ(readText(dir.file("trips/20211029_080503_20.html")).find("<video"), std::string::npos);
}

}  // namespace
}  // namespace vk2::cli

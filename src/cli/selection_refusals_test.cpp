// Every command that takes recordings refuses a selection alike, before it
// writes anything: a file that is no recording is named as such, and below the
// windows' fixed refusal texts a second line says which files or how many.
#include <gtest/gtest.h>

#include "testing/command_run.h"
#include "testing/small_recordings.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

TEST(SelectionRefusals, EveryCommandSaysWhatItRefuses) {
  TempDir dir;
  const std::string a = dir.file("a.mmv"), b = dir.file("b.mmv"), mp4 = dir.file("drive.mp4");
  testing::writeTenSecondRecording(a, kStart);
  testing::writeTenSecondRecording(b, kStart + 10);
  // An MP4's first box, then bytes that hold no record where the first one must be.
  testing::writeText(mp4, std::string("\0\0\0\x18" "ftypisom", 12) + std::string(6000, 'x'));
  const std::vector<std::string> before = dir.entries();

  const std::pair<std::vector<std::string>, std::string> refusals[] = {
      {{a, mp4}, "vk2mp4: " + mp4 + " is not an MMV recording: its first record header holds no record 1 (sequence "
                 "number 2021161080)\n"},
      {{b, a}, "It cannot be merged because the files have different times.\n" + a + " starts 20 seconds before " + b +
                   " ends (files join within 4 seconds); they join in start-time order: vk2mp4 trips FOLDER finds "
                   "the runs\n"},
      {std::vector<std::string>(16, a),
       "MMV Merge-File Size is too big. Please select up to 15 files.\n16 files were given\n"},
  };
  const std::pair<int (*)(const Args&, std::ostream&, std::ostream&), Args> commands[] = {
      {runInfoCommand, {}},
      {runMergeCommand, {"-o", dir.file("m.mmv")}},
      {runExtractCommand, {"-o", dir.file("x")}},
      {runConvertCommand, {"-o", dir.file("x")}},
      {runTrackCommand, {"-o", dir.file("t.gpx")}},
      {runEventsCommand, {"--json"}},
  };
  for (const auto& [command, options] : commands) {
    for (const auto& [files, err] : refusals) {
      SCOPED_TRACE(options.empty() ? "info" : options.back());
      Args args = options;
      args.insert(args.end(), files.begin(), files.end());
      const testing::CommandRun r = testing::runCommand(command, args);
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, err);
      EXPECT_EQ(dir.entries(), before);
    }
  }
}

}  // namespace
}  // namespace vk2::cli

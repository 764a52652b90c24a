// Every command, for one recording and for two, checks every name it may write
// before it writes anything: a recording standing at one of them, or a folder,
// is refused with a message naming it, and the folder is left as it was. A
// hard link to a recording is refused as the recording, naming both.
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/command_run.h"
#include "testing/small_recordings.h"
#include "testing/test_support.h"

namespace vk2::cli {
namespace {

using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

struct Command {
  int (*run)(const Args&, std::ostream&, std::ostream&);
  Args options;  // the target among them, named X
  std::vector<std::string> names;  // what it may write, for one recording (+ for two)
  std::vector<std::string> mergedNames;
  bool single = true;  // takes one recording
};

enum class At { Recording, Link, Folder };

TEST(WrittenNames, NoCommandWritesOverARecordingOrAFolder) {
  const Command commands[] = {
      // "-o X": a folder at X.mp4 is refused, not taken for the folder to write into.
      {runConvertCommand, {"-o", "X"}, {"X.mp4", "X.h264", "X.pcm", "X.drv", "X.ass", "X_Sub.mp4"}, {}},
      {runConvertCommand, {"--track", "gpx", "--subtitles", "track", "-o", "X"},
       {"X.mkv", "X.h264", "X.pcm", "X.drv", "X.ass", "X_Sub.mkv", "X.gpx"}, {}},
      {runExtractCommand, {"-o", "X"}, {"X.mp4", "X.h264", "X.pcm", "X.drv", "X.ass"}, {"X.mmv"}},
      {runMergeCommand, {"-o", "X.mmv"}, {}, {"X.mmv", ".X.mmv.merging"}, false},
      {runTrackCommand, {"-o", "X.gpx"}, {"X.gpx"}, {}},
  };
  for (const Command& c : commands) {
    for (const int count : {1, 2}) {
      if (count == 1 && !c.single) continue;
      std::vector<std::string> names = c.names;
      if (count == 2) names.insert(names.end(), c.mergedNames.begin(), c.mergedNames.end());
      names.push_back("X.log");  // the --log file
      for (const std::string& name : names) {
        for (const At at : {At::Recording, At::Link, At::Folder}) {
          if (at == At::Folder && name == "X.log") continue;  // a log that cannot be created is the log's test
          SCOPED_TRACE(c.options[c.options.size() - 1] + " " + std::to_string(count) + " files, " +
                       (at == At::Folder ? "a folder at " : at == At::Link ? "a link at " : "a recording at ") + name);
          TempDir dir;
          // The last recording stands at the name, or a hard link to it or a
          // folder does beside the recordings.
          Args args = c.options;
          args.back() = dir.file(args.back());
          if (name == "X.log") args.insert(args.begin(), {"--log", dir.file(name)});
          std::vector<std::string> recordings;
          for (int i = 0; i < count; ++i) recordings.push_back(dir.file("rec_" + std::to_string(i + 1) + ".mmv"));
          if (at == At::Recording) recordings.back() = dir.file(name);
          for (int i = 0; i < count; ++i) testing::writeTenSecondRecording(recordings[static_cast<std::size_t>(i)], kStart + 10 * i);
          if (at == At::Link) std::filesystem::create_hard_link(recordings.back(), dir.file(name));
          if (at == At::Folder) std::filesystem::create_directory(dir.file(name));
          args.insert(args.end(), recordings.begin(), recordings.end());
          const std::vector<std::string> before = dir.entries();
          const std::vector<uint8_t> recording = testing::readFile(recordings.back());

          const testing::CommandRun r = testing::runCommand(c.run, args);
          EXPECT_EQ(r.status, 1) << r.err;
          if (at == At::Folder) {
            EXPECT_NE(r.err.find(dir.file(name) + ": is a folder"), std::string::npos) << r.err;
          } else {
            EXPECT_NE(r.err.find(recordings.back() + ": is a selected recording, and this "), std::string::npos)
                << r.err;
            EXPECT_NE(r.err.find(dir.file(name) + " over it"), std::string::npos) << r.err;
          }
          EXPECT_EQ(dir.entries(), before);
          if (at == At::Folder)
            EXPECT_TRUE(std::filesystem::is_directory(dir.file(name)));
          else
            EXPECT_EQ(testing::readFile(recordings.back()), recording);
        }
      }
    }
  }
}

}  // namespace
}  // namespace vk2::cli

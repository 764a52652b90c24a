#ifndef _WIN32
// vk2mp4 convert with the real converter, for target names the converter would
// misread: an option, a protocol, and a folder holding a backslash and the
// filter syntax characters. Each output is checked complete with the MP4 checker.
#include <sys/stat.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "mp4/mp4_check.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::commandOutput;
using testing::shellQuoted;

TEST(ConverterPathsEndToEnd, OptionAndProtocolLookalikesAndABackslashFolder) {
  if (commandOutput("command -v ffmpeg").empty()) GTEST_SKIP() << "no ffmpeg";
  testing::TempDir dir;
  const std::vector<std::string> recording = testing::splitLines(commandOutput(
      shellQuoted(MMV_SYNTH_EXE) + " --seconds 4 --size 320x240 --out " + shellQuoted(dir.file("rec"))));
  ASSERT_EQ(recording.size(), 1u);

  const std::string odd = R"(a\b'c:d=e,f;[g])";
  struct Case {
    std::string target;  // relative to the empty folder vk2mp4 runs in
    std::string entry;   // what the folder holds afterwards
  };
  const Case cases[] = {{"-x.mp4", "-x.mp4"}, {"pipe:1.mp4", "pipe:1.mp4"}, {odd + "/X.mp4", odd}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const std::string work = dir.file("work" + std::to_string(++n) + "/");
    ::mkdir(work.c_str(), 0755);
    if (c.entry != c.target) ::mkdir((work + c.entry).c_str(), 0755);
    const std::string command = "cd " + shellQuoted(work) + " && " + shellQuoted(VK2MP4_EXE) + " convert -q -o " +
                                shellQuoted(c.target) + " " + shellQuoted(recording[0]) + " 2>" +
                                shellQuoted(dir.file("stderr"));
    if (std::system(command.c_str()) != 0) {
      ADD_FAILURE() << testing::readText(dir.file("stderr"));
      continue;
    }
    EXPECT_EQ(testing::entriesOf(work), std::vector<std::string>{c.entry});
    const Mp4Check check = checkMp4File(work + c.target);
    EXPECT_TRUE(check.complete) << check.problem;
    EXPECT_NEAR(check.durationSec, 4.0, 1.0);
  }
  EXPECT_EQ(testing::entriesOf(dir.file("work3/" + odd)), std::vector<std::string>{"X.mp4"});
}

}  // namespace
}  // namespace vk2
#endif

#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

namespace vk2 {
namespace {

// Each argument as the started program's C runtime reads it back.
TEST(WindowsCommandLine, QuotesOnlyWhatTheRuntimeWouldSplitOrStrip) {
  EXPECT_EQ(windowsCommandLine({"C:\\T\\ffmpeg.exe", "-i", "D:\\Out\\a.pcm", "subtitles='D\\:/Out/a.ass'"}),
            "C:\\T\\ffmpeg.exe -i D:\\Out\\a.pcm subtitles='D\\:/Out/a.ass'");
  EXPECT_EQ(windowsCommandLine({"x", "C:\\my videos\\a b.mp4", ""}), "x \"C:\\my videos\\a b.mp4\" \"\"");
  EXPECT_EQ(windowsCommandLine({"x", "C:\\My Videos\\"}), "x \"C:\\My Videos\\\\\"");
  EXPECT_EQ(windowsCommandLine({"x", "say \"hi\"", "a\\\"b"}), "x \"say \\\"hi\\\"\" \"a\\\\\\\"b\"");
}

}  // namespace
}  // namespace vk2

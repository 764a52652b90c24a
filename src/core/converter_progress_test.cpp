#include "core/converter_progress.h"

#include <gtest/gtest.h>

namespace vk2 {
namespace {

TEST(ConverterProgress, ReadsDurationThenTimeFromSplitChunks) {
  ConverterProgress p;
  EXPECT_FALSE(p.feed("Input #0, mov,mp4 from 'a.mp4':\n  Duration: 00:01:").has_value());
  EXPECT_FALSE(p.feed("40.00, start: 0.000000, bitrate: 1 kb/s\n").has_value());
  EXPECT_FALSE(p.feed("frame=   10 fps=0.0 q=0.0 size=0kB time=00:00:").has_value());
  const auto half = p.feed("50.00 bitrate=N/A speed=1x\r");
  ASSERT_TRUE(half.has_value());
  EXPECT_DOUBLE_EQ(*half, 0.5);
  EXPECT_FALSE(p.feed("frame=   11 time=00:00:50.00 bitrate=1\r").has_value());  // unchanged
  EXPECT_FALSE(p.feed("frame=   12 time=N/A bitrate=1\r").has_value());
  EXPECT_DOUBLE_EQ(*p.feed("frame=  999 time=00:02:00.00 x\r"), 1.0);
  EXPECT_EQ(clockSeconds("01:02:03.5"), 3723.5);
  EXPECT_FALSE(clockSeconds("N/A").has_value());
}

TEST(ConverterProgress, TextWithTheTimeLeft) {
  EXPECT_EQ(progressText(0.005, 1), "1 % done");
  EXPECT_EQ(progressText(0.25, 30), "25 % done, about 1:30 left");
  EXPECT_EQ(progressText(1, 60), "100 % done, about 0:00 left");
}

}  // namespace
}  // namespace vk2

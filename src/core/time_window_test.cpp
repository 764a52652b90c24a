#include "core/time_window.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/calendar_time.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

// 2021-10-29 08:05:03 UTC.
constexpr int32_t kMorning = 1635494703;

ConversionState spanOf(int32_t start, int32_t end) {
  ConversionState s;
  s.spanStartTime = start;
  s.spanEndTime = end;
  s.windowStartTime = start;
  s.windowEndTime = end;
  return s;
}

// Six seconds narrowed to five and back is the windows' time button test.
TEST(TimeButtons, SpanLengthAndTrimsDecideTheSteps) {
  ConversionState s = spanOf(1000, 1060);
  s.trimStart = 7;
  s.trimEnd = 9;
  EXPECT_EQ(UpdateTimeButtons(s, TimeButtons{}), (TimeButtons{true, false, false, true}));
  EXPECT_EQ(s.trimStart, 0);
  EXPECT_EQ(s.trimEnd, 0);
  for (int32_t length : {5, 3, 0}) {  // five seconds or less lock every step
    ConversionState shortSpan = spanOf(2000, 2000 + length);
    EXPECT_EQ(UpdateTimeButtons(shortSpan, TimeButtons{}), (TimeButtons{false, false, false, false})) << length;
  }
  // The end steps track the end trim; outside the span the rule leaves the button as it was.
  s = spanOf(1000, 1020);
  s.windowEndTime -= 3;
  EXPECT_TRUE(UpdateTimeButtons(s, TimeButtons{}).toPlus);
  EXPECT_EQ(s.trimEnd, 3);
  s.windowEndTime = 1030;
  EXPECT_TRUE(UpdateTimeButtons(s, TimeButtons{true, true, true, true}).toPlus);
  EXPECT_FALSE(UpdateTimeButtons(s, TimeButtons{true, true, false, true}).toPlus);
}

// Damaged stamps: a span across the whole 32-bit range, and an end before the start.
TEST(TimeButtons, SpansBeyondThirtyTwoBitsStayInRange) {
  constexpr int32_t kLow = std::numeric_limits<int32_t>::min();
  constexpr int32_t kHigh = std::numeric_limits<int32_t>::max();
  ConversionState whole = spanOf(kLow, kHigh);
  whole.windowStartTime = kHigh - 10;
  EXPECT_EQ(UpdateTimeButtons(whole, TimeButtons{}), (TimeButtons{true, true, false, true}));
  EXPECT_EQ(whole.trimStart, kHigh);
  EXPECT_EQ(whole.trimEnd, 0);
  const TimeWindowView view = describeTimeWindow(kLow, kHigh, false);
  EXPECT_EQ(view.lengthText, "4294967295");
  EXPECT_EQ(view.fileName, "19011213_204552_4294967295");

  ConversionState backwards = spanOf(kHigh, kLow);
  backwards.windowEndTime = kHigh;
  EXPECT_EQ(UpdateTimeButtons(backwards, TimeButtons{}), (TimeButtons{false, false, true, false}));
  EXPECT_EQ(backwards.trimEnd, kLow);
  EXPECT_EQ(describeTimeWindow(kHigh, kLow, false).lengthText, "-4294967295");
  EXPECT_EQ(steppedTime(kHigh, 1), kHigh);
  EXPECT_EQ(steppedTime(kLow, -1), kLow);
  EXPECT_EQ(steppedTime(1000, -1), 999);
}

TEST(TimeWindowTexts, LabelsUseTwelveHourClockNamesArePadded) {
  EXPECT_EQ(windowLabel(CalendarTime{2021, 10, 29, 8, 5, 3}), "2021/10/29   08:05:03 AM");
  EXPECT_EQ(windowLabel(CalendarTime{2021, 1, 2, 0, 0, 9}), "2021/01/02   12:00:09 AM");
  EXPECT_EQ(windowLabel(CalendarTime{2021, 1, 2, 12, 30, 0}), "2021/01/02   12:30:00 PM");
  EXPECT_EQ(windowLabel(CalendarTime{2021, 1, 2, 23, 59, 59}, '.', '.'), "2021.01.02   11.59.59 PM");
  // The proposed name pads the start; the log does not.
  const CalendarTime start{2021, 9, 5, 7, 3, 9};
  EXPECT_EQ(proposedFileName(start, 60), "20210905_070309_60");
  EXPECT_EQ(logDateTime(start), "2021.9.5 7:3:9");
}

// The windows' proposed-name test shows a morning window in both bases; here
// the zone also changes the date.
TEST(TimeWindowTexts, LocalAndUtcInAFixedZone) {
  testing::ScopedTimeZone zone("JST-9");  // UTC+9, no daylight saving
  const int32_t lateUtc = kMorning + 7 * 3600;  // 00:05:03 next day in JST
  const TimeWindowView utc = describeTimeWindow(lateUtc, lateUtc + 10, false);
  EXPECT_EQ(utc.startLogLine, "Start Time = 2021.10.29 15:5:3");
  EXPECT_EQ(utc.lengthText, "10");
  EXPECT_EQ(utc.fileName, "20211029_150503_10");
  const TimeWindowView local = describeTimeWindow(lateUtc, lateUtc + 10, true);
  EXPECT_EQ(local.endLogLine, "End Time = 2021.10.30 0:5:13");
  EXPECT_EQ(local.fileName, "20211030_000503_10");
}

// The command line's window checks are the run option tests.
TEST(TimeWindowTexts, TrimsFromOutsideTheDialog) {
  EXPECT_TRUE(trimsAllowed(3, 0, 0));
  EXPECT_FALSE(trimsAllowed(60, 50, 6));
  EXPECT_FALSE(trimsAllowed(60, -1, 0));
}

}  // namespace
}  // namespace vk2

#include "conversion/time_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "conversion/calendar_time.h"

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

// Runs a body with TZ set, restoring the previous zone afterwards.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old, hadZone_ = true;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (hadZone_)
      setenv("TZ", saved_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::string saved_;
  bool hadZone_ = false;
};

TEST(TimeButtons, FullSpanDisablesOuterStepsAndZeroesTrims) {
  ConversionState s = spanOf(1000, 1060);
  s.trimStart = 7;
  s.trimEnd = 9;
  const TimeButtons b = UpdateTimeButtons(s, TimeButtons{});
  EXPECT_EQ(b, (TimeButtons{true, false, false, true}));
  EXPECT_EQ(s.trimStart, 0);
  EXPECT_EQ(s.trimEnd, 0);
}

TEST(TimeButtons, SixSecondSpanNarrowsToTheFloorAndBack) {
  ConversionState s = spanOf(1000, 1006);
  TimeButtons b = UpdateTimeButtons(s, TimeButtons{});
  EXPECT_TRUE(b.fromPlus);
  EXPECT_TRUE(b.toMinus);

  ++s.windowStartTime;  // start "+": 5 seconds left
  b = UpdateTimeButtons(s, b);
  EXPECT_EQ(b, (TimeButtons{false, true, false, false}));
  EXPECT_EQ(s.trimStart, 1);
  EXPECT_EQ(s.trimEnd, 0);

  --s.windowStartTime;  // start "-": back at the recording start
  b = UpdateTimeButtons(s, b);
  EXPECT_EQ(b, (TimeButtons{true, false, false, true}));
  EXPECT_EQ(s.trimStart, 0);
}

TEST(TimeButtons, FiveSecondsOrLessLocksEveryStep) {
  for (int32_t length : {5, 3, 0}) {
    ConversionState s = spanOf(2000, 2000 + length);
    EXPECT_EQ(UpdateTimeButtons(s, TimeButtons{}), (TimeButtons{false, false, false, false}))
        << length;
  }
}

TEST(TimeButtons, EndStepsTrackTheEndTrim) {
  ConversionState s = spanOf(1000, 1020);
  TimeButtons b = UpdateTimeButtons(s, TimeButtons{});
  s.windowEndTime -= 3;
  b = UpdateTimeButtons(s, b);
  EXPECT_TRUE(b.toPlus);
  EXPECT_EQ(s.trimEnd, 3);
  // Outside the span the rule leaves the button as it was.
  s.windowEndTime = 1030;
  EXPECT_TRUE(UpdateTimeButtons(s, b).toPlus);
  EXPECT_FALSE(UpdateTimeButtons(s, TimeButtons{true, true, false, true}).toPlus);
}

TEST(TimeWindowTexts, LabelsUseTwelveHourClockAndGivenSeparators) {
  EXPECT_EQ(windowLabel(CalendarTime{2021, 10, 29, 8, 5, 3}), "2021/10/29   08:05:03 AM");
  EXPECT_EQ(windowLabel(CalendarTime{2021, 1, 2, 0, 0, 9}), "2021/01/02   12:00:09 AM");
  EXPECT_EQ(windowLabel(CalendarTime{2021, 1, 2, 12, 30, 0}), "2021/01/02   12:30:00 PM");
  EXPECT_EQ(windowLabel(CalendarTime{2021, 1, 2, 23, 59, 59}, '.', '.'), "2021.01.02   11.59.59 PM");
}

TEST(TimeWindowTexts, ProposedNamePadsStartButLogDoesNot) {
  const CalendarTime start{2021, 9, 5, 7, 3, 9};
  EXPECT_EQ(proposedFileName(start, 60), "20210905_070309_60");
  EXPECT_EQ(logDateTime(start), "2021.9.5 7:3:9");
}

TEST(TimeWindowTexts, LocalAndUtcInAFixedZone) {
  ZoneGuard zone("JST-9");  // UTC+9, no daylight saving
  const TimeWindowView utc = describeTimeWindow(kMorning, kMorning + 60, false);
  EXPECT_EQ(utc.startLogLine, "Start Time = 2021.10.29 8:5:3");
  EXPECT_EQ(utc.endLogLine, "End Time = 2021.10.29 8:6:3");
  EXPECT_EQ(utc.lengthText, "60");
  EXPECT_EQ(utc.fileName, "20211029_080503_60");

  const TimeWindowView local = describeTimeWindow(kMorning, kMorning + 60, true);
  EXPECT_EQ(local.startLogLine, "Start Time = 2021.10.29 17:5:3");
  EXPECT_EQ(local.fileName, "20211029_170503_60");
  EXPECT_EQ(windowLabel(local.start), "2021/10/29   05:05:03 PM");

  // Near midnight the zone changes the date of the proposed name.
  const int32_t lateUtc = kMorning + 7 * 3600;  // 00:05:03 next day in JST
  EXPECT_EQ(describeTimeWindow(lateUtc, lateUtc + 10, false).fileName, "20211029_150503_10");
  EXPECT_EQ(describeTimeWindow(lateUtc, lateUtc + 10, true).fileName, "20211030_000503_10");
}

TEST(TimeWindowTexts, TrimsFromOutsideTheDialog) {
  EXPECT_TRUE(trimsAllowed(60, 0, 0));
  EXPECT_TRUE(trimsAllowed(3, 0, 0));
  EXPECT_TRUE(trimsAllowed(60, 50, 5));
  EXPECT_FALSE(trimsAllowed(60, 50, 6));
  EXPECT_FALSE(trimsAllowed(60, -1, 0));
}

}  // namespace
}  // namespace vk2

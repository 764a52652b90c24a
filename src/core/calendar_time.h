#pragma once
// Calendar forms of the 32-bit second counts that recordings carry, and the
// texts built from them.
#include <cstdint>
#include <string>

namespace vk2 {

// A calendar date and time of day in whole seconds. All zero means "not set".
struct CalendarTime {
  int year = 0;    // in full, e.g. 2021
  int month = 0;   // 1-12
  int day = 0;     // 1-31
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
  bool isZero() const { return year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0; }
  bool operator==(const CalendarTime&) const = default;
};

// Breaks a second count down in the computer's local time zone (local = true) or
// in UTC, as the C library's localtime/gmtime do.
CalendarTime breakDownTime(int32_t seconds, bool local);

// "2021.9.5 7:3:9": the log form, plain decimals without leading zeros.
std::string logDateTime(const CalendarTime& t);

// "2021-10-29T08:05:03", or with another character than 'T' between date and time.
std::string isoDateTime(const CalendarTime& t, char between = 'T');

// "20211029_080503_60": start parts zero-padded (24-hour), then the length.
std::string proposedFileName(const CalendarTime& start, int64_t lengthSeconds);

// "yyyy/mm/dd   hh:nn:ss AM/PM" with the given date and time separators.
std::string windowLabel(const CalendarTime& t, char dateSeparator = '/', char timeSeparator = ':');

}  // namespace vk2

#include "core/calendar_time.h"

#include <cstdio>
#include <ctime>

namespace vk2 {

namespace {

// UTC from the day count since 1970 (the proleptic Gregorian calendar), for
// every 32-bit time: some C libraries refuse times before 1970.
CalendarTime utcOf(int64_t seconds) {
  const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const int64_t secondOfDay = seconds - days * 86400;
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return CalendarTime{year, month, day, static_cast<int>(secondOfDay / 3600),
                      static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60)};
}

}  // namespace

CalendarTime breakDownTime(int32_t seconds, bool local) {
  if (!local) return utcOf(seconds);
  const std::time_t value = static_cast<std::time_t>(seconds);
  std::tm parts{};
#ifdef _WIN32
  const bool ok = localtime_s(&parts, &value) == 0;
#else
  const bool ok = localtime_r(&value, &parts) != nullptr;
#endif
  if (!ok) return CalendarTime{};
  return CalendarTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                      parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::string isoDateTime(const CalendarTime& t, char between) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d", t.year, t.month, t.day, between, t.hour,
                t.minute, t.second);
  return text;
}

std::string logDateTime(const CalendarTime& t) {
  char text[96];
  std::snprintf(text, sizeof text, "%d.%d.%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string proposedFileName(const CalendarTime& start, int64_t lengthSeconds) {
  char text[96];
  std::snprintf(text, sizeof text, "%d%02d%02d_%02d%02d%02d_%lld", start.year, start.month, start.day,
                start.hour, start.minute, start.second, static_cast<long long>(lengthSeconds));
  return text;
}

std::string windowLabel(const CalendarTime& t, char dateSeparator, char timeSeparator) {
  const int hour12 = (t.hour % 12 == 0) ? 12 : t.hour % 12;
  char text[96];
  std::snprintf(text, sizeof text, "%04d%c%02d%c%02d   %02d%c%02d%c%02d %s", t.year, dateSeparator,
                t.month, dateSeparator, t.day, hour12, timeSeparator, t.minute, timeSeparator,
                t.second, t.hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace vk2

#include "core/calendar_time.h"

#include <cstdio>
#include <ctime>

namespace vk2 {

CalendarTime breakDownTime(int32_t seconds, bool local) {
  const std::time_t value = static_cast<std::time_t>(seconds);
  std::tm parts{};
#ifdef _WIN32
  const bool ok = (local ? localtime_s(&parts, &value) : gmtime_s(&parts, &value)) == 0;
#else
  const bool ok = (local ? localtime_r(&value, &parts) : gmtime_r(&value, &parts)) != nullptr;
#endif
  if (!ok) return CalendarTime{};
  return CalendarTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                      parts.tm_hour,        parts.tm_min,     parts.tm_sec};
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

#include "telemetry/track_text.h"

#include <cmath>
#include <cstdio>

#include "core/number_text.h"

namespace vk2 {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int64_t secondsOf(const CalendarTime& t) {
  return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

std::string fixedText(double value, int decimals) {
  if (!std::isfinite(value)) return std::string();
  std::string out = fixedNumber(value, decimals);
  if (!out.empty() && out[0] == '-' && out.find_first_not_of("0.", 1) == std::string::npos) out.erase(0, 1);
  return out;
}

std::string isoUtcText(int32_t seconds) { return isoDateTime(breakDownTime(seconds, false)) + "Z"; }

std::string isoLocalText(int32_t seconds) {
  const CalendarTime local = breakDownTime(seconds, true);
  if (local.isZero()) return isoUtcText(seconds);
  // To the second: zones of old had offsets such as +00:19:32, and local time
  // minus the offset must give the UTC column back.
  const int64_t offsetSeconds = secondsOf(local) - seconds;
  const int64_t size = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
  char offset[32];
  const int length = std::snprintf(offset, sizeof offset, "%c%02d:%02d", offsetSeconds < 0 ? '-' : '+',
                                   static_cast<int>(size / 3600), static_cast<int>(size / 60 % 60));
  if (size % 60 != 0)
    std::snprintf(offset + length, sizeof offset - static_cast<std::size_t>(length), ":%02d", static_cast<int>(size % 60));
  return isoDateTime(local) + offset;
}

bool hasPositionFix(const DrvRecord& r) {
  if (r.latitude == 0 && r.longitude == 0) return false;
  return std::isfinite(r.latitude) && std::isfinite(r.longitude) && std::fabs(r.latitude) <= 90 &&
         std::fabs(r.longitude) <= 180;
}

bool hasHeading(const DrvRecord& r) { return r.heading >= 0 && r.heading < 360; }

}  // namespace vk2

#include "extract/subtitle_text.h"

#include <cmath>
#include <cstdint>

#include "core/number_text.h"
#include "extract/text_format.h"

namespace vk2 {

namespace {

// Truncation toward zero; values no integer can hold (and NaN) give 0 rather
// than undefined behaviour.
int64_t truncated(double v) {
  if (!(v > -9.0e18 && v < 9.0e18)) return 0;
  return static_cast<int64_t>(v);
}

constexpr const char* kLineBreak = "\\N\\N";

}  // namespace

std::string eventTimeText(double tenths) {
  const int64_t hours = truncated(tenths / 36000);
  const int64_t minutes = truncated(tenths / 600) % 60;
  const int64_t seconds = truncated(tenths / 10) % 60;
  const int64_t milliseconds = truncated(tenths * 100) % 1000;
  const auto hundredths = static_cast<int64_t>(std::ceil(static_cast<double>(milliseconds) / 10));
  return formatText("%lld:%lld:%lld.%lld", static_cast<long long>(hours),
                    static_cast<long long>(minutes), static_cast<long long>(seconds),
                    static_cast<long long>(hundredths));
}

std::string eventTimesText(long long eventNumber, double tenthsPerRecord) {
  const double n = static_cast<double>(eventNumber);
  return eventTimeText(n * tenthsPerRecord) + "," + eventTimeText((n + 1) * tenthsPerRecord);
}

std::string clockText(const CalendarTime& t, bool twelveHourClock) {
  std::string hh;
  std::string ap;
  if (twelveHourClock) {
    hh = (t.hour == 0 || t.hour == 12) ? "12" : formatText("%02d", t.hour % 12);
    ap = t.hour >= 12 ? "PM " : "AM ";
  } else {
    hh = formatText("%02d", t.hour);
  }
  return ap + hh + ":" + formatText("%02d", t.minute) + ":" + formatText("%02d", t.second);
}

std::string dateTimeText(const CalendarTime& t, int dateFormat, bool twelveHourClock) {
  const std::string mm = formatText("%02d", t.month);
  const std::string dd = formatText("%02d", t.day);
  const std::string yyyy = formatText("%d", t.year);
  // The 24-hour clock keeps the blank an empty AM/PM leaves: the camera's own layout.
  const std::string clock = (twelveHourClock ? " " : "  ") + clockText(t, twelveHourClock);
  switch (dateFormat) {
    case 0:
      return mm + "/" + dd + "/" + yyyy + clock;
    case 1:
      return mm + "." + dd + "." + yyyy + clock;
    case 2:
      return yyyy + "/" + mm + "/" + dd + clock;
    case 3:
      return yyyy + "." + mm + "." + dd + clock;
    default:
      return "";
  }
}

std::string scriptSafeText(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    // A blank keeps the text's length and layout; parentheses keep braces readable.
    if (byte < 0x20 || byte == 0x7F)
      c = ' ';
    else if (c == '{')
      c = '(';
    else if (c == '}')
      c = ')';
  }
  return out;
}

std::string leftEventLine(const std::string& times, const std::string& vehicleNumber,
                          const DrvRecord& record, const ConversionOptions& options) {
  std::string line = "Dialogue: 0," + times + ",Default - DL,,0,0,0,,";
  if (options.checkBoxVehicleNo() && !vehicleNumber.empty())
    line += scriptSafeText(vehicleNumber) + kLineBreak;
  if (options.checkBoxGsensor()) {
    line += "X:  " + fixedNumber(DrvRecord::toG(record.accelX), 3) + kLineBreak;
    line += "Y:  " + fixedNumber(DrvRecord::toG(record.accelY), 3) + kLineBreak;
    line += "Z:  " + fixedNumber(DrvRecord::toG(record.accelZ), 3) + kLineBreak;
  }
  if (options.checkBoxDateTime()) {
    const bool local = options.rbSubLocal();
    line += dateTimeText(record.calendarTime(local), options.cbSubDateFormat(), options.rbSub12h());
    if (!local) line += " (UTC)";
  }
  return line;
}

std::string rightEventLine(const std::string& times, const std::string& title,
                           const DrvRecord& record, const ConversionOptions& options) {
  std::string line = "Dialogue: 0," + times + ",Default - DR,,0,0,0,," + title;
  const bool direction = options.checkBoxDirection();
  line += direction ? fixedNumber(record.heading, 0, 3) : std::string("0");
  line += " [" + compassLabel(direction ? record.heading : 0.0) + "]" + kLineBreak;
  if (options.checkBoxSpeed()) {
    if (options.rbSpeedKmh())
      line += formatText("%3d km/h\\N\\N", static_cast<int>(record.speedKmh));
    else
      line += fixedNumber(record.speedMph(), 1, 5) + " mi/h" + kLineBreak;
  }
  if (options.checkBoxRpm())
    line += formatText("%4d rpm\\N\\N", static_cast<int>(record.engineRpm));
  if (options.checkBoxLatLong()) {
    line += fixedNumber(record.latitude, 8, 12) + kLineBreak;
    line += fixedNumber(record.longitude, 8, 12) + kLineBreak;
  } else {
    // Latitude and longitude as zero texts, back to back without a break.
    line += "0.00000000";
    line += "0.00000000";
  }
  return line;
}

}  // namespace vk2

#pragma once
// The texts of one subtitle event: its time stamps, the date/time piece, and the
// bottom-left and bottom-right lines of a telemetry record.
#include <string>

#include "core/calendar_time.h"
#include "core/conversion_options.h"
#include "extract/drv_record.h"

namespace vk2 {

// A time of `tenths` tenths of a second as "h:m:s.hundredths": every field plain
// "%d", hundredths rounded up and allowed to reach 100 without a carry.
std::string eventTimeText(double tenths);

// "start,end" of event `eventNumber` when every record lasts `tenthsPerRecord`.
std::string eventTimesText(long long eventNumber, double tenthsPerRecord);

// The clock piece of the date/time: "AM 08:05:03" (12-hour) or "08:05:03".
std::string clockText(const CalendarTime& t, bool twelveHourClock);

// The date/time piece for a layout position (0..3; anything else gives "").
std::string dateTimeText(const CalendarTime& t, int dateFormat, bool twelveHourClock);

// Text from a recording (the vehicle number) as it may stand in an event's text:
// CR, LF and every other control byte (< 0x20, 0x7F) become a blank, "{" and "}"
// become "(" and ")", so the text can neither end the script line nor open an
// override block. Bytes from 0x80 up (the camera's code page) stay as they are.
std::string scriptSafeText(const std::string& text);

// "Dialogue: ..." lines. `times` comes from eventTimesText; `title` is " " or the
// latched event's title; the vehicle number passes through scriptSafeText.
std::string leftEventLine(const std::string& times, const std::string& vehicleNumber,
                          const DrvRecord& record, const ConversionOptions& options);
std::string rightEventLine(const std::string& times, const std::string& title,
                           const DrvRecord& record, const ConversionOptions& options);

}  // namespace vk2

#pragma once
// Texts every track file shares: fixed-point numbers with '.' whatever the
// locale (the windows program runs under the user's), ISO 8601 times, and
// which values a record really carries.
#include <cstdint>
#include <string>

#include "extract/drv_record.h"

namespace vk2 {

// `value` with exactly `decimals` digits after '.', never "-0.0"; "" for a value
// that is not a finite number.
std::string fixedText(double value, int decimals);

// "2021-10-29T08:05:03Z".
std::string isoUtcText(int32_t seconds);
// The computer's local time with its offset from UTC: "2021-10-29T17:05:03+09:00",
// an offset that is not whole minutes to the second ("+00:19:32").
// UTC ("...Z") when the local time cannot be had.
std::string isoLocalText(int32_t seconds);

// A record without a position fix carries latitude 0 and longitude 0; a
// position off the globe (a damaged record) is no fix either.
bool hasPositionFix(const DrvRecord& record);
// A heading in [0, 360), the range the subtitles name a compass point for.
bool hasHeading(const DrvRecord& record);

}  // namespace vk2

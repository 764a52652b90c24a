#pragma once
// A card's trips as trips and events print them: the line a person reads and
// the JSON a batch system reads, so both commands describe a trip alike.
#include <cstddef>
#include <string>
#include <vector>

#include "mmv/trips.h"

namespace vk2::cli {

// "trip 1: 2021-10-29 08:05:03 - 2021-10-29 08:05:33, 30 s, 15 files, 20211029_080503_30"
// for the 0-based `index`, its times in local time or UTC.
std::string tripLine(std::size_t index, const Trip& trip, const std::string& name, bool local);

// The trip's JSON object, `more` members (",\"episodes\":[…]") before its closing brace:
// {"number":1,"start":"…Z","start_local":"…+02:00","end":…,"end_local":…,"seconds":30,"files":[…],"name":"…"}
std::string tripJson(std::size_t index, const Trip& trip, const std::string& name, const std::string& more = "");

// JSON values as an array: "[]", or one value a line so a long listing stays readable.
std::string jsonLines(const std::vector<std::string>& values);
// Texts as an array of JSON strings on one line.
std::string jsonStrings(const std::vector<std::string>& texts);

}  // namespace vk2::cli

#include "cli/trip_listing.h"

#include "core/calendar_time.h"
#include "core/time_window.h"
#include "telemetry/episode_text.h"
#include "telemetry/track_text.h"

namespace vk2::cli {

std::string tripLine(std::size_t index, const Trip& trip, const std::string& name, bool local) {
  const TimeWindowView view = describeTimeWindow(trip.start, trip.end, local);
  return "trip " + std::to_string(index + 1) + ": " + isoDateTime(view.start, ' ') + " - " +
         isoDateTime(view.end, ' ') + ", " + view.lengthText + " s, " + std::to_string(trip.files.size()) +
         (trip.files.size() == 1 ? " file, " : " files, ") + name;
}

// Appended piece by piece: mingw's GCC 12 sees a false overlap in a literal + std::string.
std::string tripJson(std::size_t index, const Trip& trip, const std::string& name, const std::string& more) {
  std::string j = "{\"number\":";
  j += std::to_string(index + 1);
  j += ",\"start\":\"" + isoUtcText(trip.start);
  j += "\",\"start_local\":\"" + isoLocalText(trip.start);
  j += "\",\"end\":\"" + isoUtcText(trip.end);
  j += "\",\"end_local\":\"" + isoLocalText(trip.end);
  j += "\",\"seconds\":" + std::to_string(static_cast<int64_t>(trip.end) - trip.start);
  j += ",\"files\":";
  j += jsonStrings(trip.files);
  j += ",\"name\":";
  j += jsonString(name);
  j += more;
  j += '}';
  return j;
}

std::string jsonLines(const std::vector<std::string>& values) {
  if (values.empty()) return "[]";
  std::string text = "[\n";
  for (std::size_t i = 0; i < values.size(); ++i) text += values[i] + (i + 1 < values.size() ? ",\n" : "\n");
  return text + "]";
}

std::string jsonStrings(const std::vector<std::string>& texts) {
  std::string text = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i) text += ',';
    text += jsonString(texts[i]);
  }
  return text + "]";
}

}  // namespace vk2::cli

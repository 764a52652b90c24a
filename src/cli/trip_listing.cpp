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

std::string tripJsonMembers(std::size_t index, const Trip& trip, const std::string& name) {
  return "\"number\":" + std::to_string(index + 1) + ",\"start\":\"" + isoUtcText(trip.start) +
         "\",\"start_local\":\"" + isoLocalText(trip.start) + "\",\"end\":\"" + isoUtcText(trip.end) +
         "\",\"end_local\":\"" + isoLocalText(trip.end) +
         "\",\"seconds\":" + std::to_string(static_cast<int64_t>(trip.end) - trip.start) +
         ",\"files\":" + jsonStrings(trip.files) + ",\"name\":" + jsonString(name);
}

std::string jsonLines(const std::vector<std::string>& values) {
  if (values.empty()) return "[]";
  std::string text = "[\n";
  for (std::size_t i = 0; i < values.size(); ++i) text += values[i] + (i + 1 < values.size() ? ",\n" : "\n");
  return text + "]";
}

std::string jsonStrings(const std::vector<std::string>& texts) {
  std::string text = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) text += (i ? "," : "") + jsonString(texts[i]);
  return text + "]";
}

}  // namespace vk2::cli

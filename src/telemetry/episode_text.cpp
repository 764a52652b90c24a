#include "telemetry/episode_text.h"

#include "core/calendar_time.h"
#include "core/listing_text.h"
#include "extract/subtitle_text.h"
#include "telemetry/track_text.h"

namespace vk2 {

namespace {

std::string timeText(int32_t clock, const EpisodeDisplay& d, bool clockOnly) {
  const CalendarTime t = breakDownTime(clock, d.localTime);
  const std::string suffix = d.localTime ? "" : " UTC";
  if (clockOnly || d.dateFormat < 0 || d.dateFormat > 3) return clockText(t, d.twelveHourClock) + suffix;
  // One blank between date and clock whatever the clock, unlike the subtitles' layout.
  std::string text = dateTimeText(t, d.dateFormat, d.twelveHourClock);
  if (!d.twelveHourClock) text.erase(10, 1);
  return text + suffix;
}

bool sameDay(int32_t a, int32_t b, bool local) {
  const CalendarTime x = breakDownTime(a, local), y = breakDownTime(b, local);
  return x.year == y.year && x.month == y.month && x.day == y.day;
}

std::string speedText(int kmh, bool speedKmh) {
  return speedKmh ? std::to_string(kmh) + " km/h" : fixedText(kmh * 0.621371, 0) + " mph";
}

// Valid UTF-8 sequence length at `i`, or 0.
std::size_t utf8Length(const std::string& s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
  if (c >= 0xF5 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  if (n == 3 && ((c == 0xE0 && b(i + 1) < 0xA0) || (c == 0xED && b(i + 1) >= 0xA0))) return 0;
  if (n == 4 && ((c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) >= 0x90))) return 0;
  return n;
}

std::string number(double value, int decimals) {
  const std::string text = fixedText(value, decimals);
  return text.empty() ? "null" : text;
}

}  // namespace

EpisodeFields episodeFields(const EventEpisode& e, const std::string& recording, const EpisodeDisplay& d) {
  EpisodeFields f;
  f.kind = e.name();
  f.start = timeText(e.startClock, d, false);
  f.end = timeText(e.endClock, d, sameDay(e.startClock, e.endClock, d.localTime));
  f.seconds = std::to_string(static_cast<int64_t>(e.endClock) - e.startClock);
  f.recording = recording;
  f.secondsInto = fixedText(e.start.secondsIntoFile, 1);
  f.position = e.position ? fixedText(e.position->latitude, 7) + ", " + fixedText(e.position->longitude, 7) : "none";
  f.speedAtStart = speedText(e.startSpeedKmh, d.speedKmh);
  f.highestSpeed = speedText(e.maxSpeedKmh, d.speedKmh);
  f.acceleration = fixedText(e.maxAcceleration, 2) + " g";
  return f;
}

std::string episodeLine(const EventEpisode& e, const std::string& recording, const EpisodeDisplay& display) {
  const EpisodeFields f = episodeFields(e, recording, display);
  return f.kind + " " + f.start + " - " + f.end + " (" + f.seconds + " s), " + listingText(f.recording) + " at " +
         f.secondsInto + " s, " + f.position + ", " + f.speedAtStart + ", highest " + f.highestSpeed + ", " +
         f.acceleration;
}

std::string episodeJson(const EventEpisode& e, const std::string& recording) {
  std::string j = "{\"kind\":" + jsonString(e.name());
  j += ",\"start\":\"" + isoUtcText(e.startClock) + "\",\"start_local\":\"" + isoLocalText(e.startClock) + "\"";
  j += ",\"end\":\"" + isoUtcText(e.endClock) + "\",\"end_local\":\"" + isoLocalText(e.endClock) + "\"";
  j += ",\"recording\":" + jsonString(recording);
  j += ",\"seconds_into_recording\":" + number(e.start.secondsIntoFile, 1);
  j += ",\"latitude\":" + (e.position ? number(e.position->latitude, 7) : "null");
  j += ",\"longitude\":" + (e.position ? number(e.position->longitude, 7) : "null");
  j += ",\"speed_kmh_at_start\":" + std::to_string(e.startSpeedKmh);
  j += ",\"highest_speed_kmh\":" + std::to_string(e.maxSpeedKmh);
  j += ",\"largest_acceleration_g\":" + number(e.maxAcceleration, 3) + "}";
  return j;
}

std::string episodeCsvHeader() {
  return "kind,start,start_local,end,end_local,recording,seconds_into_recording,latitude,longitude,"
         "speed_kmh_at_start,highest_speed_kmh,largest_acceleration_g\r\n";
}

std::string episodeCsvRow(const EventEpisode& e, const std::string& recording) {
  const std::string lat = e.position ? fixedText(e.position->latitude, 7) : "";
  const std::string lon = e.position ? fixedText(e.position->longitude, 7) : "";
  return std::string(e.name()) + "," + isoUtcText(e.startClock) + "," + isoLocalText(e.startClock) + "," +
         isoUtcText(e.endClock) + "," + isoLocalText(e.endClock) + "," + csvField(recording) + "," +
         fixedText(e.start.secondsIntoFile, 1) + "," + lat + "," + lon + "," + std::to_string(e.startSpeedKmh) + "," +
         std::to_string(e.maxSpeedKmh) + "," + fixedText(e.maxAcceleration, 3) + "\r\n";
}

std::string jsonString(const std::string& text) {
  static const char* const kHex = "0123456789abcdef";
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else if (c >= 0x80) {
      if (const std::size_t n = utf8Length(text, i)) {
        out.append(text, i, n);
        i += n;
        continue;
      }
      out += static_cast<char>(0xC0 | (c >> 6));  // Latin-1 to UTF-8
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out + "\"";
}

std::string utf8Text(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c >= 0x80 ? utf8Length(text, i) : 1;
    if (n > 0) {
      out.append(text, i, n);
      i += n;
      continue;
    }
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
    ++i;
  }
  return out;
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace vk2

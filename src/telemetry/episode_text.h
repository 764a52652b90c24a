#pragma once
// An alarm-event episode as people and programs read it: the listing's fields
// in the user's time basis, date layout, clock and speed unit, and one JSON
// object or CSV row with ISO 8601 times in UTC and in local time with its offset.
// One place for these texts: the events listing, the clips' lines and the report
// page all show an episode the same way.
#include <string>

#include "telemetry/event_episodes.h"

namespace vk2 {

struct EpisodeDisplay {
  bool localTime = true;        // --time-basis
  int dateFormat = 0;           // 0..3 as the subtitles; anything else: the clock alone
  bool twelveHourClock = true;  // --clock
  bool speedKmh = true;         // --speed
};

struct EpisodeFields {
  std::string kind;           // "G-Sensor"
  std::string start;          // "10/29/2021 AM 08:05:53"
  std::string end;            // the clock alone when on the start's day: "AM 08:05:58"
  std::string seconds;        // "5" (end - start by the records' clock, whole seconds)
  std::string recording;      // the file's path as given
  std::string secondsInto;    // "12.5"
  std::string position;       // "48.1376302, 11.5773216" or "none"
  std::string speedAtStart;   // "36 km/h" / "22 mph"
  std::string highestSpeed;   // "52 km/h"
  std::string acceleration;   // "1.23 g"
};

EpisodeFields episodeFields(const EventEpisode& e, const std::string& recording, const EpisodeDisplay& display);

// "G-Sensor 10/29/2021 AM 08:05:53 - AM 08:05:58 (5 s), rec_2.mmv at 12.5 s, 48.1376302, 11.5773216,
// 36 km/h, highest 52 km/h, 1.23 g" on one line; the recording as a listing prints names.
std::string episodeLine(const EventEpisode& e, const std::string& recording, const EpisodeDisplay& display);

// {"kind":"G-Sensor","start":"2021-10-29T08:05:53Z","start_local":"2021-10-29T17:05:53+09:00",
//  "end":…,"end_local":…,"recording":"…","seconds_into_recording":12.5,"latitude":48.1376302,
//  "longitude":11.5773216,"speed_kmh_at_start":36,"highest_speed_kmh":52,"largest_acceleration_g":1.234}
// with null for a position without a fix.
std::string episodeJson(const EventEpisode& e, const std::string& recording);

// The CSV (RFC 4180) header and rows with the JSON's fields, CRLF line ends.
std::string episodeCsvHeader();
std::string episodeCsvRow(const EventEpisode& e, const std::string& recording);

// `text` as a JSON string, quoted: '"', '\\' and control bytes escaped; a byte
// that is not part of valid UTF-8 taken as Latin-1, so the result is valid UTF-8.
std::string jsonString(const std::string& text);
// `text` as valid UTF-8: a byte that is not part of valid UTF-8 taken as Latin-1.
std::string utf8Text(const std::string& text);
// `text` as a CSV field: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

}  // namespace vk2

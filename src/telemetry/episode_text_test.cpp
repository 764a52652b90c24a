// An episode's texts byte for byte, in a zone ahead of UTC.
#include "telemetry/episode_text.h"

#include <gtest/gtest.h>

#include "testing/test_support.h"

namespace vk2 {
namespace {

EventEpisode gsensor() {
  EventEpisode e;
  e.kind = 4;
  e.startClock = 1635494753;  // 2021-10-29 08:05:53 UTC, 17:05:53 in Seoul
  e.endClock = 1635494758;
  e.start = RecordPlace{1, 12.5};
  e.position = TrackPosition{48.1376302, 11.5773216, e.startClock};
  e.startSpeedKmh = 36;
  e.maxSpeedKmh = 52;
  e.maxAcceleration = 1.2346;
  return e;
}

TEST(EpisodeText, ListingJsonAndCsv) {
  testing::ScopedTimeZone seoul("KST-9");  // no daylight saving, as the Windows runtime reads it
  EventEpisode e = gsensor();
  EXPECT_EQ(episodeLine(e, "card/rec_2.mmv", {}),
            "G-Sensor 10/29/2021 PM 05:05:53 - PM 05:05:58 (5 s), card/rec_2.mmv at 12.5 s, 48.1376302, "
            "11.5773216, 36 km/h, highest 52 km/h, 1.23 g");
  e.endClock += 7 * 3600;  // past midnight in Seoul: the end gets its date there
  e.position.reset();
  EXPECT_EQ(episodeLine(e, "x", {}).substr(0, 58), "G-Sensor 10/29/2021 PM 05:05:53 - 10/30/2021 AM 12:05:58 (");
  EXPECT_EQ(episodeLine(e, "a\nb.mmv", {false, 2, false, false}),
            "G-Sensor 2021/10/29 08:05:53 UTC - 15:05:58 UTC (25205 s), a\\x0Ab.mmv at 12.5 s, none, "
            "22 mph, highest 32 mph, 1.23 g");
  EXPECT_EQ(episodeFields(e, "x", {true, 4, true, true}).start, "PM 05:05:53");
  EXPECT_EQ(episodeFields(e, "x", {true, 4, false, true}).end, "00:05:58");

  EXPECT_EQ(episodeJson(gsensor(), "card/\"rec\".mmv"),
            "{\"kind\":\"G-Sensor\",\"start\":\"2021-10-29T08:05:53Z\",\"start_local\":\"2021-10-29T17:05:53+09:00\","
            "\"end\":\"2021-10-29T08:05:58Z\",\"end_local\":\"2021-10-29T17:05:58+09:00\","
            "\"recording\":\"card/\\\"rec\\\".mmv\",\"seconds_into_recording\":12.5,\"latitude\":48.1376302,"
            "\"longitude\":11.5773216,\"speed_kmh_at_start\":36,\"highest_speed_kmh\":52,"
            "\"largest_acceleration_g\":1.235}");
  EXPECT_NE(episodeJson(e, "x").find("\"latitude\":null,\"longitude\":null"), std::string::npos);
  EXPECT_EQ(episodeCsvRow(gsensor(), "a,b.mmv"),
            "G-Sensor,2021-10-29T08:05:53Z,2021-10-29T17:05:53+09:00,2021-10-29T08:05:58Z,2021-10-29T17:05:58+09:00,"
            "\"a,b.mmv\",12.5,48.1376302,11.5773216,36,52,1.235\r\n");
  // Control bytes escaped, UTF-8 kept, a stray byte of another code page made valid.
  EXPECT_EQ(jsonString("\x01\\é\xE9"), "\"\\u0001\\\\é\xC3\xA9\"");
}

}  // namespace
}  // namespace vk2

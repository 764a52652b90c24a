// Each format byte for byte, from a recording made by hand: through the whole
// export, from the walk to the renamed file.
#include <gtest/gtest.h>

#include <limits>

#include "telemetry/track_events.h"
#include "telemetry/track_export.h"
#include "telemetry/track_text.h"
#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::drvAt;
using testing::readText;
using testing::StageHarness;
using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

// Four seconds: a fix, a record without one that raises FCW, a fix where FCW
// holds and Panic starts, a fix with a heading out of range.
std::vector<DrvRecord> fourRecords() {
  DrvRecord a = drvAt(kStart, 37.5665, 126.978, 36);
  a.heading = 90;
  a.engineRpm = 1500;
  a.accelX = 10;
  a.accelY = -20;
  a.accelZ = 1000;
  DrvRecord b = drvAt(kStart + 1, 0, 0, 40);
  b.fcwState = 1;
  DrvRecord c = drvAt(kStart + 2, 37.56655, 126.97812, 45);
  c.heading = 359.5;
  c.engineRpm = 2100;
  c.fcwState = 2;
  c.panicState = 1;
  DrvRecord d = drvAt(kStart + 3, 37.5666, 126.9782, 0);
  d.heading = 400;
  d.ldwState = 3;  // not an alarm
  d.accelX = -5;
  d.accelZ = 980;
  return {a, b, c, d};
}

struct TrackCase {
  TempDir dir;
  StageHarness h;
  explicit TrackCase(const std::vector<DrvRecord>& records = fourRecords()) {
    testing::telemetryRecording(records).writeTo(dir.file("rec.mmv"));
    h.state.selectedFiles = {dir.file("rec.mmv")};
  }
  std::string write(const std::string& name) {
    const std::string target = dir.file(name);
    ExportTrack(h.ctx, target, *trackFormatOfPath(target));
    return readText(target);
  }
};

// The event starts as waypoints before the track, as GPX 1.1 orders them; the
// FCW raised without a fix has no place.
TEST(TrackWriters, GpxLeavesOutTheEventStartWithoutAFix) {
  TrackCase t;
  EXPECT_EQ(t.write("t.gpx"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<gpx version=\"1.1\" creator=\"vk2mp4\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
            "xmlns:vk2=\"urn:vk2:telemetry\">\n"
            "<wpt lat=\"37.5665500\" lon=\"126.9781200\"><time>2021-10-29T08:05:05Z</time><name>Panic</name></wpt>\n"
            "<trk>\n<trkseg>\n"
            "<trkpt lat=\"37.5665000\" lon=\"126.9780000\"><time>2021-10-29T08:05:03Z</time><extensions>"
            "<vk2:speed>10.000</vk2:speed><vk2:course>90.00</vk2:course></extensions></trkpt>\n"
            "<trkpt lat=\"37.5665500\" lon=\"126.9781200\"><time>2021-10-29T08:05:05Z</time><extensions>"
            "<vk2:speed>12.500</vk2:speed><vk2:course>359.50</vk2:course></extensions></trkpt>\n"
            "<trkpt lat=\"37.5666000\" lon=\"126.9782000\"><time>2021-10-29T08:05:06Z</time><extensions>"
            "<vk2:speed>0.000</vk2:speed></extensions></trkpt>\n"
            "</trkseg>\n</trk>\n</gpx>\n");
}

TEST(TrackWriters, KmlLeavesOutTheEventStartWithoutAFix) {
  TrackCase t;
  EXPECT_EQ(t.write("t.kml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n"
            "<Placemark>\n<name>Track</name>\n<LineString>\n<coordinates>\n"
            "126.9780000,37.5665000\n126.9781200,37.5665500\n126.9782000,37.5666000\n"
            "</coordinates>\n</LineString>\n</Placemark>\n"
            "<Placemark>\n<name>Panic</name>\n<TimeStamp><when>2021-10-29T08:05:05Z</when></TimeStamp>\n"
            "<Point><coordinates>126.9781200,37.5665500</coordinates></Point>\n</Placemark>\n"
            "</Document>\n</kml>\n");
}

TEST(TrackWriters, GeoJson) {
  TrackCase t;
  EXPECT_EQ(t.write("t.geojson"),
            "{\"type\":\"FeatureCollection\",\"features\":[\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":"
            "[[126.9780000,37.5665000],[126.9781200,37.5665500],[126.9782000,37.5666000]]},"
            "\"properties\":{\"times\":[\"2021-10-29T08:05:03Z\",\"2021-10-29T08:05:05Z\",\"2021-10-29T08:05:06Z\"]}},\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[126.9781200,37.5665500]},"
            "\"properties\":{\"event\":\"Panic\",\"time\":\"2021-10-29T08:05:05Z\"}}\n"
            "]}\n");
}

TEST(TrackWriters, CsvInLocalTimeAndKmh) {
  testing::ScopedTimeZone zone("JST-9");  // UTC+9, no daylight saving
  TrackCase t;
  EXPECT_EQ(t.write("t.csv"),
            "time_utc,subtitle_time_local,latitude,longitude,heading,speed_kmh,rpm,accel_x_g,accel_y_g,accel_z_g,"
            "fcw,ldw,fpw,fvsa,g_sensor,speeding,panic\r\n"
            "2021-10-29T08:05:03Z,2021-10-29T17:05:03+09:00,37.5665000,126.9780000,90.00,36,1500,0.010,-0.020,1.000,"
            "0,0,0,0,0,0,0\r\n"
            "2021-10-29T08:05:04Z,2021-10-29T17:05:04+09:00,0.0000000,0.0000000,0.00,40,0,0.000,0.000,0.000,"
            "1,0,0,0,0,0,0\r\n"
            "2021-10-29T08:05:05Z,2021-10-29T17:05:05+09:00,37.5665500,126.9781200,359.50,45,2100,0.000,0.000,0.000,"
            "1,0,0,0,0,0,1\r\n"
            "2021-10-29T08:05:06Z,2021-10-29T17:05:06+09:00,37.5666000,126.9782000,,0,0,-0.005,0.000,0.980,"
            "0,0,0,0,0,0,0\r\n");
}

TEST(TrackWriters, CsvInUtcAndMphInsideTheTrims) {
  TrackCase t;
  t.h.options.subLocal = false;
  t.h.options.speedKmh = false;
  // Eight records over four seconds: the window of 1 and 1 seconds keeps sequence numbers 2 to 6.
  t.h.state.trimStart = 1;
  t.h.state.trimEnd = 1;
  EXPECT_EQ(t.write("t.csv"),
            "time_utc,subtitle_time_utc,latitude,longitude,heading,speed_mph,rpm,accel_x_g,accel_y_g,accel_z_g,"
            "fcw,ldw,fpw,fvsa,g_sensor,speeding,panic\r\n"
            "2021-10-29T08:05:04Z,2021-10-29T08:05:04Z,0.0000000,0.0000000,0.00,24.85,0,0.000,0.000,0.000,"
            "1,0,0,0,0,0,0\r\n"
            "2021-10-29T08:05:05Z,2021-10-29T08:05:05Z,37.5665500,126.9781200,359.50,27.96,2100,0.000,0.000,0.000,"
            "1,0,0,0,0,0,1\r\n");
  // The FCW raised at the window's first record starts there; it has no fix, so no point.
  const std::string kml = t.write("t.kml");
  EXPECT_EQ(kml.find("<name>FCW</name>"), std::string::npos);
  EXPECT_NE(kml.find("<name>Panic</name>"), std::string::npos);
}

TEST(TrackWriters, FewerThanTwoFixesMakeNoLine) {
  DrvRecord only = drvAt(kStart, 1.5, -2.25);
  only.speedingState = 1;
  TrackCase t({only, drvAt(kStart + 1, 0, 0)});
  EXPECT_EQ(t.write("t.geojson"),
            "{\"type\":\"FeatureCollection\",\"features\":[\n"
            "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[-2.2500000,1.5000000]},"
            "\"properties\":{\"event\":\"Speeding\",\"time\":\"2021-10-29T08:05:03Z\"}}\n"
            "]}\n");
}

TEST(TrackWriters, AnEpisodeStartsOnceRaisesThreeSecondsApartJoin) {
  EventStarts starts;
  std::vector<std::string> seen;
  // G-Sensor at 0, 1, 4 (3 s after 1: the same episode), 8; state 3 raises nothing.
  // FVSA on every record starts again after the clock's 4-second step.
  const std::vector<std::pair<int32_t, uint8_t>> gsensor{{0, 1}, {1, 2}, {2, 0}, {3, 3}, {4, 2}, {8, 1}, {9, 0}};
  for (const auto& [clock, state] : gsensor) {
    DrvRecord r;
    r.sampleTime = kStart + clock;
    r.gsensorState = state;
    r.fvsaState = 1;
    for (const std::size_t kind : starts.feed(r)) seen.push_back(kTrackEvents[kind].name);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"FVSA", "G-Sensor", "FVSA", "G-Sensor"}));
}

TEST(TrackText, NumbersAndTimes) {
  EXPECT_EQ(fixedText(-0.00000001, 7), "0.0000000");
  EXPECT_EQ(fixedText(std::numeric_limits<double>::quiet_NaN(), 3), "");
  EXPECT_EQ(isoUtcText(-1), "1969-12-31T23:59:59Z");
  {
    testing::ScopedTimeZone zone("XYZ+3:30");  // 3:30 behind UTC
    EXPECT_EQ(isoLocalText(kStart), "2021-10-29T04:35:03-03:30");
  }
  {
    // Offsets of old zones are not whole minutes; local time minus the offset stays UTC.
    testing::ScopedTimeZone amsterdam("AMT-0:19:32");  // Amsterdam before 1937
    EXPECT_EQ(isoLocalText(kStart), "2021-10-29T08:24:35+00:19:32");
  }
  {
    testing::ScopedTimeZone monrovia("MMT+0:44:30");  // Monrovia before 1972
    EXPECT_EQ(isoLocalText(kStart), "2021-10-29T07:20:33-00:44:30");
  }
  EXPECT_TRUE(hasPositionFix(drvAt(0, 0, 1e-7)));
  EXPECT_FALSE(hasPositionFix(drvAt(0, 91, 0)));
}

}  // namespace
}  // namespace vk2

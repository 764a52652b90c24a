#ifndef _WIN32
// The track files as independent readers see them: ogrinfo (GDAL) opens all
// four formats, gpsbabel reads the GPX and the KML. Each test is skipped when
// its reader is not installed (scripts/setup installs both).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "core/number_text.h"
#include "telemetry/track_export.h"
#include "telemetry/track_text.h"
#include "testing/stage_harness.h"
#include "testing/telemetry_recording.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using testing::shellQuoted;
using testing::splitLines;
using testing::TempDir;

constexpr int32_t kStart = 1635494703;  // 2021-10-29 08:05:03 UTC

bool installed(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// Twelve seconds of driving; record 4 has no fix. FCW starts at record 2,
// Panic at record 4 (no fix, so no point), Speeding at record 9.
std::vector<DrvRecord> drive() {
  std::vector<DrvRecord> records;
  for (int i = 0; i < 12; ++i) {
    DrvRecord r = testing::drvAt(kStart + i, 48.1 + i * 0.0001, 11.5 + i * 0.0002, static_cast<uint8_t>(30 + 2 * i));
    r.heading = 10.5 * i;
    r.fcwState = (i == 2 || i == 3) ? 1 : 0;
    r.panicState = (i == 4 || i == 5) ? 2 : 0;
    r.speedingState = i == 9 ? 1 : 0;
    records.push_back(r);
  }
  records[4].latitude = records[4].longitude = 0;
  return records;
}

std::vector<DrvRecord> fixes() {
  std::vector<DrvRecord> kept = drive();
  kept.erase(kept.begin() + 4);
  return kept;
}

// "2021/10/29 08:05:03": how both readers print a time.
std::string slashTime(int32_t seconds) {
  std::string iso = isoUtcText(seconds);  // 2021-10-29T08:05:03Z
  iso[4] = iso[7] = '/';
  iso[10] = ' ';
  return iso.substr(0, 19);
}

// One feature of "ogrinfo -al": its fields by name, and its geometry text.
struct Feature {
  std::map<std::string, std::string> fields;
  std::string geometry;
};

std::vector<Feature> features(const std::string& listing) {
  std::vector<Feature> out;
  for (const std::string& line : splitLines(listing)) {
    if (line.rfind("OGRFeature(", 0) == 0) out.emplace_back();
    if (out.empty() || line.size() < 3 || line[0] != ' ') continue;
    const std::string text = line.substr(2);
    const std::size_t type = text.find(" ("), equals = text.find(") = ");
    if (type != std::string::npos && equals != std::string::npos && type < equals)
      out.back().fields[text.substr(0, type)] = text.substr(equals + 4);
    else
      out.back().geometry = text;
  }
  return out;
}

// The numbers of a geometry text, "POINT (11.5 48.1)" or "LINESTRING (...)", in order.
std::vector<double> numbersOf(const std::string& geometry) {
  std::string text = geometry.substr(geometry.find('(') + 1);
  for (char& c : text)
    if (c == ',' || c == '(' || c == ')') c = ' ';
  std::istringstream in(text);
  std::vector<double> numbers;
  for (double v; in >> v;) numbers.push_back(v);
  return numbers;
}

struct Tracks {
  TempDir dir;
  Tracks() {
    testing::telemetryRecording(drive()).writeTo(dir.file("rec.mmv"));
    testing::StageHarness h;
    h.state.selectedFiles = {dir.file("rec.mmv")};
    for (const char* name : {"t.gpx", "t.kml", "t.geojson", "t.csv"})
      ExportTrack(h.ctx, dir.file(name), *trackFormatOfPath(name));
  }
  std::string ogrinfo(const std::string& name, const std::string& options, const std::string& layer = "") const {
    return testing::commandOutput("ogrinfo -ro " + options + " " + shellQuoted(dir.file(name)) + " " + layer + " 2>&1");
  }
  std::string gpsbabel(const std::string& format, const std::string& name, bool tracks) const {
    return testing::commandOutput(std::string("TZ=UTC gpsbabel ") + (tracks ? "-t " : "") + "-i " + format + " -f " +
                                  shellQuoted(dir.file(name)) + " -o unicsv -F - 2>&1");
  }
};

void expectPosition(const std::vector<double>& numbers, std::size_t at, const DrvRecord& r) {
  ASSERT_GE(numbers.size(), at + 2);
  EXPECT_NEAR(numbers[at], r.longitude, 1e-9);
  EXPECT_NEAR(numbers[at + 1], r.latitude, 1e-9);
}

// One export, read back in all four formats; the feature counts are the sizes asserted.
TEST(TrackReadback, OgrinfoReadsAllFourFormats) {
  if (!installed("ogrinfo")) GTEST_SKIP() << "ogrinfo (gdal-bin) is not installed";
  const Tracks t;
  const std::vector<DrvRecord> all = drive(), kept = fixes();

  // GPX: the fixes with their times, speeds and courses.
  const std::vector<Feature> points = features(t.ogrinfo("t.gpx", "-al", "track_points"));
  ASSERT_EQ(points.size(), kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) {
    SCOPED_TRACE(i);
    const std::map<std::string, std::string>& f = points[i].fields;
    EXPECT_EQ(f.at("time"), slashTime(kept[i].sampleTime) + "+00");
    EXPECT_NEAR(decimalNumber(f.at("vk2_speed")).value(), kept[i].speedKmh / 3.6, 0.0005);
    EXPECT_NEAR(decimalNumber(f.at("vk2_course")).value(), kept[i].heading, 0.005);
    expectPosition(numbersOf(points[i].geometry), 0, kept[i]);
  }

  // KML and GeoJSON: the line through the fixes, then a point where FCW and Speeding
  // start; GPX: those points as its waypoints.
  for (const auto& [file, layer, nameField, timeField] :
       {std::tuple{"t.kml", "", "Name", "timestamp"}, std::tuple{"t.geojson", "", "event", "time"},
        std::tuple{"t.gpx", "waypoints", "name", "time"}}) {
    SCOPED_TRACE(file);
    std::vector<Feature> f = features(t.ogrinfo(file, "-al", layer));
    const bool withLine = std::string(layer).empty();
    ASSERT_EQ(f.size(), withLine ? 3u : 2u);
    if (withLine) {
      if (std::string(file) == "t.kml") {
        EXPECT_EQ(f[0].fields.at("Name"), "Track");
      } else {
        std::string times = "(11:";
        for (std::size_t i = 0; i < kept.size(); ++i) times += (i ? "," : "") + isoUtcText(kept[i].sampleTime);
        EXPECT_EQ(f[0].fields.at("times"), times + ")");
      }
      const std::vector<double> line = numbersOf(f[0].geometry);
      ASSERT_EQ(line.size(), 2 * kept.size());
      for (std::size_t i = 0; i < kept.size(); ++i) expectPosition(line, 2 * i, kept[i]);
      f.erase(f.begin());
    }
    for (const auto& [at, name, record] : {std::tuple{0, "FCW", 2}, std::tuple{1, "Speeding", 9}}) {
      const Feature& p = f[static_cast<std::size_t>(at)];
      EXPECT_EQ(p.fields.at(nameField), name);
      EXPECT_EQ(p.fields.at(timeField), slashTime(all[static_cast<std::size_t>(record)].sampleTime) + "+00");
      EXPECT_EQ(p.geometry.rfind("POINT (", 0), 0u);
      expectPosition(numbersOf(p.geometry), 0, all[static_cast<std::size_t>(record)]);
    }
  }

  // CSV: every record, the one without a fix too.
  const std::vector<Feature> rows = features(t.ogrinfo("t.csv", "-al"));
  ASSERT_EQ(rows.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(i);
    const std::map<std::string, std::string>& f = rows[i].fields;
    EXPECT_EQ(f.at("time_utc"), isoUtcText(all[i].sampleTime));
    EXPECT_EQ(std::stoi(f.at("speed_kmh")), all[i].speedKmh);
    EXPECT_NEAR(decimalNumber(f.at("latitude")).value(), all[i].latitude, 1e-9);
    EXPECT_EQ(f.at("panic"), all[i].panicState ? "1" : "0");
  }
}

// gpsbabel's unicsv rows: "No,Latitude,Longitude[,Name],Date,Time".
std::vector<std::vector<std::string>> unicsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (std::string line : splitLines(text)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

TEST(TrackReadback, GpsbabelReadsTheGpxAndTheKml) {
  if (!installed("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
  const Tracks t;
  const auto rows = unicsvRows(t.gpsbabel("gpx", "t.gpx", true));
  const std::vector<DrvRecord> kept = fixes();
  ASSERT_EQ(rows.size(), kept.size() + 1) << t.gpsbabel("gpx", "t.gpx", true);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"No", "Latitude", "Longitude", "Date", "Time"}));
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const std::vector<std::string>& row = rows[i + 1];
    ASSERT_EQ(row.size(), 5u);
    EXPECT_NEAR(decimalNumber(row[1]).value(), kept[i].latitude, 5e-7);
    EXPECT_NEAR(decimalNumber(row[2]).value(), kept[i].longitude, 5e-7);
    EXPECT_EQ(row[3] + " " + row[4], slashTime(kept[i].sampleTime));
  }
  // The KML's line has the same points; the GPX's waypoints and the KML's event
  // points, with their names and times.
  EXPECT_EQ(unicsvRows(t.gpsbabel("kml", "t.kml", true)).size(), kept.size() + 1);
  const std::vector<DrvRecord> all = drive();
  for (const char* format : {"gpx", "kml"}) {
    SCOPED_TRACE(format);
    const std::string file = std::string("t.") + format;
    const auto events = unicsvRows(t.gpsbabel(format, file, false));
    ASSERT_EQ(events.size(), 3u) << t.gpsbabel(format, file, false);
    EXPECT_EQ(events[0], (std::vector<std::string>{"No", "Latitude", "Longitude", "Name", "Date", "Time"}));
    for (const auto& [at, name, record] : {std::tuple{1, "\"FCW\"", 2}, std::tuple{2, "\"Speeding\"", 9}}) {
      const std::vector<std::string>& row = events[static_cast<std::size_t>(at)];
      ASSERT_EQ(row.size(), 6u);
      EXPECT_EQ(row[3], name);
      EXPECT_EQ(row[4] + " " + row[5], slashTime(all[static_cast<std::size_t>(record)].sampleTime));
      EXPECT_NEAR(decimalNumber(row[1]).value(), all[static_cast<std::size_t>(record)].latitude, 5e-7);
    }
  }
}

}  // namespace
}  // namespace vk2
#endif

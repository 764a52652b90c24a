#include "telemetry/track_format.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/paths.h"
#include "telemetry/csv_writer.h"
#include "telemetry/geojson_writer.h"
#include "telemetry/gpx_writer.h"
#include "telemetry/kml_writer.h"

namespace vk2 {

namespace {

struct FormatName {
  TrackFormat format;
  const char* name;
  const char* extension;
};

constexpr std::array<FormatName, 4> kFormats{{
    {TrackFormat::Gpx, "gpx", ".gpx"},
    {TrackFormat::Kml, "kml", ".kml"},
    {TrackFormat::GeoJson, "geojson", ".geojson"},
    {TrackFormat::Csv, "csv", ".csv"},
}};

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

std::optional<TrackFormat> trackFormatNamed(const std::string& name) {
  for (const FormatName& f : kFormats)
    if (name == f.name) return f.format;
  return std::nullopt;
}

std::optional<TrackFormat> trackFormatOfPath(const std::string& path) {
  const std::string name = lowerCase(fileNameOf(path));
  for (const FormatName& f : kFormats) {
    const std::string extension = f.extension;
    // A bare ".gpx" names no file.
    if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
      return f.format;
  }
  return std::nullopt;
}

const char* trackExtension(TrackFormat format) {
  for (const FormatName& f : kFormats)
    if (f.format == format) return f.extension;
  return "";
}

std::string trackPathBeside(const std::string& videoPath, TrackFormat format) {
  const std::string name = fileNameOf(videoPath);
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? videoPath : videoPath.substr(0, videoPath.size() - (name.size() - dot));
  return stem + trackExtension(format);
}

std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format, std::ostream& out, const TrackSettings& settings) {
  switch (format) {
    case TrackFormat::Gpx: return std::make_unique<GpxWriter>(out);
    case TrackFormat::Kml: return std::make_unique<KmlWriter>(out);
    case TrackFormat::GeoJson: return std::make_unique<GeoJsonWriter>(out);
    case TrackFormat::Csv: return std::make_unique<CsvWriter>(out, settings);
  }
  return nullptr;
}

}  // namespace vk2

#pragma once
// The track file formats, known by the file name's extension or by name.
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "telemetry/track_writer.h"

namespace vk2 {

enum class TrackFormat { Gpx, Kml, GeoJson, Csv };

// "gpx", "kml", "geojson", "csv".
std::optional<TrackFormat> trackFormatNamed(const std::string& name);
// By the extension (".gpx", ".kml", ".geojson", ".csv", in any case).
std::optional<TrackFormat> trackFormatOfPath(const std::string& path);
// ".gpx" ...
const char* trackExtension(TrackFormat format);
// The track beside a video: "X.mp4" (or "X.mkv") gives "X.gpx".
std::string trackPathBeside(const std::string& videoPath, TrackFormat format);

std::unique_ptr<TrackWriter> makeTrackWriter(TrackFormat format, std::ostream& out, const TrackSettings& settings);

}  // namespace vk2

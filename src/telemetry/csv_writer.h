#pragma once
// CSV (RFC 4180, CRLF line ends): a header row, then every record inside the
// window, with or without a position fix. The first time column is UTC; the
// second follows the subtitles' clock (local time with its offset, or UTC), the
// speed the chosen unit; the header names both. Events are 0 or 1 as the
// subtitles raise them.
#include <ostream>

#include "telemetry/track_writer.h"

namespace vk2 {

class CsvWriter : public TrackWriter {
 public:
  CsvWriter(std::ostream& out, const TrackSettings& settings) : out_(out), settings_(settings) {}
  void begin() override;
  void add(const DrvRecord& record) override;

 private:
  std::ostream& out_;
  TrackSettings settings_;
};

}  // namespace vk2

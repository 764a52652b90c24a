#pragma once
// Reads the converter's diagnostic output during the burn-in and turns its
// "Duration: " and "time=" fields into a share of the work done.
#include <optional>
#include <string>

namespace vk2::cli {

class BurnInProgress {
 public:
  // Feeds the next piece of output; returns the share done (0..1) when it changed.
  std::optional<double> feed(const std::string& chunk);

 private:
  std::string pending_;
  double durationSeconds_ = 0;
  double lastShare_ = -1;
};

// "01:02:03.50" as seconds; nullopt when it is not such a clock text.
std::optional<double> clockSeconds(const std::string& text);

}  // namespace vk2::cli

#pragma once
// Reads the converter's diagnostic output during a step and turns its
// "Duration: " and "time=" fields into a share of the work done, for the
// command line and the windows alike.
#include <optional>
#include <string>

namespace vk2 {

class ConverterProgress {
 public:
  // Feeds the next piece of output; returns the share done (0..1) when it changed.
  std::optional<double> feed(const std::string& chunk);

 private:
  std::string pending_;
  double durationSeconds_ = 0;
  double lastShare_ = -1;
};

// What the windows show of a step: "42 % done, about 1:10 left" (the time left
// estimated from the time the step has taken so far; left out until 1 % is done).
std::string progressText(double share, double elapsedSeconds);

// "01:02:03.50" as seconds; nullopt when it is not such a clock text.
std::optional<double> clockSeconds(const std::string& text);

}  // namespace vk2

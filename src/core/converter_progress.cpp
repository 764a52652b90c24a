#include "core/converter_progress.h"

#include <charconv>
#include <cstdio>

#include "core/number_text.h"

namespace vk2 {

namespace {

// The clock text that follows `key` at `pos`, up to a blank, comma or line end.
std::string fieldAfter(const std::string& text, std::size_t pos, std::size_t keyLength) {
  const std::size_t begin = pos + keyLength;
  const std::size_t end = text.find_first_of(" ,\r\n", begin);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

std::optional<double> clockSeconds(const std::string& text) {
  // Read by hand: sscanf's "%lf" would take the locale's decimal point, and
  // the converter writes "05.50" whatever it is.
  const char* end = text.data() + text.size();
  int h = 0, m = 0;
  const auto [afterHours, hoursError] = std::from_chars(text.data(), end, h);
  if (hoursError != std::errc() || afterHours == end || *afterHours != ':') return std::nullopt;
  const auto [afterMinutes, minutesError] = std::from_chars(afterHours + 1, end, m);
  if (minutesError != std::errc() || afterMinutes == end || *afterMinutes != ':') return std::nullopt;
  const std::optional<double> s = decimalNumber(std::string_view(afterMinutes + 1, end));
  if (!s || h < 0 || m < 0 || *s < 0) return std::nullopt;
  return h * 3600.0 + m * 60.0 + *s;
}

std::string progressText(double share, double elapsedSeconds) {
  char text[64];
  const int percent = static_cast<int>(share * 100 + 0.5);
  if (share < 0.01) {
    std::snprintf(text, sizeof text, "%d %% done", percent);
    return text;
  }
  const long left = static_cast<long>(elapsedSeconds * (1 - share) / share + 0.5);
  std::snprintf(text, sizeof text, "%d %% done, about %ld:%02ld left", percent, left / 60, left % 60);
  return text;
}

std::optional<double> ConverterProgress::feed(const std::string& chunk) {
  pending_ += chunk;
  std::optional<double> result;
  // Only whole lines ("\r" ends each progress line) are read.
  std::size_t end;
  while ((end = pending_.find_first_of("\r\n")) != std::string::npos) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    std::size_t pos;
    if (durationSeconds_ <= 0 && (pos = line.find("Duration: ")) != std::string::npos) {
      if (auto d = clockSeconds(fieldAfter(line, pos, 10))) durationSeconds_ = *d;
    } else if (durationSeconds_ > 0 && (pos = line.find("time=")) != std::string::npos) {
      if (auto t = clockSeconds(fieldAfter(line, pos, 5))) {
        double share = *t / durationSeconds_;
        share = share < 0 ? 0 : (share > 1 ? 1 : share);
        if (share != lastShare_) {
          lastShare_ = share;
          result = share;
        }
      }
    }
  }
  return result;
}

}  // namespace vk2

#include "core/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vk2 {

namespace {

// The largest double in fixed notation has 309 digits before the point.
constexpr int kMostDecimals = 100;
constexpr std::size_t kRoom = 320 + kMostDecimals;

std::string converted(double value, std::chars_format format, int precision) {
  char text[kRoom];
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, format, std::clamp(precision, 0, kMostDecimals));
  return ec == std::errc() ? std::string(text, end) : std::string();
}

}  // namespace

std::string fixedNumber(double value, int decimals, int width) {
  std::string text = converted(value, std::chars_format::fixed, decimals);
  if (width > 0 && text.size() < static_cast<std::size_t>(width))
    text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

std::string generalNumber(double value, int precision) {
  return converted(value, std::chars_format::general, std::max(precision, 1));
}

std::optional<double> decimalNumber(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  if (ec != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace vk2

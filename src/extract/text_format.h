#pragma once
// printf-style formatting into a std::string of whatever length the value needs
// (a heading of 1e300 prints 301 digits; nothing is cut).
#include <string>

namespace vk2 {

#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatText(const char* format, ...);

}  // namespace vk2

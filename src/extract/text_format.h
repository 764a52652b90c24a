#pragma once
// printf-style formatting into a std::string of whatever length the value needs.
// For whole numbers and texts only: a "%f" would follow the locale's decimal
// point; numbers with a fraction go through core/number_text.h.
#include <string>

namespace vk2 {

#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatText(const char* format, ...);

}  // namespace vk2

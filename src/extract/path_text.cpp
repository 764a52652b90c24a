#include "extract/path_text.h"

namespace vk2 {

std::size_t fileNameStart(const std::string& path) {
#ifdef _WIN32
  const std::size_t last = path.find_last_of("/\\:");
#else
  const std::size_t last = path.find_last_of('/');
#endif
  return last == std::string::npos ? 0 : last + 1;
}

}  // namespace vk2

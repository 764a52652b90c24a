#include "core/paths.h"

namespace vk2 {

namespace {
bool isSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/' || c == ':';
#else
  return c == '/';
#endif
}
}  // namespace

std::string folderOf(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (isSeparator(path[i - 1])) return path.substr(0, i);
  return std::string();
}

std::string fileNameOf(const std::string& path) { return path.substr(folderOf(path).size()); }

}  // namespace vk2

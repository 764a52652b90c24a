#include "platform/folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/filesystem_names.h"

namespace vk2 {

namespace {
std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}
}  // namespace

std::string defaultOutputFolder() {
#ifdef _WIN32
  return env("HOMEDRIVE") + env("HOMEPATH") + "\\Documents\\Velmora\\MMV_TO_MP4\\";
#else
  return env("HOME") + "/Documents/Velmora/MMV_TO_MP4/";
#endif
}

bool createFolders(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(pathOf(path), ec);
  return std::filesystem::is_directory(pathOf(path), ec);
}

}  // namespace vk2

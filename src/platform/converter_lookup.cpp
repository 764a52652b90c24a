#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/filesystem_names.h"
#include "platform/process_launch.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vk2 {

namespace {

std::string currentFolder() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string() : nameOf(cwd);
}

#ifndef _WIN32
bool isExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string joined(const std::string& folder, const char* name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}
#endif

}  // namespace

std::string converterPath() {
#ifdef _WIN32
  // Passed as built: a drive root gives a doubled separator, which Windows accepts.
  return currentFolder() + "\\ffmpeg.exe";
#else
  const std::string cwd = currentFolder();
  if (!cwd.empty() && isExecutableFile(joined(cwd, "ffmpeg"))) return joined(cwd, "ffmpeg");
  const char* path = std::getenv("PATH");
  std::string entries = path ? path : "";
  std::size_t start = 0;
  while (start <= entries.size()) {
    std::size_t end = entries.find(':', start);
    if (end == std::string::npos) end = entries.size();
    // An empty entry stands for the current folder, already looked at above.
    const std::string folder = entries.substr(start, end - start);
    if (!folder.empty() && folder.front() == '/' && isExecutableFile(joined(folder, "ffmpeg")))
      return joined(folder, "ffmpeg");
    start = end + 1;
  }
  return std::string();
#endif
}

bool openFolderInFileManager(ProcessLauncher& launcher, const std::string& folder) {
#ifdef _WIN32
  return launcher.startDetached({"explorer", folder});
#else
  return launcher.startDetached({"xdg-open", folder});
#endif
}

}  // namespace vk2

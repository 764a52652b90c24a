#include "core/file_identity.h"

#include <filesystem>
#include <system_error>

namespace vk2 {

namespace fs = std::filesystem;

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec) && !ec;
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

void clearForNewFile(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (ec) return;
  // Devices, pipes and folders are never touched; a plain file with one name
  // is simply truncated when opened.
  const bool shared = fs::is_regular_file(st) && fs::hard_link_count(path, ec) > 1 && !ec;
  if (fs::is_symlink(st) || shared) fs::remove(path, ec);
}

void removeFileQuietly(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (ec || fs::is_directory(st)) return;
  fs::remove(path, ec);
}

}  // namespace vk2

#include "conversion/saved_target.h"

#include <filesystem>
#include <system_error>

#include "core/file_error.h"

namespace vk2 {

namespace fs = std::filesystem;

SavedTarget::SavedTarget(std::string target) : target_(std::move(target)) {}

SavedTarget::~SavedTarget() { restore(); }

bool SavedTarget::targetExists() const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fs::path(target_), ec));
}

void SavedTarget::moveAside() {
  if (!targetExists()) return;
  std::error_code ec;
  for (int n = 1; n < 10000; ++n) {
    std::string candidate = target_ + ".previous" + (n == 1 ? std::string() : "-" + std::to_string(n));
    if (fs::exists(fs::symlink_status(fs::path(candidate), ec))) continue;
    fs::rename(fs::path(target_), fs::path(candidate), ec);
    if (ec) throw FileError(target_, "cannot move the existing file aside: " + ec.message());
    savedPath_ = candidate;
    return;
  }
  throw FileError(target_, "cannot find a free name to move the existing file aside");
}

std::string SavedTarget::restore() {
  if (savedPath_.empty()) return std::string();
  std::error_code ec;
  fs::rename(fs::path(savedPath_), fs::path(target_), ec);
  const std::string kept = savedPath_;
  savedPath_.clear();
  if (ec) return "The file that was at " + target_ + " is kept as " + kept + ".";
  return std::string();
}

void SavedTarget::discard() {
  if (savedPath_.empty()) return;
  std::error_code ec;
  fs::remove(fs::path(savedPath_), ec);
  savedPath_.clear();
}

}  // namespace vk2

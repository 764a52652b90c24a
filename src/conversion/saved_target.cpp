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

namespace {

bool nameTaken(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fs::path(path), ec));
}

// "X_without_subtitles.mp4", then "X_without_subtitles-2.mp4" ... (".mkv" for a .mkv target)
std::string freePlainMp4Name(const std::string& target) {
  const std::string stem = target.size() >= 4 ? target.substr(0, target.size() - 4) : target;
  const std::string extension = target.size() >= 4 ? target.substr(target.size() - 4) : ".mp4";
  for (int n = 1; n < 10000; ++n) {
    std::string candidate = stem + "_without_subtitles";
    if (n > 1) candidate.append(1, '-').append(std::to_string(n));
    candidate += extension;
    if (!nameTaken(candidate)) return candidate;
  }
  throw FileError(target, "cannot find a free name to keep the MP4 without subtitles beside it");
}

}  // namespace

std::string SavedTarget::asideName(const std::string& target, int attempt) {
  std::string name = target + ".previous";
  if (attempt > 1) name.append(1, '-').append(std::to_string(attempt));
  return name;
}

std::string SavedTarget::keepPlainMp4Beside() {
  const std::string kept = freePlainMp4Name(target_);
  std::error_code ec;
  fs::rename(fs::path(target_), fs::path(kept), ec);
  if (ec) throw FileError(target_, "cannot move the MP4 without subtitles aside: " + ec.message());
  return kept;
}

void SavedTarget::moveAside() {
  if (!targetExists()) return;
  std::error_code ec;
  for (int n = 1; n < 10000; ++n) {
    const std::string candidate = asideName(target_, n);
    if (nameTaken(candidate)) continue;
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

std::string SavedTarget::release() {
  std::string kept;
  kept.swap(savedPath_);
  return kept;
}

void SavedTarget::discard() {
  if (savedPath_.empty()) return;
  std::error_code ec;
  fs::remove(fs::path(savedPath_), ec);
  savedPath_.clear();
}

}  // namespace vk2

#include "conversion/saved_target.h"

#include <filesystem>
#include <system_error>

#include "core/file_error.h"
#include "core/filesystem_names.h"

namespace vk2 {

namespace fs = std::filesystem;

SavedTarget::SavedTarget(RunFiles files) : files_(std::move(files)) {}

SavedTarget::~SavedTarget() { restore(); }

bool SavedTarget::targetExists() const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(pathOf(files_.target), ec));
}

namespace {

bool nameTaken(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(pathOf(path), ec));
}

}  // namespace

std::string SavedTarget::keepPlainMp4Beside() {
  std::string kept;
  for (int n = 1; n < 10000 && kept.empty(); ++n)
    if (!nameTaken(files_.plainBesideName(n))) kept = files_.plainBesideName(n);
  if (kept.empty()) throw FileError(files_.target, "cannot find a free name to keep the MP4 without subtitles beside it");
  std::error_code ec;
  fs::rename(pathOf(files_.target), pathOf(kept), ec);
  if (ec) throw FileError(files_.target, "cannot move the MP4 without subtitles aside: " + ec.message());
  return kept;
}

void SavedTarget::moveAside() {
  if (!targetExists()) return;
  std::error_code ec;
  for (int n = 1; n < 10000; ++n) {
    const std::string candidate = files_.asideName(n);
    if (nameTaken(candidate)) continue;
    fs::rename(pathOf(files_.target), pathOf(candidate), ec);
    if (ec) throw FileError(files_.target, "cannot move the existing file aside: " + ec.message());
    savedPath_ = candidate;
    return;
  }
  throw FileError(files_.target, "cannot find a free name to move the existing file aside");
}

std::string SavedTarget::restore() {
  if (savedPath_.empty()) return std::string();
  std::error_code ec;
  fs::rename(pathOf(savedPath_), pathOf(files_.target), ec);
  const std::string kept = savedPath_;
  savedPath_.clear();
  if (ec) return "The file that was at " + files_.target + " is kept as " + kept + ".";
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
  fs::remove(pathOf(savedPath_), ec);
  savedPath_.clear();
}

}  // namespace vk2

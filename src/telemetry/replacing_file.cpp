#include "telemetry/replacing_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <locale>
#include <system_error>

#include "core/file_error.h"
#include "core/filesystem_names.h"

namespace vk2 {

namespace fs = std::filesystem;

namespace {

bool nameTaken(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(pathOf(path), ec));
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
  for (int n = 1; n < 1000 && working_.empty(); ++n) {
    std::string candidate = target_ + ".part";
    if (n > 1) candidate.append(1, '-').append(std::to_string(n));
    if (!nameTaken(candidate)) working_ = candidate;
  }
  if (working_.empty()) throw FileError(target_, "cannot find a free working name beside it");
  errno = 0;
  out_.open(working_, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!out_.is_open()) throw FileError(target_, "cannot create " + working_ + ": " + systemReason(errno));
  out_.imbue(std::locale::classic());
}

ReplacingFile::~ReplacingFile() {
  if (committed_) return;
  out_.close();
  std::remove(working_.c_str());
}

void ReplacingFile::commit() {
  errno = 0;
  out_.flush();
  out_.close();
  if (!out_) throw FileError(target_, "cannot write " + working_ + ": " + systemReason(errno));
  std::error_code ec;
  fs::rename(pathOf(working_), pathOf(target_), ec);
  if (ec) throw FileError(target_, "cannot replace it with " + working_ + ": " + ec.message());
  committed_ = true;
}

}  // namespace vk2

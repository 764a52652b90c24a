#include "core/run_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/file_error.h"
#include "core/file_identity.h"
#include "core/filesystem_names.h"
#include "core/paths.h"

namespace vk2 {

namespace {

namespace fs = std::filesystem;

// The streams, the script and the subtitled video of `target`.
void deriveWorkingNames(RunFiles& f) {
  const std::string& target = f.target;
  // Only a "." inside the file name starts an extension.
  const std::size_t dot = target.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= folderOf(target).size();
  const std::string stem = hasExtension ? target.substr(0, dot) : target;
  f.h264 = stem + ".h264";
  f.pcm = stem + ".pcm";
  f.drv = stem + ".drv";
  f.ass = stem + ".ass";
  // "X.mp4" -> "X_Sub.mp4", "X.mkv" -> "X_Sub.mkv": the last 4 characters move behind "_Sub".
  const std::size_t cut = target.size() >= 4 ? target.size() - 4 : 0;
  const std::string tail = target.size() >= 4 && target.compare(cut, 4, ".mkv") == 0 ? ".mkv" : ".mp4";
  f.subtitledMp4 = target.substr(0, cut) + "_Sub" + tail;
}

std::string numbered(std::string name, int attempt) {
  if (attempt > 1) name.append(1, '-').append(std::to_string(attempt));
  return name;
}

std::string lastFour(const std::string& target) { return target.size() >= 4 ? target.substr(target.size() - 4) : ""; }

}  // namespace

RunFiles RunFiles::forConversion(const std::string& target, std::size_t recordings) {
  RunFiles f;
  f.target = target;
  deriveWorkingNames(f);
  if (recordings >= 2) f.merged = target;
  return f;
}

RunFiles RunFiles::forExtraction(const std::string& target, std::size_t recordings) {
  RunFiles f;
  f.target = target;
  deriveWorkingNames(f);
  f.subtitledMp4.clear();  // no converter runs
  if (recordings >= 2) f.merged = target.substr(0, target.size() >= 4 ? target.size() - 4 : 0) + ".mmv";
  return f;
}

RunFiles RunFiles::forMerge(const std::string& target) {
  RunFiles f;
  f.target = target;
  f.merged = folderOf(target) + "." + fileNameOf(target) + ".merging";
  return f;
}

RunFiles RunFiles::forTrack(const std::string& target) {
  RunFiles f;
  f.target = target;
  return f;
}

std::vector<RunFiles::Name> RunFiles::named() const {
  std::vector<Name> names;
  const auto add = [&names](const std::string& path, const char* role) {
    if (path.empty()) return;
    for (const Name& n : names)
      if (n.path == path) return;
    names.push_back(Name{path, role});
  };
  add(target, "target");
  add(merged, "merged recording");
  for (const std::string* p : {&h264, &pcm, &drv, &ass, &subtitledMp4}) add(*p, "working file");
  add(track, "track file");
  add(report, "report page");
  return names;
}

std::vector<std::string> RunFiles::all() const {
  std::vector<std::string> paths;
  for (const Name& n : named()) paths.push_back(n.path);
  return paths;
}

std::vector<std::string> RunFiles::intermediates() const {
  std::vector<std::string> paths;
  for (const Name& n : named())
    if (n.path != target && n.path != track && n.path != report) paths.push_back(n.path);
  return paths;
}

std::string RunFiles::asideName(int attempt) const { return numbered(target + ".previous", attempt); }

std::string RunFiles::plainBesideName(int attempt) const {
  const std::string extension = lastFour(target) == ".mkv" ? ".mkv" : ".mp4";
  const std::string stem = target.size() >= 4 ? target.substr(0, target.size() - 4) : target;
  return numbered(stem + "_without_subtitles", attempt) + extension;
}

void CheckRunFiles(const std::vector<std::string>& recordings, const RunFiles& files) {
  const std::vector<RunFiles::Name> names = files.named();
  for (const RunFiles::Name& n : names) {
    for (const std::string& recording : recordings)
      if (sameFile(recording, n.path))
        throw FileError(recording, std::string("is a selected recording, and this run would write its ") + n.role +
                                       " " + n.path + " over it; choose another target name");
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(pathOf(n.path), ec);
    if (fs::is_directory(st))
      throw FileError(n.path, std::string("is a folder, where this run would write its ") + n.role +
                                  "; choose another target name");
    // A pipe or a device at a working name would block or swallow the stream.
    if (fs::exists(st) && !fs::is_regular_file(st) && !fs::is_symlink(st))
      throw FileError(n.path, std::string("is not a regular file, where this run would write its ") + n.role +
                                  "; choose another target name");
  }
  std::vector<std::string> lengthChecked = files.all();
  std::error_code ec;
  // A file at the target waits beside it; an MP4 without subtitles may go beside it too.
  if (fs::exists(fs::symlink_status(pathOf(files.target), ec))) {
    lengthChecked.push_back(files.asideName(1));
    if (!files.subtitledMp4.empty()) lengthChecked.push_back(files.plainBesideName(1));
  }
  for (const std::string& name : lengthChecked) {
    const std::size_t bytes = fileNameOf(name).size();
    if (bytes > kMaxFileNameBytes)
      throw FileError(files.target, "the name is too long: the working file " + fileNameOf(name) + " would need " +
                                        std::to_string(bytes) + " bytes, more than the " +
                                        std::to_string(kMaxFileNameBytes) +
                                        " a file name may have; choose a shorter name");
  }
}

}  // namespace vk2

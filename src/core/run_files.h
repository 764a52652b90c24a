#pragma once
// Every name a run may write, derived once from its target. The check before
// anything is written, each stage and the clean-up all take their names from
// one RunFiles value, so none of them can miss a name another one writes.
#include <cstddef>
#include <string>
#include <vector>

namespace vk2 {

struct RunFiles {
  std::string target;  // the video, the merged recording of `merge`, or the track file of `track`
  // Where the merge of two or more recordings writes: the target itself for a
  // conversion, beside it for the other commands; empty for one recording.
  std::string merged;
  // The streams and the script: the target's name with its extension replaced
  // (a name without one gets it appended).
  std::string h264, pcm, drv, ass;
  std::string subtitledMp4;  // the target without its last 4 characters + "_Sub.mp4" (".mkv" for a .mkv target)
  std::string track;         // convert --track: the track file beside the video
  std::string report;        // convert --report: the report page beside the video

  // A conversion: the merged recording is written under the target's own name.
  static RunFiles forConversion(const std::string& target, std::size_t recordings);
  // `extract`: the merged recording beside the target as "X.mmv", removed afterwards.
  static RunFiles forExtraction(const std::string& target, std::size_t recordings);
  // `merge`: written beside the target as ".X.merging", renamed over it when complete.
  static RunFiles forMerge(const std::string& target);
  // `track`: the target alone (it is written under a free ".part" name first).
  static RunFiles forTrack(const std::string& target);

  struct Name {
    std::string path;
    const char* role;  // "target", "merged recording", "working file", "track file", "report page"
  };
  // Every name that is set, each once, the target first.
  std::vector<Name> named() const;
  std::vector<std::string> all() const;
  // What no finished run leaves behind: the merged recording when it is not the
  // target, the streams, the script and the subtitled video.
  std::vector<std::string> intermediates() const;

  // Where a file that stands at the target waits while the run writes over its
  // name: "X.mp4.previous", then "X.mp4.previous-2" ...
  std::string asideName(int attempt) const;
  // Where an MP4 without subtitles goes when a file stood at the target and
  // stays there: "X_without_subtitles.mp4", then "X_without_subtitles-2.mp4" ...
  std::string plainBesideName(int attempt) const;
};

// Longest file name (one path component) in bytes that common file systems take.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// The one check before a command writes anything: throws FileError when one of
// the names is a selected recording (the same file through any path or link;
// the text names both), when a folder or another file that is not a regular
// file stands at one of them, or when one is longer than a file system takes.
// A symbolic link at a working name is fine: it is replaced, never followed.
void CheckRunFiles(const std::vector<std::string>& recordings, const RunFiles& files);

}  // namespace vk2

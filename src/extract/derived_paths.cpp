#include "extract/extract_streams.h"
#include "core/paths.h"

namespace vk2 {

DerivedPaths DerivedPaths::fromTarget(const std::string& outputPath) {
  // Only a "." inside the file name starts an extension; a name without one
  // gets the new extension appended.
  const std::size_t dot = outputPath.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= folderOf(outputPath).size();
  const std::string stem = hasExtension ? outputPath.substr(0, dot) : outputPath;
  DerivedPaths p;
  p.h264 = stem + ".h264";
  p.pcm = stem + ".pcm";
  p.drv = stem + ".drv";
  p.ass = stem + ".ass";
  // "X.mp4" -> "X_Sub.mp4", "X.mkv" -> "X_Sub.mkv": the last 4 characters move behind "_Sub".
  const std::size_t cut = outputPath.size() >= 4 ? outputPath.size() - 4 : 0;
  const std::string tail = outputPath.size() >= 4 && outputPath.compare(cut, 4, ".mkv") == 0 ? ".mkv" : ".mp4";
  p.subtitledMp4 = outputPath.substr(0, cut) + "_Sub" + tail;
  return p;
}

}  // namespace vk2

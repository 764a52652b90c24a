#include "conversion/working_names.h"

#include "core/file_error.h"
#include "core/file_identity.h"
#include "core/paths.h"
#include "extract/extract_streams.h"

namespace vk2 {

std::vector<std::string> runWorkingNames(const std::string& outputPath) {
  const DerivedPaths p = DerivedPaths::fromTarget(outputPath);
  return {outputPath, p.h264, p.pcm, p.drv, p.ass, p.subtitledMp4};
}

void refuseWorkingNamesOverRecordings(const std::vector<std::string>& recordings,
                                      const std::vector<std::string>& workingNames) {
  for (const std::string& recording : recordings)
    for (const std::string& name : workingNames)
      if (sameFile(recording, name))
        throw FileError(recording, "is a selected recording, and the conversion would write its working file " +
                                       name + " over it; choose another target name");
}

void refuseOverlongWorkingNames(const std::string& outputPath, const std::vector<std::string>& workingNames) {
  for (const std::string& name : workingNames) {
    const std::size_t bytes = fileNameOf(name).size();
    if (bytes > kMaxFileNameBytes)
      throw FileError(outputPath, "the name is too long: the working file " + fileNameOf(name) + " would need " +
                                      std::to_string(bytes) + " bytes, more than the " +
                                      std::to_string(kMaxFileNameBytes) +
                                      " a file name may have; choose a shorter name");
  }
}

}  // namespace vk2

#pragma once
// The folders of a driven session: the program's folder holding the program,
// the fake converter as ffmpeg.exe and the fake file manager as explorer.exe
// (where the program looks for them), three generated consecutive recordings,
// and a home folder whose Documents receive the MP4.
#include <string>
#include <vector>

#include "testing/test_support.h"

namespace vk2::driver {

using Arguments = std::vector<std::string>;

struct SessionFolders {
  testing::TempDir top;
  std::string work, data, home, output, kept;
  std::vector<std::string> recordings;  // names in `data`

  // Sets HOMEDRIVE, HOMEPATH and VK2_LOG_FILE for the programs started after it.
  SessionFolders();

  std::string toolPath() const { return work + "vk2-mp4-tool.exe"; }
  // What the fake programs were called with, one argument vector per call.
  std::vector<Arguments> calls() const;
  void clearCalls() const;
  // The fake converter's behaviour per call ("ok", "fail", "hang").
  void setModes(const std::string& modes) const;
  // The subtitle script the last burn-in was given.
  std::string burntScript() const;
  // The program's diagnosis log, for a failure report.
  std::string diagnosisLog() const;

  // vk2mp4.exe run from the program's folder; its exit code.
  unsigned runCommandLine(const std::string& arguments) const;
};

}  // namespace vk2::driver

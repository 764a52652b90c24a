#include "win32-gui-driver/session_folders.h"

#include <windows.h>

#include <filesystem>

#include "synth/synth.h"
#include "win32-gui-driver/remote_window.h"

namespace vk2::driver {

namespace fs = std::filesystem;

SessionFolders::SessionFolders() {
  work = top.file("work\\");
  data = top.file("data\\");
  home = top.file("home");
  kept = top.file("kept\\");
  output = home + "\\Documents\\Velmora\\MMV_TO_MP4\\";
  for (const std::string& folder : {work, data, home, kept}) fs::create_directories(folder);
  fs::copy_file(WINDOWS_VK2_MP4_TOOL_EXE, toolPath());
  fs::copy_file(WINDOWS_FAKE_CONVERTER_EXE, work + "ffmpeg.exe");
  fs::copy_file(WINDOWS_FAKE_CONVERTER_EXE, work + "explorer.exe");

  // Three 4-second files that follow each other: a 12-second recording.
  synth::SynthOptions o;
  o.outPrefix = data + "rec";
  o.files = 3;
  o.seconds = 4;
  o.width = 320;
  o.height = 240;
  o.fillerBytes = 500;
  for (const std::string& path : synth::generateRecordings(o)) recordings.push_back(fs::path(path).filename().string());

  SetEnvironmentVariableA("HOMEDRIVE", home.substr(0, 2).c_str());
  SetEnvironmentVariableA("HOMEPATH", home.substr(2).c_str());
  SetEnvironmentVariableA("VK2_LOG_FILE", (work + "diagnosis.log").c_str());
}

std::vector<Arguments> SessionFolders::calls() const {
  std::vector<Arguments> all(1);
  if (!testing::fileExists(work + "calls.txt")) return {};
  for (const std::string& line : testing::splitLines(testing::readText(work + "calls.txt"))) {
    if (line == "--")
      all.emplace_back();
    else
      all.back().push_back(line);
  }
  all.pop_back();  // the call after the last "--" is still being written, or none
  return all;
}

void SessionFolders::clearCalls() const {
  std::error_code ec;
  fs::remove(work + "calls.txt", ec);
  fs::remove(work + "burnt.ass", ec);
}

void SessionFolders::setModes(const std::string& modes) const { testing::writeText(work + "modes.txt", modes); }

std::string SessionFolders::burntScript() const {
  if (!testing::fileExists(work + "burnt.ass")) throw DriverFailure("the converter was given no subtitle script");
  return testing::readText(work + "burnt.ass");
}

std::string SessionFolders::diagnosisLog() const {
  return testing::fileExists(work + "diagnosis.log") ? testing::readText(work + "diagnosis.log") : "";
}

unsigned SessionFolders::runCommandLine(const std::string& arguments) const {
  std::string line = "\"" + std::string(WINDOWS_VK2MP4_EXE) + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, work.c_str(),
                      &startup, &info))
    throw DriverFailure("cannot start vk2mp4.exe (error " + std::to_string(GetLastError()) + ")");
  WaitForSingleObject(info.hProcess, 60000);
  DWORD code = 9999;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

}  // namespace vk2::driver

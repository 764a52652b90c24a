#include "gui/gui_test_support.h"

#include "synth/mmv_builder.h"
#include "platform/process_launch.h"

namespace vk2::gui::testing {

std::optional<std::vector<std::string>> AnsweringDialogs::chooseMmvFiles(QWidget*, const std::string&) {
  if (fileAnswers.empty()) return std::nullopt;
  auto answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

std::optional<std::string> AnsweringDialogs::chooseFolder(QWidget*, const std::string& title) {
  folderTitles.push_back(title);
  if (folderAnswers.empty()) return std::nullopt;
  auto answer = folderAnswers.front();
  folderAnswers.pop_front();
  return answer;
}

void writeRecording(const std::string& path, int32_t start, int32_t seconds) {
  synth::MmvBuilder b;
  b.setTimes(start, start + seconds);
  for (int32_t s = 0; s < seconds; ++s) {
    const uint64_t t = static_cast<uint64_t>(start + s) * 1000;
    b.add(kFrameVideo0, {0, 0, 0, 1, 0x65, static_cast<uint8_t>(s)}, t, true);
    b.add(kFrameAudio, std::vector<uint8_t>(64, static_cast<uint8_t>(s)), t);
    b.add(kFrameDrv, std::vector<uint8_t>(120, 0), t);
  }
  b.writeTo(path);
}

Windows::Windows() : savedHome_(qgetenv("HOME")) {
  qputenv("HOME", QByteArray::fromStdString(home.path() + "user"));
  launcher = makeProcessLauncher();
  env = std::make_unique<GuiEnvironment>(GuiEnvironment{
      dialogs, *launcher, [] { return converterPath(); },
      [this](ProcessLauncher&, const std::string& folder) { openedFolders.push_back(folder); }});
  main = new TFormWebsocketclientf(state, *env);
  dialog = new TformSaveMp4(state, *main);
  main->setSaveDialog(dialog);
  main->show();
}

Windows::~Windows() {
  delete dialog;
  delete main;
  qputenv("HOME", savedHome_);
}

std::vector<std::string> Windows::consecutive(int count, int32_t start, int32_t seconds) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    files.push_back(recordings.file("rec" + std::to_string(i + 1) + ".mmv"));
    writeRecording(files.back(), start + i * seconds, seconds);
  }
  return files;
}

void Windows::open(const std::vector<std::string>& files) {
  dialogs.fileAnswers.push_back(files);
  main->SpeedButton2Click();
}

}  // namespace vk2::gui::testing

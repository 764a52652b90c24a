#include "gui/gui_test_support.h"

#include "platform/process_launch.h"
#include "testing/second_records.h"

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
  vk2::testing::writeSecondRecords(path, start, seconds);
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

#pragma once
// The windows under test: answered dialogs, a recording file manager, a fake
// HOME, and recordings made with MmvBuilder.
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/conversion_state.h"
#include "gui/dialogs.h"
#include "gui/gui_environment.h"
#include "gui/main_window.h"
#include "gui/save_mp4_dialog.h"
#include "testing/test_support.h"

namespace vk2::gui::testing {

// Dialogs that answer from queues and record every box instead of blocking.
class AnsweringDialogs : public Dialogs {
 public:
  std::deque<std::optional<std::vector<std::string>>> fileAnswers;
  std::deque<std::optional<std::string>> folderAnswers;
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> folderTitles;

  std::optional<std::vector<std::string>> chooseMmvFiles(QWidget*, const std::string&) override;
  std::optional<std::string> chooseFolder(QWidget*, const std::string& title) override;
  void showMessage(QWidget*, const std::string& text) override { messages.push_back(text); }
  void showError(QWidget*, const std::string& text) override { errors.push_back(text); }
};

// A recording of `seconds` seconds from `start`: one key frame, one audio block
// and one telemetry record per second.
void writeRecording(const std::string& path, int32_t start, int32_t seconds);

// Both windows as the program creates them, over a fresh state and a fake HOME.
class Windows {
 public:
  Windows();
  ~Windows();

  ::vk2::testing::TempDir home;
  ::vk2::testing::TempDir recordings;
  AnsweringDialogs dialogs;
  std::unique_ptr<ProcessLauncher> launcher;
  std::vector<std::string> openedFolders;
  ConversionState state;
  std::unique_ptr<GuiEnvironment> env;
  TFormWebsocketclientf* main = nullptr;
  TformSaveMp4* dialog = nullptr;

  // Recordings rec1.mmv .. recN.mmv of `seconds` each, joined end to start.
  std::vector<std::string> consecutive(int count, int32_t start, int32_t seconds);
  // The open command answered with `files`.
  void open(const std::vector<std::string>& files);

  template <typename T>
  T* mainChild(const char* name) const {
    return main->findChild<T*>(name);
  }
  template <typename T>
  T* dialogChild(const char* name) const {
    return dialog->findChild<T*>(name);
  }

 private:
  QByteArray savedHome_;
};

}  // namespace vk2::gui::testing

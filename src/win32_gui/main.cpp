// vk2-mp4-tool.exe: the two windows of the window model as native Win32
// windows, converting through ffmpeg.exe in the current folder.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <exception>
#include <memory>

#include "core/conversion_state.h"
#include "platform/process_launch.h"
#include "window_model/diagnosis_log.h"
#include "window_model/main_window_model.h"
#include "window_model/save_mp4_model.h"
#include "win32_gui/common_dialogs.h"
#include "win32_gui/locale_separators.h"
#include "win32_gui/main_window_view.h"
#include "win32_gui/message_loop.h"
#include "win32_gui/save_mp4_view.h"

namespace {

int runProgram(HINSTANCE instance) {
  using namespace vk2;
  ConversionState state;
  std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
  ui::WindowEnvironment env{*launcher, [] { return converterPath(); },
                            [](ProcessLauncher& l, const std::string& folder) { openFolderInFileManager(l, folder); },
                            [] { return win32::localeSeparators(); }, {}};
  std::unique_ptr<ui::DiagnosisLog> diagnosis =
      ui::openDiagnosisLog([](const std::string& text) { win32::showErrorBox(nullptr, text); });
  ui::MainWindowModel mainModel(state, env);
  ui::SaveMp4Model dialogModel(state, mainModel);
  mainModel.setSaveDialog(&dialogModel);
  if (diagnosis) {
    diagnosis->follow(mainModel.memoMessage(), "");
    diagnosis->follow(dialogModel.memoMessage(), "[dialog] ");
  }
  win32::MainWindowView mainView(instance, mainModel);
  win32::SaveMp4View dialogView(instance, dialogModel, mainView.handle());
  mainModel.attach(&mainView);
  dialogModel.attach(&dialogView);
  mainModel.showWindow(true);
  const int code = win32::runMessageLoop();
  // The views go first: nothing may reach them from the models any more.
  mainModel.attach(nullptr);
  dialogModel.attach(nullptr);
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The shell's dialogs use COM in this thread.
  const HRESULT ole = OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    runProgram(instance);
  } catch (const std::exception& e) {
    vk2::win32::showErrorBox(nullptr, e.what());
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return 0;
}

#pragma once
// What the windows need from outside: the dialogs they open, the process
// launcher for the converter and the file manager, and where the converter is.
#include <functional>
#include <string>

#include "core/process_launcher.h"
#include "gui/dialogs.h"

namespace vk2::gui {

struct GuiEnvironment {
  Dialogs& dialogs;
  ProcessLauncher& launcher;
  // Looked up when a run starts: the converter in the current folder or on PATH.
  std::function<std::string()> converterPath;
  // Opens the output folder in the file manager; failures are ignored.
  std::function<void(ProcessLauncher&, const std::string& folder)> openFolder;
};

}  // namespace vk2::gui

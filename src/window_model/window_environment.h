#pragma once
// What the window models need from outside: the process launcher for the
// converter and the file manager, where the converter is, the locale's
// separators for the time-window labels, and whether the program is asked to stop.
#include <functional>
#include <string>

#include "core/process_launcher.h"

namespace vk2::ui {

struct LocaleSeparators {
  char date = '/';
  char time = ':';
};

struct WindowEnvironment {
  ProcessLauncher& launcher;
  // Looked up when a run starts: the converter in the current folder or on PATH.
  std::function<std::string()> converterPath;
  // Opens the output folder in the file manager; failures are ignored.
  std::function<void(ProcessLauncher&, const std::string& folder)> openFolder;
  // The user's date and time separators; "/" and ":" when not set.
  std::function<LocaleSeparators()> separators;
  // A stop asked for from outside the program (a signal); unset: never.
  std::function<bool()> stopRequested;
};

}  // namespace vk2::ui

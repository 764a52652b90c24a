#pragma once
// The system's modal dialogs as the windows use them: the file chooser for the
// recordings, the folder chooser and the message boxes.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vk2::win32 {

// The common file dialog: several existing "*.mmv" files as full paths, or nothing
// when cancelled. `initialFolder` is used when not empty.
std::optional<std::vector<std::string>> chooseMmvFiles(HWND owner, const std::string& initialFolder);

// The shell's folder chooser: the path, "" for an item without one, or nothing when cancelled.
std::optional<std::string> chooseFolder(HWND owner, const std::string& title);

// A box with one OK button, and the same with the error icon.
void showMessageBox(HWND owner, const std::string& text);
void showErrorBox(HWND owner, const std::string& text);

}  // namespace vk2::win32

#pragma once
// The system's open dialog, used from outside as a user uses it.
#include <windows.h>

#include <string>
#include <vector>

namespace vk2::driver {

// Waits for the open dialog of process `pid`, types `folder` into its name box
// and presses Open, waits until it lists the folder's `names`, then types the
// quoted names and presses Open, and waits until it is gone.
void chooseInOpenDialog(DWORD pid, const std::string& folder, const std::vector<std::string>& names);

// Types the full path `path` (any characters) into the open dialog and presses Open.
void chooseWideNameInOpenDialog(DWORD pid, const std::wstring& path);

}  // namespace vk2::driver

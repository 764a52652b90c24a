#pragma once
// The shell's folder chooser, used from outside as a user uses it.
#include <windows.h>

namespace vk2::driver {

// Waits for the folder chooser of process `pid`, selects the top of its tree or
// the first item below it, presses OK and waits until it is gone.
void chooseInFolderDialog(DWORD pid, bool top);

}  // namespace vk2::driver

#pragma once
// The program's message loop, and the pump a long handler calls so the windows
// keep painting and answering (Cancel) while it works.
#include <windows.h>

namespace vk2::win32 {

// A top-level window whose keys get dialog handling: Tab between controls,
// Escape as IDCANCEL.
void addKeyboardWindow(HWND window);
void removeKeyboardWindow(HWND window);

// Handles every waiting message. False once the program is asked to quit; the
// quit message stays queued for the outer loop.
bool pumpMessages();

// Until the quit message; returns its exit code.
int runMessageLoop();

}  // namespace vk2::win32

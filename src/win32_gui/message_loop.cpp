#include "win32_gui/message_loop.h"

#include <algorithm>
#include <vector>

namespace vk2::win32 {

namespace {

std::vector<HWND>& keyboardWindows() {
  static std::vector<HWND> windows;
  return windows;
}

void dispatch(MSG& msg) {
  const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  const std::vector<HWND>& windows = keyboardWindows();
  if (root && std::find(windows.begin(), windows.end(), root) != windows.end() && IsDialogMessageA(root, &msg))
    return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace

void addKeyboardWindow(HWND window) { keyboardWindows().push_back(window); }

void removeKeyboardWindow(HWND window) {
  std::vector<HWND>& windows = keyboardWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

bool pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    dispatch(msg);
  }
  return true;
}

int runMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) dispatch(msg);
  return static_cast<int>(msg.wParam);
}

}  // namespace vk2::win32

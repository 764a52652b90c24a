#include "win32-gui-driver/remote_window.h"

#include <commctrl.h>

#include <chrono>
#include <thread>

namespace vk2::driver {

namespace {

constexpr UINT kAnswerMs = 5000;

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result))
    throw DriverFailure("the program did not answer message " + std::to_string(message) + " within 5 s");
  return static_cast<LRESULT>(result);
}

std::string className(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

}  // namespace

std::vector<HWND> topWindows(DWORD pid, const std::string& caption, const char* windowClass) {
  struct Search {
    DWORD pid;
    const std::string& caption;
    const char* windowClass;
    std::vector<HWND> found;
  } search{pid, caption, windowClass, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s.pid || !IsWindowVisible(window)) return TRUE;
        if (s.windowClass && className(window) != s.windowClass) return TRUE;
        char caption[512] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (s.caption == caption) s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND topWindow(DWORD pid, const std::string& caption, const char* windowClass) {
  const std::vector<HWND> found = topWindows(pid, caption, windowClass);
  if (found.size() > 1) throw DriverFailure("more than one window \"" + caption + "\" is shown");
  return found.empty() ? nullptr : found.front();
}

std::string shownWindows(DWORD pid) {
  struct Search {
    DWORD pid;
    std::string text;
  } search{pid, ""};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s.pid || !IsWindowVisible(window)) return TRUE;
        char caption[512] = {};
        GetWindowTextA(window, caption, sizeof caption);
        s.text += (s.text.empty() ? "" : ", ") + className(window) + " \"" + caption + "\"";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.text.empty() ? "none" : search.text;
}

HWND child(HWND window, int id, const std::string& what) {
  HWND h = GetDlgItem(window, id);
  if (!h) throw DriverFailure("the window has no " + what + " (control ID " + std::to_string(id) + ")");
  return h;
}

std::string textOf(HWND window) {
  const auto length = static_cast<std::size_t>(send(window, WM_GETTEXTLENGTH, 0, 0));
  std::string text(length + 1, '\0');
  const LRESULT copied = send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

void setText(HWND window, const std::string& text) {
  send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool isChecked(HWND button) { return send(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int progressPosition(HWND bar) { return static_cast<int>(send(bar, PBM_GETPOS, 0, 0)); }

int progressMaximum(HWND bar) { return static_cast<int>(send(bar, PBM_GETRANGE, FALSE, 0)); }

bool takesInput(HWND control) {
  for (HWND w = control; w; w = GetParent(w)) {
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
    if (!(GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return true;
}

void click(HWND button, const std::string& what) {
  if (!takesInput(button)) throw DriverFailure(what + " cannot be clicked: it or its window is disabled or hidden");
  if (!PostMessageA(button, BM_CLICK, 0, 0)) throw DriverFailure("clicking " + what + " failed");
}

void pressKey(HWND control, UINT key, const std::string& what) {
  if (!takesInput(control)) throw DriverFailure(what + " cannot be pressed: the window is disabled or hidden");
  PostMessageA(control, WM_KEYDOWN, key, 1);
  PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

std::string messageBoxText(HWND box) {
  std::string text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        const auto type = GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK;
        if (className(child) != "Static" || type == SS_ICON) return TRUE;
        std::string t = textOf(child);
        if (t.empty()) return TRUE;
        *reinterpret_cast<std::string*>(data) = t;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

void waitFor(const std::string& what, double seconds, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end)
      throw DriverFailure("timed out after " + std::to_string(static_cast<int>(seconds)) + " s waiting for " + what);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace vk2::driver

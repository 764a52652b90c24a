#pragma once
// Another program's windows as a user meets them: found by caption, class or
// control ID, read and clicked with window messages. Every failure throws
// DriverFailure with a message that says what was expected.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vk2::driver {

class DriverFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The visible top-level windows of process `pid` with this caption (and class, when given).
std::vector<HWND> topWindows(DWORD pid, const std::string& caption, const char* windowClass = nullptr);
// The one such window, or nullptr.
HWND topWindow(DWORD pid, const std::string& caption, const char* windowClass = nullptr);

// "class \"caption\"" of each visible top-level window of `pid`, for a failure report.
std::string shownWindows(DWORD pid);

// The child with this ID; throws when there is none.
HWND child(HWND window, int id, const std::string& what);

std::string textOf(HWND window);
void setText(HWND window, const std::string& text);
bool isChecked(HWND button);
int progressPosition(HWND bar);
int progressMaximum(HWND bar);
// Whether a user could use the control: it, and the window it is in, visible and enabled.
bool takesInput(HWND control);

// A mouse click as a user makes it: refused unless the control takes input.
// Posted, so the click's handler may open modal boxes and run its own loops.
void click(HWND button, const std::string& what);

// A key pressed and released while `control` has the keyboard.
void pressKey(HWND control, UINT key, const std::string& what);

// The text of a message box: its static text beside the icon.
std::string messageBoxText(HWND box);

// Polls `done` every 20 ms; throws "timed out waiting for <what>" after `seconds`.
void waitFor(const std::string& what, double seconds, const std::function<bool()>& done);

}  // namespace vk2::driver

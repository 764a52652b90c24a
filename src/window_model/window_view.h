#pragma once
// What a window model asks of the toolkit that shows it: show a control's new
// state, show or lock the window, the modal boxes and choosers, and a pump that
// keeps the windows painting during a long handler.
#include <optional>
#include <string>
#include <vector>

#include "window_model/controls.h"

namespace vk2::ui {

struct ControlState {
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  bool readOnly = false;  // edits
  std::string text;    // caption, label or edit text, in the local 8-bit encoding
  int selection = -1;  // drop-downs: the entry chosen from the list, -1 for none or typed text
  int position = 0;    // progress bars; the pickers' time value
  int maximum = 0;     // progress bars
};

struct WindowState {
  bool visible = false;
  bool enabled = true;
  std::string caption;
};

class WindowView {
 public:
  virtual ~WindowView() = default;

  virtual void controlChanged(Control c, const ControlState& state) = 0;
  virtual void windowChanged(const WindowState& state) = 0;

  // OpenDialogMMV: several existing "*.mmv" files, or nothing when cancelled.
  virtual std::optional<std::vector<std::string>> chooseMmvFiles(const std::string& initialFolder) = 0;
  // A folder chooser; the path as the chooser gives it ("" for a pathless item), or nothing when cancelled.
  virtual std::optional<std::string> chooseFolder(const std::string& title) = 0;
  // A plain modal box with one OK button, and the standard error box.
  virtual void showMessage(const std::string& text) = 0;
  virtual void showError(const std::string& text) = 0;
  // Handles waiting input and painting, then returns.
  virtual void pump() = 0;

  // After the run's counter changed, and the bar with it; position and maximum count the counter's steps.
  virtual void runProgressShown(const std::string& /*label*/, int /*position*/, int /*maximum*/) {}
};

}  // namespace vk2::ui

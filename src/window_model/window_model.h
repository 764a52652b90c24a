#pragma once
// The state of one window and its controls, kept here and mirrored to a view:
// a change made by a handler is sent to the view; a change the user made in the
// view is reported back and not sent again.
#include <vector>

#include "window_model/window_view.h"

namespace vk2::ui {

class WindowModel {
 public:
  explicit WindowModel(Window window);
  virtual ~WindowModel() = default;

  Window windowId() const { return window_; }
  // The view shows every state as it is when attached.
  void attach(WindowView* view);
  WindowView* view() const { return view_; }

  const ControlState& control(Control c) const;
  const WindowState& windowStatus() const { return window_state_; }

  // Handlers' changes, shown by the view.
  void setControlEnabled(Control c, bool enabled);
  void setControlVisible(Control c, bool visible);
  void setControlChecked(Control c, bool checked);
  void setControlText(Control c, const std::string& text);
  void setControlReadOnly(Control c, bool readOnly);
  void setControlSelection(Control c, int index);
  void setControlProgress(Control c, int position, int maximum);
  void showWindow(bool visible);
  void enableWindow(bool enabled);
  void setCaption(const std::string& caption);

  // The user's changes, reported by the view. Checking a radio button unchecks
  // the other one of its pair; a selection from a list sets the text to the entry's.
  void userChecked(Control c, bool checked);
  void userEdited(Control c, const std::string& text);  // typed text selects no entry
  void userSelected(Control c, int index);

  // A control that answers input: enabled itself and inside enabled groups.
  bool effectivelyEnabled(Control c) const;

 protected:
  void pumpView() const;

 private:
  ControlState& mutableState(Control c);
  void changed(Control c);
  Control radioPartner(Control c) const;

  Window window_;
  WindowView* view_ = nullptr;
  std::vector<ControlState> states_;  // indexed by Control; other windows' entries are unused
  WindowState window_state_;
};

}  // namespace vk2::ui

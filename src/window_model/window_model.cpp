#include "window_model/window_model.h"

#include <stdexcept>

namespace vk2::ui {

WindowModel::WindowModel(Window window) : window_(window), states_(kControlCount) {
  for (const ControlSpec& s : controlTable()) {
    ControlState& state = states_[static_cast<std::size_t>(s.id)];
    state.enabled = s.enabled;
    state.visible = s.visible;
    state.checked = s.checked;
    state.text = s.caption;
    if (s.kind == ControlKind::DropDownList || s.kind == ControlKind::DropDownEdit) state.selection = 0;
    if (s.kind == ControlKind::ProgressBar) state.maximum = 1;
  }
  window_state_.caption = windowSpec(window).caption;
}

void WindowModel::attach(WindowView* view) {
  view_ = view;
  if (!view_) return;
  for (const ControlSpec& s : controlTable())
    if (s.window == window_) view_->controlChanged(s.id, control(s.id));
  view_->windowChanged(window_state_);
}

const ControlState& WindowModel::control(Control c) const { return states_.at(static_cast<std::size_t>(c)); }

ControlState& WindowModel::mutableState(Control c) {
  if (spec(c).window != window_) throw std::logic_error(std::string(spec(c).name) + " is not in this window");
  return states_.at(static_cast<std::size_t>(c));
}

void WindowModel::changed(Control c) {
  if (view_) view_->controlChanged(c, control(c));
}

void WindowModel::setControlEnabled(Control c, bool enabled) {
  mutableState(c).enabled = enabled;
  changed(c);
}

void WindowModel::setControlVisible(Control c, bool visible) {
  mutableState(c).visible = visible;
  changed(c);
}

void WindowModel::setControlChecked(Control c, bool checked) {
  mutableState(c).checked = checked;
  changed(c);
  const Control partner = radioPartner(c);
  if (checked && partner != Control::None) {
    mutableState(partner).checked = false;
    changed(partner);
  }
}

void WindowModel::setControlText(Control c, const std::string& text) {
  mutableState(c).text = text;
  changed(c);
}

void WindowModel::setControlReadOnly(Control c, bool readOnly) {
  mutableState(c).readOnly = readOnly;
  changed(c);
}

void WindowModel::setControlSelection(Control c, int index) {
  ControlState& s = mutableState(c);
  s.selection = index;
  const std::vector<std::string> items = dropDownItems(c);
  if (index >= 0 && index < static_cast<int>(items.size())) s.text = items[static_cast<std::size_t>(index)];
  changed(c);
}

void WindowModel::setControlProgress(Control c, int position, int maximum) {
  ControlState& s = mutableState(c);
  s.position = position;
  s.maximum = maximum;
  changed(c);
}

void WindowModel::showWindow(bool visible) {
  window_state_.visible = visible;
  if (view_) view_->windowChanged(window_state_);
}

void WindowModel::enableWindow(bool enabled) {
  window_state_.enabled = enabled;
  if (view_) view_->windowChanged(window_state_);
}

void WindowModel::setCaption(const std::string& caption) {
  window_state_.caption = caption;
  if (view_) view_->windowChanged(window_state_);
}

void WindowModel::userChecked(Control c, bool checked) {
  mutableState(c).checked = checked;
  const Control partner = radioPartner(c);
  if (checked && partner != Control::None) mutableState(partner).checked = false;
}

void WindowModel::userEdited(Control c, const std::string& text) {
  ControlState& s = mutableState(c);
  s.text = text;
  if (spec(c).kind == ControlKind::DropDownEdit) s.selection = -1;
}

void WindowModel::userSelected(Control c, int index) {
  ControlState& s = mutableState(c);
  s.selection = index;
  const std::vector<std::string> items = dropDownItems(c);
  if (index >= 0 && index < static_cast<int>(items.size())) s.text = items[static_cast<std::size_t>(index)];
}

bool WindowModel::effectivelyEnabled(Control c) const {
  for (Control at = c; at != Control::None; at = spec(at).parent)
    if (!control(at).enabled) return false;
  return window_state_.enabled;
}

void WindowModel::pumpView() const {
  if (view_) view_->pump();
}

// Radio buttons come in pairs of the same parent, next to each other in the table.
Control WindowModel::radioPartner(Control c) const {
  const ControlSpec& s = spec(c);
  if (s.kind != ControlKind::RadioButton) return Control::None;
  const int i = static_cast<int>(c);
  for (int j : {i - 1, i + 1}) {
    if (j < 0 || j >= kControlCount) continue;
    const ControlSpec& other = spec(static_cast<Control>(j));
    if (other.kind == ControlKind::RadioButton && other.parent == s.parent) return other.id;
  }
  return Control::None;
}

}  // namespace vk2::ui

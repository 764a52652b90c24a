#pragma once
// The Win32 control ID of each control of the window model, so the program and
// anything that drives its windows from outside find a control the same way.
// IDs start above IDOK and IDCANCEL, which the dialog keys send.
#include "window_model/controls.h"

namespace vk2::win32 {

inline constexpr int kFirstControlId = 1000;

constexpr int controlId(ui::Control c) { return kFirstControlId + static_cast<int>(c); }

// The control of an ID, or Control::None for an ID that is not one.
constexpr ui::Control controlOfId(int id) {
  const int index = id - kFirstControlId;
  return index >= 0 && index < ui::kControlCount ? static_cast<ui::Control>(index) : ui::Control::None;
}

}  // namespace vk2::win32

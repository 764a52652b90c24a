#pragma once
// Creates a window's controls from the control table: one native control per
// entry at its pixel place, with its ID, font, style and first state.
#include <windows.h>

#include <array>

#include "window_model/controls.h"

namespace vk2::win32 {

using ControlHandles = std::array<HWND, ui::kControlCount>;

// Where a control stands in its window's client area: its place moved by every
// parent's offset (group boxes and panels are drawn as siblings, not parents).
RECT absolutePlace(ui::Control c);

// The entry's native control, a child of `window`; the table's first state is
// applied by the model when it attaches.
HWND createControl(HWND window, const ui::ControlSpec& s);

// Every control of `w`, then the frames (panels, shapes, pictures, group boxes)
// put beneath the controls they hold, so those are drawn over them.
ControlHandles createControls(HWND window, ui::Window w);

// A tooltip on each control of `handles` that has a hint.
void addHints(HWND window, const ControlHandles& handles);

}  // namespace vk2::win32

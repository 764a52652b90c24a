#pragma once
// The pictures of the main window (the banner and the three command buttons),
// painted with GDI at start-up: nothing binary is shipped.
#include <windows.h>

#include "window_model/controls.h"

namespace vk2::win32 {

// The picture on `background`, as a bitmap of `width` x `height` (the banner) or
// of the picture's own size (the buttons, which centre it). The caller owns it.
HBITMAP paintPicture(ui::Picture picture, int width, int height, COLORREF background);

// A disabled button's picture: `bitmap` in grey, faded towards `background`.
HBITMAP fadedCopy(HBITMAP bitmap, COLORREF background);

}  // namespace vk2::win32

#pragma once
// The windows' Tahoma fonts, made once per size and kept for the program's life.
#include <windows.h>

namespace vk2::win32 {

// Tahoma at `points` (at the screen's resolution), optionally bold.
HFONT tahoma(int points, bool bold = false);
// Tahoma with a character height in pixels, for the pictures.
HFONT tahomaPixels(int pixels, bool bold = false);

}  // namespace vk2::win32

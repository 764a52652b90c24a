#include "win32_gui/fonts.h"

#include <map>
#include <utility>

namespace vk2::win32 {

namespace {

HFONT create(int height, bool bold) {
  return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
}

// Fonts are shared by many controls and never deleted: the set is small and fixed.
HFONT cached(int height, bool bold) {
  static std::map<std::pair<int, bool>, HFONT> fonts;
  HFONT& font = fonts[{height, bold}];
  if (!font) font = create(height, bold);
  return font;
}

}  // namespace

HFONT tahoma(int points, bool bold) {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return cached(height, bold);
}

HFONT tahomaPixels(int pixels, bool bold) { return cached(-pixels, bold); }

}  // namespace vk2::win32

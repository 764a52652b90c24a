#include "win32_gui/locale_separators.h"

#include <windows.h>

#include <cstring>

namespace vk2::win32 {

namespace {

char separator(LCTYPE type, char fallback, const char* accepted) {
  char text[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text) < 2) return fallback;
  return std::strchr(accepted, text[0]) ? text[0] : fallback;
}

}  // namespace

ui::LocaleSeparators localeSeparators() {
  ui::LocaleSeparators s;
  s.date = separator(LOCALE_SDATE, '/', "/.-");
  s.time = separator(LOCALE_STIME, ':', ":.");
  return s;
}

}  // namespace vk2::win32

#pragma once
// Pictures of the program's windows for the documentation.
#include <windows.h>

#include <string>

namespace vk2::driver {

// The window as it shows on the screen, frame included, as a 24-bit BMP file.
void saveScreenshot(HWND window, const std::string& path);

}  // namespace vk2::driver

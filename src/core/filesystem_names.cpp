#include "core/filesystem_names.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vk2 {

#ifdef _WIN32

std::filesystem::path pathOf(const std::string& name) {
  if (name.empty()) return {};
  const int size = static_cast<int>(name.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), static_cast<int>(wide.size()));
  return std::filesystem::path(std::move(wide));
}

std::string nameOf(const std::filesystem::path& path, bool* lost) {
  const std::wstring& wide = path.native();
  BOOL defaulted = FALSE;
  std::string name;
  if (!wide.empty()) {
    // A system set to UTF-8 loses nothing, and takes neither the flag nor the report.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(wide.size());
    name.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, utf8 ? nullptr : &defaulted)));
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, name.data(), static_cast<int>(name.size()), nullptr, nullptr);
  }
  if (lost) *lost = defaulted != FALSE;
  return name;
}

std::string nameOutsideCodePageReason() {
  return "the name holds characters that the ANSI code page " + std::to_string(GetACP()) +
         " cannot show; rename it using only characters of that code page";
}

#else

std::filesystem::path pathOf(const std::string& name) { return std::filesystem::path(name); }

std::string nameOf(const std::filesystem::path& path, bool* lost) {
  if (lost) *lost = false;
  return path.string();
}

std::string nameOutsideCodePageReason() { return "the name cannot be shown"; }

#endif

}  // namespace vk2

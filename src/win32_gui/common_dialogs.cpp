#include "win32_gui/common_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cwchar>

#include "window_model/controls.h"

namespace vk2::win32 {

namespace {

// Room for a card's worth of names in one selection.
constexpr DWORD kNamesBuffer = 256 * 1024;

std::wstring joined(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
  return folder + L"\\" + name;
}

std::wstring wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  out.resize(out.size() - 1);
  return out;
}

// The program and the converter's command line work in the ANSI code page: a
// chosen name it cannot show is refused with a box, not passed on with "?".
std::optional<std::string> narrowed(HWND owner, const std::wstring& path) {
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0, nullptr, &lost);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(out.size() - 1);
  if (n > 0 && !lost) return out;
  showErrorBox(owner, "The name \"" + out + "\" holds characters that the ANSI code page " + std::to_string(GetACP()) +
                          " cannot show, so the program cannot open it. Rename the file or folder using only "
                          "characters of that code page.");
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> chooseMmvFiles(HWND owner, const std::string& initialFolder) {
  std::vector<wchar_t> names(kNamesBuffer, L'\0');
  const std::wstring folder = wide(initialFolder);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"mmv (*.mmv)\0*.mmv\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = names.data();
  dialog.nMaxFile = kNamesBuffer;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  // The converter is looked up in the current folder, which the dialog would
  // otherwise move to the recordings' folder.
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;

  // One file: its full path. Several: the folder, then each name, each ended by a NUL.
  std::vector<std::wstring> paths;
  const std::wstring first = names.data();
  if (dialog.nFileOffset == 0 || names[dialog.nFileOffset - 1] != L'\0') {
    paths.push_back(first);
  } else {
    for (const wchar_t* name = names.data() + dialog.nFileOffset; *name; name += std::wcslen(name) + 1)
      paths.push_back(joined(first, name));
  }
  std::vector<std::string> chosen;
  for (const std::wstring& path : paths) {
    const std::optional<std::string> narrow = narrowed(owner, path);
    if (!narrow) return std::nullopt;
    chosen.push_back(*narrow);
  }
  return chosen;
}

std::optional<std::string> chooseFolder(HWND owner, const std::string& title) {
  // Rooted at the computer's drives, where a card or an output folder is found.
  // Any item can be confirmed; one without a path (the drives' folder itself) is no choice.
  LPITEMIDLIST drives = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &drives))) drives = nullptr;
  wchar_t display[MAX_PATH] = {};
  const std::wstring caption = wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.pidlRoot = drives;
  browse.pszDisplayName = display;
  browse.lpszTitle = caption.c_str();
  browse.ulFlags = BIF_DONTGOBELOWDOMAIN;
  LPITEMIDLIST item = SHBrowseForFolderW(&browse);
  wchar_t path[MAX_PATH] = {};
  const bool chosen = item != nullptr;
  const bool hasPath = chosen && SHGetPathFromIDListW(item, path) && path[0];
  CoTaskMemFree(item);
  CoTaskMemFree(drives);
  if (!chosen) return std::nullopt;
  if (!hasPath) return std::string();
  return narrowed(owner, path);
}

void showMessageBox(HWND owner, const std::string& text) { MessageBoxA(owner, text.c_str(), ui::kBoxTitle, MB_OK); }

void showErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), ui::kBoxTitle, MB_OK | MB_ICONERROR);
}

}  // namespace vk2::win32

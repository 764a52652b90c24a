#include "win32_gui/common_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

#include "window_model/controls.h"

namespace vk2::win32 {

namespace {

// Room for a card's worth of names in one selection.
constexpr DWORD kNamesBuffer = 256 * 1024;

std::string joined(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

}  // namespace

std::optional<std::vector<std::string>> chooseMmvFiles(HWND owner, const std::string& initialFolder) {
  std::vector<char> names(kNamesBuffer, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = "mmv (*.mmv)\0*.mmv\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = names.data();
  dialog.nMaxFile = kNamesBuffer;
  dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  // The converter is looked up in the current folder, which the dialog would
  // otherwise move to the recordings' folder.
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;

  // One file: its full path. Several: the folder, then each name, each ended by a NUL.
  std::vector<std::string> chosen;
  const std::string first = names.data();
  if (dialog.nFileOffset == 0 || names[dialog.nFileOffset - 1] != '\0') return std::vector<std::string>{first};
  for (const char* name = names.data() + dialog.nFileOffset; *name; name += std::strlen(name) + 1)
    chosen.push_back(joined(first, name));
  return chosen;
}

std::optional<std::string> chooseFolder(HWND owner, const std::string& title) {
  char display[MAX_PATH] = {};
  BROWSEINFOA browse{};
  browse.hwndOwner = owner;
  browse.pszDisplayName = display;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST item = SHBrowseForFolderA(&browse);
  if (!item) return std::nullopt;
  char path[MAX_PATH] = {};
  const bool hasPath = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  return hasPath ? std::string(path) : std::string();
}

void showMessageBox(HWND owner, const std::string& text) { MessageBoxA(owner, text.c_str(), ui::kBoxTitle, MB_OK); }

void showErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), ui::kBoxTitle, MB_OK | MB_ICONERROR);
}

}  // namespace vk2::win32

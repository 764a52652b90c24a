#include "win32-gui-driver/file_dialog.h"

#include <commctrl.h>

#include "win32-gui-driver/remote_window.h"

namespace vk2::driver {

namespace {

// The name box of the Explorer-style dialog: the edit of the combo box cmb13
// (inside its inner combo box when cmb13 is an extended one), or the plain edit
// edt1 of older templates.
constexpr int kNameCombo = 0x47c;
constexpr int kNameEdit = 0x480;

HWND nameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, kNameCombo)) {
    if (HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr)) return edit;
    if (HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr))
      if (HWND edit = FindWindowExA(inner, nullptr, "Edit", nullptr)) return edit;
  }
  return GetDlgItem(dialog, kNameEdit);
}

// The dialog's file list, inside the shell view it makes anew for each folder.
HWND fileList(HWND dialog) {
  HWND view = FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr);
  return view ? FindWindowExA(view, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
}

HWND openDialog(DWORD pid) {
  HWND found = nullptr;
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
       w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w) && nameBox(w)) found = w;
  }
  return found;
}

int listedItems(HWND dialog) {
  HWND list = fileList(dialog);
  DWORD_PTR count = 0;
  if (!list || !SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 2000, &count)) return -1;
  return static_cast<int>(count);
}

void typeAndOpen(HWND dialog, const std::string& text) {
  setText(nameBox(dialog), text);
  click(child(dialog, IDOK, "Open button"), "the open dialog's Open button");
}

}  // namespace

void chooseInOpenDialog(DWORD pid, const std::string& folder, const std::vector<std::string>& names) {
  HWND dialog = nullptr;
  waitFor("the open dialog", 30, [&] { return (dialog = openDialog(pid)) != nullptr; });
  typeAndOpen(dialog, folder);
  waitFor("the open dialog to list the " + std::to_string(names.size()) + " recordings of " + folder, 30,
          [&] { return listedItems(dialog) == static_cast<int>(names.size()); });
  std::string quoted;
  for (const std::string& name : names) quoted += (quoted.empty() ? "\"" : " \"") + name + "\"";
  typeAndOpen(dialog, quoted);
  waitFor("the open dialog to close", 30, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

void chooseWideNameInOpenDialog(DWORD pid, const std::wstring& path) {
  HWND dialog = nullptr;
  waitFor("the open dialog", 30, [&] { return (dialog = openDialog(pid)) != nullptr; });
  SendMessageTimeoutW(nameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000,
                      nullptr);
  click(child(dialog, IDOK, "Open button"), "the open dialog's Open button");
  waitFor("the open dialog to close", 30, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

}  // namespace vk2::driver

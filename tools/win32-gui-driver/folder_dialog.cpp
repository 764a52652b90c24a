#include "win32-gui-driver/folder_dialog.h"

#include <commctrl.h>

#include "win32-gui-driver/remote_window.h"

namespace vk2::driver {

namespace {

HWND folderTree(HWND dialog) { return FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr); }

HWND folderDialog(DWORD pid) {
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
       w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w) && folderTree(w)) return w;
  }
  return nullptr;
}

// Tree items are handles, not pointers, so they can be asked for across processes.
LRESULT ask(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(tree, message, wParam, lParam, SMTO_NORMAL, 5000, &result))
    throw DriverFailure("the folder chooser's tree did not answer within 5 s");
  return static_cast<LRESULT>(result);
}

}  // namespace

void chooseInFolderDialog(DWORD pid, bool top) {
  HWND dialog = nullptr;
  waitFor("the folder chooser", 30, [&] { return (dialog = folderDialog(pid)) != nullptr; });
  HWND owner = GetWindow(dialog, GW_OWNER);
  HWND tree = folderTree(dialog);
  LPARAM item = ask(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
  if (!item) throw DriverFailure("the folder chooser's tree is empty");
  if (!top) {
    const LPARAM root = item;
    ask(tree, TVM_EXPAND, TVE_EXPAND, root);
    waitFor("the folder chooser to list what its top holds", 20,
            [&] { return (item = ask(tree, TVM_GETNEXTITEM, TVGN_CHILD, root)) != 0; });
  }
  ask(tree, TVM_SELECTITEM, TVGN_CARET, item);
  click(child(dialog, IDOK, "OK button"), "the folder chooser's OK button");
  // Gone, and its owner enabled again: the chooser has returned to the handler that opened it.
  waitFor("the folder chooser to close", 20,
          [&] { return !IsWindow(dialog) && (!owner || IsWindowEnabled(owner)); });
}

}  // namespace vk2::driver

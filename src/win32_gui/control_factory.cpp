#include "win32_gui/control_factory.h"

#include <commctrl.h>

#include "win32_gui/control_ids.h"
#include "win32_gui/fonts.h"

namespace vk2::win32 {

namespace {

using ui::ControlKind;

struct NativeKind {
  const char* windowClass;
  DWORD style;
  DWORD exStyle;
};

DWORD alignment(ui::Align a) {
  switch (a) {
    case ui::Align::Right:
      return SS_RIGHT;
    case ui::Align::Center:
      return SS_CENTER;
    default:
      return SS_LEFT;
  }
}

NativeKind nativeKind(const ui::ControlSpec& s) {
  switch (s.kind) {
    case ControlKind::Panel:
    case ControlKind::Picture:
    case ControlKind::Shape:
      return {WC_STATICA, SS_OWNERDRAW, 0};
    case ControlKind::PictureButton:
      return {WC_BUTTONA, BS_OWNERDRAW, 0};
    case ControlKind::Label: {
      // Paths may hold "&": shown as it is, not as a keyboard hint.
      DWORD style = SS_NOPREFIX | alignment(s.align);
      if (s.style == ui::TextStyle::Blue) style |= SS_CENTERIMAGE;  // one line, centred vertically
      return {WC_STATICA, style, 0};
    }
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSA, 0, 0};
    case ControlKind::Memo:
      return {WC_EDITA, ES_MULTILINE | ES_READONLY | WS_VSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::DateTimePicker:
      return {DATETIMEPICK_CLASSA, DTS_SHORTDATEFORMAT, 0};
    case ControlKind::GroupBox:
      return {WC_BUTTONA, BS_GROUPBOX, 0};
    case ControlKind::CheckBox:
      return {WC_BUTTONA, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::RadioButton:
      return {WC_BUTTONA, BS_AUTORADIOBUTTON, 0};
    case ControlKind::PushButton:
      return {WC_BUTTONA, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Edit:
      return {WC_EDITA, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::DropDownList:
      return {WC_COMBOBOXA, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::DropDownEdit:
      return {WC_COMBOBOXA, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
  }
  return {WC_STATICA, 0, 0};
}

// Auto radio buttons uncheck the others of their group, which runs from one
// WS_GROUP control to the next: every control starts a group except the second
// of a pair of radio buttons.
bool secondOfPair(const ui::ControlSpec& s) {
  if (s.kind != ControlKind::RadioButton || static_cast<int>(s.id) == 0) return false;
  const ui::ControlSpec& before = ui::spec(static_cast<ui::Control>(static_cast<int>(s.id) - 1));
  return before.kind == ControlKind::RadioButton && before.parent == s.parent;
}

bool isFrame(ControlKind k) {
  return k == ControlKind::Panel || k == ControlKind::Picture || k == ControlKind::Shape ||
         k == ControlKind::GroupBox;
}

bool isDropDown(ControlKind k) { return k == ControlKind::DropDownList || k == ControlKind::DropDownEdit; }

}  // namespace

RECT absolutePlace(ui::Control c) {
  const ui::ControlSpec& s = ui::spec(c);
  int x = s.place.x, y = s.place.y;
  for (ui::Control p = s.parent; p != ui::Control::None; p = ui::spec(p).parent) {
    x += ui::spec(p).place.x;
    y += ui::spec(p).place.y;
  }
  return RECT{x, y, x + s.place.width, y + s.place.height};
}

HWND createControl(HWND window, const ui::ControlSpec& s) {
  const NativeKind native = nativeKind(s);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | native.style;
  if (!secondOfPair(s)) style |= WS_GROUP;
  if (s.kind == ControlKind::RadioButton && !secondOfPair(s)) style |= WS_TABSTOP;
  const RECT r = absolutePlace(s.id);
  // A drop-down's height includes its opened list.
  const int height = isDropDown(s.kind) ? (r.bottom - r.top) + 160 : r.bottom - r.top;
  HWND h = CreateWindowExA(native.exStyle, native.windowClass, s.caption, style, r.left, r.top, r.right - r.left,
                           height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(s.id))),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), nullptr);
  if (!h) return nullptr;
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(tahoma(s.fontPoints)), FALSE);
  if (isDropDown(s.kind)) {
    for (const std::string& item : ui::dropDownItems(s.id))
      SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    // The closed box as high as its place.
    SendMessageA(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), (r.bottom - r.top) - 6);
  }
  return h;
}

ControlHandles createControls(HWND window, ui::Window w) {
  ControlHandles handles{};
  for (const ui::ControlSpec& s : ui::controlTable())
    if (s.window == w) handles[static_cast<std::size_t>(s.id)] = createControl(window, s);
  // Beneath everything, outer frames lowest: each frame then draws only where
  // nothing it holds stands.
  const auto table = ui::controlTable();
  for (auto it = table.rbegin(); it != table.rend(); ++it) {
    HWND h = handles[static_cast<std::size_t>(it->id)];
    if (it->window == w && h && isFrame(it->kind))
      SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return handles;
}

void addHints(HWND window, const ControlHandles& handles) {
  HWND tips = nullptr;
  for (const ui::ControlSpec& s : ui::controlTable()) {
    HWND h = handles[static_cast<std::size_t>(s.id)];
    if (!h || !s.hint || !*s.hint) continue;
    if (!tips) {
      tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), nullptr);
      if (!tips) return;
    }
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(h);
    tool.lpszText = const_cast<char*>(s.hint);
    SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace vk2::win32

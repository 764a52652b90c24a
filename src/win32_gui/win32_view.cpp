#include "win32_gui/win32_view.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>

#include "win32_gui/artwork.h"
#include "win32_gui/common_dialogs.h"
#include "win32_gui/control_ids.h"
#include "win32_gui/fonts.h"
#include "win32_gui/message_loop.h"

namespace vk2::win32 {

namespace {

using ui::Control;
using ui::ControlKind;

std::size_t at(Control c) { return static_cast<std::size_t>(c); }

std::string windowText(HWND h) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

void setTextIfChanged(HWND h, const std::string& text) {
  if (windowText(h) != text) SetWindowTextA(h, text.c_str());
}

void registerClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
  static std::set<std::string> registered;
  if (!registered.insert(name).second) return;
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = procedure;
  c.hInstance = instance;
  c.hCursor = LoadCursor(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = name;
  if (!RegisterClassExA(&c))
    throw std::runtime_error(std::string("The window class ") + name + " cannot be registered (error " +
                             std::to_string(GetLastError()) + ")");
}

void blit(HDC target, HBITMAP bitmap, int x, int y) {
  if (!bitmap) return;
  BITMAP info{};
  GetObject(bitmap, sizeof info, &info);
  HDC source = CreateCompatibleDC(target);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(target, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

SIZE textSize(HWND h, HFONT font, const std::string& text) {
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, 0, 0};
  // An empty label keeps one line's height.
  DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return SIZE{text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

// The pickers' text is the span's time, "YYYY-MM-DD HH:MM:SS".
void showPickerTime(HWND h, const std::string& text) {
  SYSTEMTIME t{};
  unsigned year, month, day, hour, minute, second;
  if (std::sscanf(text.c_str(), "%u-%u-%u %u:%u:%u", &year, &month, &day, &hour, &minute, &second) != 6) return;
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  SendMessageA(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

// Counts up while the model's state is shown, whatever leaves the scope.
struct Applying {
  int& depth;
  explicit Applying(int& d) : depth(d) { ++depth; }
  ~Applying() { --depth; }
};

}  // namespace

Win32View::Win32View(HINSTANCE instance, ui::WindowModel& model, HWND owner) : model_(model), owner_(owner) {
  const ui::WindowSpec& layout = ui::windowSpec(model.windowId());
  registerClass(instance, layout.name, &Win32View::windowProc);
  // Fixed size: no sizing border, no maximize box. The options dialog is owned
  // by the main window, so it stays above it and has no taskbar button. Not
  // WS_CLIPCHILDREN: group boxes leave their inside to the window's background.
  const DWORD style = WS_CAPTION | WS_SYSMENU | (owner ? WS_POPUP : WS_OVERLAPPED | WS_MINIMIZEBOX);
  const DWORD exStyle = WS_EX_CONTROLPARENT | (owner ? WS_EX_DLGMODALFRAME : 0);
  RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  CreateWindowExA(exStyle, layout.name, layout.caption, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                  frame.bottom - frame.top, owner, nullptr, instance, this);
  if (!window_)
    throw std::runtime_error(std::string("The window ") + layout.name + " cannot be created (error " +
                             std::to_string(GetLastError()) + ")");
  createPictures();
  controls_ = createControls(window_, model.windowId());
  for (const ui::ControlSpec& s : ui::controlTable()) {
    if (s.window != model.windowId()) continue;
    if (!controls_[at(s.id)])
      throw std::runtime_error(std::string("The control ") + s.name + " cannot be created (error " +
                               std::to_string(GetLastError()) + ")");
    fonts_[at(s.id)] = tahoma(s.fontPoints);
  }
  addHints(window_, controls_);
  addKeyboardWindow(window_);
}

Win32View::~Win32View() {
  if (window_) DestroyWindow(window_);
  for (HBITMAP b : pictures_)
    if (b) DeleteObject(b);
  for (HBITMAP b : fadedPictures_)
    if (b) DeleteObject(b);
}

void Win32View::createPictures() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (const ui::ControlSpec& s : ui::controlTable()) {
    if (s.window != model_.windowId() || s.picture == ui::Picture::None) continue;
    pictures_[at(s.id)] = paintPicture(s.picture, s.place.width, s.place.height, face);
    if (s.kind == ControlKind::PictureButton) fadedPictures_[at(s.id)] = fadedCopy(pictures_[at(s.id)], face);
  }
}

// Showing the model's state -------------------------------------------------------

bool Win32View::enabledWithGroups(Control c) const {
  for (Control a = c; a != Control::None; a = ui::spec(a).parent)
    if (!model_.control(a).enabled) return false;
  return true;
}

void Win32View::applyEnabled(Control c) {
  const bool enabled = enabledWithGroups(c);
  HWND h = controlHandle(c);
  if ((IsWindowEnabled(h) != FALSE) != enabled) EnableWindow(h, enabled);
  const ControlKind kind = ui::spec(c).kind;
  if (kind != ControlKind::GroupBox && kind != ControlKind::Panel) return;
  // What the group holds follows it.
  for (const ui::ControlSpec& s : ui::controlTable()) {
    if (s.window != model_.windowId() || s.id == c) continue;
    for (Control a = s.parent; a != Control::None; a = ui::spec(a).parent) {
      if (a != c) continue;
      const bool inner = enabledWithGroups(s.id);
      HWND ih = controlHandle(s.id);
      if ((IsWindowEnabled(ih) != FALSE) != inner) EnableWindow(ih, inner);
      break;
    }
  }
}

void Win32View::fitLabel(Control c, const std::string& text) {
  const ui::ControlSpec& s = ui::spec(c);
  HWND h = controlHandle(c);
  RECT place = absolutePlace(c);
  if (s.align == ui::Align::AutoSize) {
    const SIZE size = textSize(h, fonts_[at(c)], text);
    SetWindowPos(h, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (s.place == ui::kLengthPlace) {
    // A longer number widens the label to the left, away from the "Sec" caption.
    const LONG needed = textSize(h, fonts_[at(c)], text).cx + 4;
    if (needed > place.right - place.left) place.left = place.right - needed;
    SetWindowPos(h, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (s.style == ui::TextStyle::Blue) {
    // A time that does not fit is shown smaller rather than cut.
    int points = s.fontPoints;
    while (points > 7 && textSize(h, tahoma(points), text).cx > place.right - place.left) --points;
    if (fonts_[at(c)] != tahoma(points)) {
      fonts_[at(c)] = tahoma(points);
      SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[at(c)]), TRUE);
    }
  }
}

void Win32View::applyText(Control c, const ui::ControlState& state) {
  HWND h = controlHandle(c);
  setTextIfChanged(h, state.text);
  if (ui::spec(c).kind == ControlKind::Label) fitLabel(c, state.text);
}

void Win32View::controlChanged(Control c, const ui::ControlState& state) {
  HWND h = controlHandle(c);
  if (!h) return;
  Applying applying(applying_);
  applyEnabled(c);
  const bool shown = (GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != state.visible) ShowWindow(h, state.visible ? SW_SHOWNA : SW_HIDE);
  switch (ui::spec(c).kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
      const WPARAM check = state.checked ? BST_CHECKED : BST_UNCHECKED;
      if (static_cast<WPARAM>(SendMessageA(h, BM_GETCHECK, 0, 0)) != check) SendMessageA(h, BM_SETCHECK, check, 0);
      applyText(c, state);
      break;
    }
    case ControlKind::Edit: {
      const bool readOnly = (GetWindowLongPtrA(h, GWL_STYLE) & ES_READONLY) != 0;
      if (readOnly != state.readOnly) SendMessageA(h, EM_SETREADONLY, state.readOnly, 0);
      applyText(c, state);
      break;
    }
    case ControlKind::ProgressBar:
      SendMessageA(h, PBM_SETRANGE32, 0, state.maximum);
      SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(state.position), 0);
      break;
    case ControlKind::DropDownList:
    case ControlKind::DropDownEdit:
      if (state.selection >= 0 || ui::spec(c).kind == ControlKind::DropDownList) {
        if (SendMessageA(h, CB_GETCURSEL, 0, 0) != state.selection)
          SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(state.selection), 0);
      } else if (windowText(h) != state.text) {
        SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetWindowTextA(h, state.text.c_str());
      }
      break;
    case ControlKind::DateTimePicker:
      showPickerTime(h, state.text);
      break;
    case ControlKind::Panel:
    case ControlKind::Picture:
    case ControlKind::Shape:
    case ControlKind::PictureButton:
      break;
    case ControlKind::Label:
    case ControlKind::PushButton:
    case ControlKind::GroupBox:
    case ControlKind::Memo:
      applyText(c, state);
      break;
  }
}

void Win32View::placeForShowing() {
  RECT own{}, area{};
  GetWindowRect(window_, &own);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (owner_) GetWindowRect(owner_, &around);
  const int width = own.right - own.left, height = own.bottom - own.top;
  int x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
  // Centred, but never with the caption off the screen.
  x = std::max<int>(area.left, std::min<int>(x, area.right - width));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32View::windowChanged(const ui::WindowState& state) {
  if (!window_) return;
  Applying applying(applying_);
  setTextIfChanged(window_, state.caption);
  if ((IsWindowEnabled(window_) != FALSE) != state.enabled) EnableWindow(window_, state.enabled);
  const bool shown = IsWindowVisible(window_) != FALSE;
  if (state.visible && !shown) {
    // The dialog over the main window each time; the main window once, mid-screen.
    if (owner_ || !placed_) placeForShowing();
    placed_ = true;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    // The keyboard starts at the first control Tab reaches.
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
    UpdateWindow(window_);
  } else if (!state.visible && shown) {
    ShowWindow(window_, SW_HIDE);
    if (owner_ && IsWindowEnabled(owner_)) SetForegroundWindow(owner_);
  }
}

// Boxes, choosers and the pump -----------------------------------------------------

std::optional<std::vector<std::string>> Win32View::chooseMmvFiles(const std::string& initialFolder) {
  return win32::chooseMmvFiles(window_, initialFolder);
}

std::optional<std::string> Win32View::chooseFolder(const std::string& title) {
  return win32::chooseFolder(window_, title);
}

void Win32View::showMessage(const std::string& text) { showMessageBox(window_, text); }

void Win32View::showError(const std::string& text) { showErrorBox(window_, text); }

void Win32View::pump() { pumpMessages(); }

// Messages -----------------------------------------------------------------------

LRESULT CALLBACK Win32View::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* view = static_cast<Win32View*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    view->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  }
  auto* view = reinterpret_cast<Win32View*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!view) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    removeKeyboardWindow(window);
    view->window_ = nullptr;
    view->controls_.fill(nullptr);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return view->handleMessage(message, wParam, lParam);
}

template <typename Handler>
void Win32View::guarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    showError(e.what());
  } catch (...) {
    showError("The command ended with an unexpected error.");
  }
}

LRESULT Win32View::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      guarded([this] { closeRequested(); });
      return 0;
    case WM_DESTROY:
      destroyed();
      return 0;
    case WM_DRAWITEM:
      if (drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
      return colourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND:
      // The options dialog has no minimise box: minimised, it would leave only
      // the disabled main window. Nothing else may minimise it either.
      if (owner_ && (wParam & 0xFFF0) == SC_MINIMIZE) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void Win32View::command(int id, int code) {
  if (id == IDCANCEL) {  // Escape, through the dialog keys
    guarded([this] { escapePressed(); });
    return;
  }
  const Control c = controlOfId(id);
  // Notifications raised while a state of the model is shown are not the user's.
  if (c == Control::None || ui::spec(c).window != model_.windowId() || applying_ > 0) return;
  HWND h = controlHandle(c);
  guarded([&] {
    switch (ui::spec(c).kind) {
      case ControlKind::CheckBox:
      case ControlKind::RadioButton:
        if (code != BN_CLICKED) return;
        model_.userChecked(c, SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED);
        clicked(c);
        return;
      case ControlKind::PushButton:
      case ControlKind::PictureButton:
        if (code == BN_CLICKED) clicked(c);
        return;
      case ControlKind::Edit:
        if (code == EN_CHANGE) model_.userEdited(c, windowText(h));
        return;
      case ControlKind::DropDownList:
      case ControlKind::DropDownEdit:
        if (code == CBN_SELCHANGE) model_.userSelected(c, static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0)));
        if (code == CBN_EDITCHANGE) model_.userEdited(c, windowText(h));
        return;
      default:
        return;
    }
  });
}

// Painting -----------------------------------------------------------------------

bool Win32View::drawItem(const DRAWITEMSTRUCT& item) {
  const Control c = controlOfId(static_cast<int>(item.CtlID));
  if (c == Control::None) return false;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  switch (ui::spec(c).kind) {
    case ControlKind::Panel:
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
      return true;
    case ControlKind::Shape:
      FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return true;
    case ControlKind::Picture:
      blit(dc, pictures_[at(c)], r.left, r.top);
      return true;
    case ControlKind::PictureButton: {
      // A flat button: its picture, greyed when disabled, sunk while pressed.
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      const bool pressed = (item.itemState & ODS_SELECTED) != 0;
      HBITMAP picture = (item.itemState & ODS_DISABLED) ? fadedPictures_[at(c)] : pictures_[at(c)];
      BITMAP info{};
      GetObject(picture, sizeof info, &info);
      const int shift = pressed ? 1 : 0;
      blit(dc, picture, (r.right - r.left - info.bmWidth) / 2 + shift, (r.bottom - r.top - info.bmHeight) / 2 + shift);
      if (pressed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
      return true;
    }
    default:
      return false;
  }
}

LRESULT Win32View::colourStatic(HDC dc, HWND control) {
  const Control c = controlOfId(GetDlgCtrlID(control));
  if (c != Control::None) {
    switch (ui::spec(c).style) {
      case ui::TextStyle::Blue:
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      case ui::TextStyle::YellowOnBlack:
        SetTextColor(dc, RGB(255, 255, 0));
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
      case ui::TextStyle::Normal:
        break;
    }
  }
  return DefWindowProcA(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

}  // namespace vk2::win32

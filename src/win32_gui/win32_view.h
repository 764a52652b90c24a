#pragma once
// A window of the window model shown with native Win32 controls: it builds the
// window from the control table, shows every state the model sends, and reports
// what the user changed back to the model before the window's handler runs.
#include <windows.h>

#include <array>

#include "window_model/window_model.h"
#include "win32_gui/control_factory.h"

namespace vk2::win32 {

class Win32View : public ui::WindowView {
 public:
  // The window is created hidden; `owner` keeps an owned window above it.
  Win32View(HINSTANCE instance, ui::WindowModel& model, HWND owner);
  ~Win32View() override;
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  HWND handle() const { return window_; }
  HWND controlHandle(ui::Control c) const { return controls_[static_cast<std::size_t>(c)]; }

  void controlChanged(ui::Control c, const ui::ControlState& state) override;
  void windowChanged(const ui::WindowState& state) override;
  std::optional<std::vector<std::string>> chooseMmvFiles(const std::string& initialFolder) override;
  std::optional<std::string> chooseFolder(const std::string& title) override;
  void showMessage(const std::string& text) override;
  void showError(const std::string& text) override;
  void pump() override;

 protected:
  // A button, check box or radio button the user clicked; the model already
  // holds a check box's or radio button's new state.
  virtual void clicked(ui::Control c) = 0;
  // The close box (and the Close button, and Escape where it closes).
  virtual void closeRequested() = 0;
  virtual void escapePressed() {}
  virtual void destroyed() {}

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void command(int id, int code);
  // Runs a handler; an error escaping it is shown, and the program goes on.
  template <typename Handler>
  void guarded(Handler&& handler);

  bool enabledWithGroups(ui::Control c) const;
  void applyEnabled(ui::Control c);
  void applyText(ui::Control c, const ui::ControlState& state);
  void fitLabel(ui::Control c, const std::string& text);
  void placeForShowing();
  void createPictures();
  bool drawItem(const DRAWITEMSTRUCT& item);
  LRESULT colourStatic(HDC dc, HWND control);

  ui::WindowModel& model_;
  HWND owner_;
  HWND window_ = nullptr;
  ControlHandles controls_{};
  std::array<HFONT, ui::kControlCount> fonts_{};
  std::array<HBITMAP, ui::kControlCount> pictures_{};
  std::array<HBITMAP, ui::kControlCount> fadedPictures_{};
  int applying_ = 0;  // > 0 while a model state is shown: the notifications it raises are not the user's
  bool placed_ = false;
};

}  // namespace vk2::win32

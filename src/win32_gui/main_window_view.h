#pragma once
// The main window: the open, save and SD-card commands and the status band.
#include "window_model/main_window_model.h"
#include "win32_gui/win32_view.h"

namespace vk2::win32 {

class MainWindowView : public Win32View {
 public:
  MainWindowView(HINSTANCE instance, ui::MainWindowModel& model);

 protected:
  void clicked(ui::Control c) override;
  // Refused while a run holds the window; closing it ends the program.
  void closeRequested() override;
  void destroyed() override;

 private:
  ui::MainWindowModel& model_;
};

}  // namespace vk2::win32

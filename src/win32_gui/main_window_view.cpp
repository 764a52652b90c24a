#include "win32_gui/main_window_view.h"

namespace vk2::win32 {

MainWindowView::MainWindowView(HINSTANCE instance, ui::MainWindowModel& model)
    : Win32View(instance, model, nullptr), model_(model) {}

void MainWindowView::clicked(ui::Control c) {
  switch (c) {
    case ui::Control::SpeedButton2:
      model_.SpeedButton2Click();
      break;
    case ui::Control::sbtnSaveMp4:
      model_.sbtnSaveMp4Click();
      break;
    case ui::Control::sbtnSdCard:
      model_.sbtnSdCardClick();
      break;
    default:
      break;
  }
}

void MainWindowView::closeRequested() {
  if (model_.FormCloseQuery()) DestroyWindow(handle());
}

void MainWindowView::destroyed() { PostQuitMessage(0); }

}  // namespace vk2::win32

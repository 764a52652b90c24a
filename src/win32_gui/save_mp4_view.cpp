#include "win32_gui/save_mp4_view.h"

namespace vk2::win32 {

using ui::Control;

SaveMp4View::SaveMp4View(HINSTANCE instance, ui::SaveMp4Model& model, HWND mainWindow)
    : Win32View(instance, model, mainWindow), model_(model) {}

void SaveMp4View::clicked(Control c) {
  switch (c) {
    case Control::sbtnTimeFromPlus:
      model_.sbtnTimeFromPlusClick();
      break;
    case Control::sbtnTimeFromMinus:
      model_.sbtnTimeFromMinusClick();
      break;
    case Control::sbtnTimeToPlus:
      model_.sbtnTimeToPlusClick();
      break;
    case Control::sbtnTimeToMinus:
      model_.sbtnTimeToMinusClick();
      break;
    case Control::rbTimeLocal:
      model_.rbTimeLocalClick();
      break;
    case Control::rbTimeUtc:
      model_.rbTimeUtcClick();
      break;
    case Control::Button1:
      model_.Button1Click();
      break;
    case Control::btnStart:
      model_.btnStartClick();
      break;
    case Control::btnCancel:
      model_.btnCancelClick();
      break;
    case Control::btnClose:
      closeRequested();
      break;
    default:
      break;  // the option check boxes and radio buttons: the model holds their state
  }
}

void SaveMp4View::closeRequested() { model_.FormCloseQuery(); }

}  // namespace vk2::win32

#pragma once
// The options dialog "Save as MP4 Video", owned by the main window.
#include "window_model/save_mp4_model.h"
#include "win32_gui/win32_view.h"

namespace vk2::win32 {

class SaveMp4View : public Win32View {
 public:
  SaveMp4View(HINSTANCE instance, ui::SaveMp4Model& model, HWND mainWindow);

 protected:
  void clicked(ui::Control c) override;
  // The close box, Close and Escape alike: refused during a converter step.
  void closeRequested() override;
  void escapePressed() override { closeRequested(); }

 private:
  ui::SaveMp4Model& model_;
};

}  // namespace vk2::win32

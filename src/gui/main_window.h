#pragma once
// The Qt view of the main window: its widgets built from the control table,
// its handlers and state those of the window model it extends.
#include <QWidget>

#include "gui/gui_environment.h"
#include "window_model/main_window_model.h"

namespace vk2::gui {

class ControlWidgets;
class TformSaveMp4;

using ui::kMainCaption;

// Holds the model's environment so it exists before the model is built.
struct QtWindowEnvironment {
  ui::WindowEnvironment modelEnvironment;
};

class TFormWebsocketclientf : public QWidget,
                              private QtWindowEnvironment,
                              public ui::MainWindowModel,
                              private ui::WindowView {
  Q_OBJECT

 public:
  TFormWebsocketclientf(ConversionState& state, GuiEnvironment& env, QWidget* parent = nullptr);
  ~TFormWebsocketclientf() override;

  // The options dialog is created after this window; the scan reads its time basis.
  void setSaveDialog(TformSaveMp4* dialog);
  GuiEnvironment& guiEnvironment() { return env_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The view's part.
  void controlChanged(ui::Control c, const ui::ControlState& state) override;
  void windowChanged(const ui::WindowState& state) override;
  std::optional<std::vector<std::string>> chooseMmvFiles(const std::string& initialFolder) override;
  std::optional<std::string> chooseFolder(const std::string& title) override;
  void showMessage(const std::string& text) override;
  void showError(const std::string& text) override;
  void pump() override;

  GuiEnvironment& env_;
  ControlWidgets* widgets_ = nullptr;
};

// Processes waiting events: the windows keep painting and Cancel answers during a run.
void pumpEvents();

}  // namespace vk2::gui

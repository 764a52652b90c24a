#pragma once
// The Qt view of "Save as MP4 Video": its widgets built from the control table,
// its handlers, option readers and run those of the window model it extends.
#include <QWidget>

#include "window_model/save_mp4_model.h"

namespace vk2::gui {

class ControlWidgets;
class TFormWebsocketclientf;

class TformSaveMp4 : public QWidget, public ui::SaveMp4Model, private ui::WindowView {
  Q_OBJECT

 public:
  TformSaveMp4(ConversionState& state, TFormWebsocketclientf& mainWindow);
  ~TformSaveMp4() override;

 signals:
  // Every change of the run's counter, in its steps, after it is shown (the bar moves finer between).
  void progressShown(const QString& label, int position, int maximum);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void clicked(ui::Control c);
  // The view's part.
  void controlChanged(ui::Control c, const ui::ControlState& state) override;
  void windowChanged(const ui::WindowState& state) override;
  std::optional<std::vector<std::string>> chooseMmvFiles(const std::string& initialFolder) override;
  std::optional<std::string> chooseFolder(const std::string& title) override;
  void showMessage(const std::string& text) override;
  void showError(const std::string& text) override;
  void pump() override;
  void runProgressShown(const std::string& label, int position, int maximum) override;

  TFormWebsocketclientf& mainWindow_;
  ControlWidgets* widgets_ = nullptr;
};

}  // namespace vk2::gui

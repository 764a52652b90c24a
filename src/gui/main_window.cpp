#include "gui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "gui/control_widgets.h"
#include "gui/fonts.h"
#include "gui/locale_separators.h"
#include "gui/save_mp4_dialog.h"
#include "platform/stop_signals.h"

namespace vk2::gui {

TFormWebsocketclientf::TFormWebsocketclientf(ConversionState& state, GuiEnvironment& env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      QtWindowEnvironment{ui::WindowEnvironment{env.launcher, env.converterPath, env.openFolder,
                                                [] { return localeSeparators(); }, [] { return stopSignalled(); }}},
      MainWindowModel(state, modelEnvironment),
      env_(env) {
  setObjectName(ui::windowSpec(ui::Window::Main).name);
  setWindowTitle(kMainCaption);
  setFont(tahoma(8));
  setFixedSize(ui::windowSpec(ui::Window::Main).clientWidth, ui::windowSpec(ui::Window::Main).clientHeight);
  widgets_ = new ControlWidgets(this, *this);
  widgets_->onClicked([this](ui::Control c) {
    if (c == ui::Control::SpeedButton2) SpeedButton2Click();
    if (c == ui::Control::sbtnSaveMp4) sbtnSaveMp4Click();
    if (c == ui::Control::sbtnSdCard) sbtnSdCardClick();
  });
  attach(this);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TFormWebsocketclientf::~TFormWebsocketclientf() { attach(nullptr); }

void TFormWebsocketclientf::setSaveDialog(TformSaveMp4* dialog) { MainWindowModel::setSaveDialog(dialog); }

void TFormWebsocketclientf::controlChanged(ui::Control c, const ui::ControlState& state) {
  if (widgets_) widgets_->apply(c, state);
}

// The main window is shown by the program; the model locks and unlocks it.
void TFormWebsocketclientf::windowChanged(const ui::WindowState& state) {
  QWidget::setEnabled(state.enabled);
  setWindowTitle(QString::fromLocal8Bit(state.caption));
}

std::optional<std::vector<std::string>> TFormWebsocketclientf::chooseMmvFiles(const std::string& initialFolder) {
  return env_.dialogs.chooseMmvFiles(this, initialFolder);
}

std::optional<std::string> TFormWebsocketclientf::chooseFolder(const std::string& title) {
  return env_.dialogs.chooseFolder(this, title);
}

void TFormWebsocketclientf::showMessage(const std::string& text) { env_.dialogs.showMessage(this, text); }
void TFormWebsocketclientf::showError(const std::string& text) { env_.dialogs.showError(this, text); }
void TFormWebsocketclientf::pump() { pumpEvents(); }

void TFormWebsocketclientf::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();  // the last window closed ends the message loop
}

void pumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace vk2::gui

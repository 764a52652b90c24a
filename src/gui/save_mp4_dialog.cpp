#include "gui/save_mp4_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

#include "gui/control_widgets.h"
#include "gui/fonts.h"
#include "gui/main_window.h"

namespace vk2::gui {

using ui::Control;

TformSaveMp4::TformSaveMp4(ConversionState& state, TFormWebsocketclientf& mainWindow)
    // A window of its own: a child window would be disabled with the main window.
    // No minimise button: a minimised dialog would leave only the disabled main window.
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      SaveMp4Model(state, mainWindow),
      mainWindow_(mainWindow) {
  const ui::WindowSpec& window = ui::windowSpec(ui::Window::SaveMp4);
  setObjectName(window.name);
  setWindowTitle(window.caption);
  setFont(tahoma(8));
  setFixedSize(window.clientWidth, window.clientHeight);
  widgets_ = new ControlWidgets(this, *this);
  widgets_->onClicked([this](Control c) { clicked(c); });
  attach(this);
}

TformSaveMp4::~TformSaveMp4() { attach(nullptr); }

void TformSaveMp4::clicked(Control c) {
  switch (c) {
    case Control::sbtnTimeFromPlus: sbtnTimeFromPlusClick(); break;
    case Control::sbtnTimeFromMinus: sbtnTimeFromMinusClick(); break;
    case Control::sbtnTimeToPlus: sbtnTimeToPlusClick(); break;
    case Control::sbtnTimeToMinus: sbtnTimeToMinusClick(); break;
    case Control::rbTimeLocal: rbTimeLocalClick(); break;
    case Control::rbTimeUtc: rbTimeUtcClick(); break;
    case Control::Button1: Button1Click(); break;
    case Control::btnStart: btnStartClick(); break;
    case Control::btnCancel: btnCancelClick(); break;
    case Control::btnClose: close(); break;
    default: break;
  }
}

void TformSaveMp4::controlChanged(Control c, const ui::ControlState& state) {
  if (widgets_) widgets_->apply(c, state);
}

void TformSaveMp4::windowChanged(const ui::WindowState& state) {
  QWidget::setEnabled(state.enabled);
  setWindowTitle(QString::fromLocal8Bit(state.caption));
  if (state.visible && !isVisible()) {
    // Kept above the main window, as its transient, but not above other programs' windows.
    mainWindow_.winId();
    winId();
    windowHandle()->setTransientParent(mainWindow_.windowHandle());
    // Opened centred over the main window.
    move(mainWindow_.frameGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
  } else if (!state.visible && isVisible()) {
    hide();
  }
}

std::optional<std::vector<std::string>> TformSaveMp4::chooseMmvFiles(const std::string& initialFolder) {
  return mainWindow_.guiEnvironment().dialogs.chooseMmvFiles(this, initialFolder);
}

std::optional<std::string> TformSaveMp4::chooseFolder(const std::string& title) {
  return mainWindow_.guiEnvironment().dialogs.chooseFolder(this, title);
}

void TformSaveMp4::showMessage(const std::string& text) { mainWindow_.guiEnvironment().dialogs.showMessage(this, text); }
void TformSaveMp4::showError(const std::string& text) { mainWindow_.guiEnvironment().dialogs.showError(this, text); }
void TformSaveMp4::pump() { pumpEvents(); }

void TformSaveMp4::runProgressShown(const std::string& label, int position, int maximum) {
  emit progressShown(QString::fromLocal8Bit(label), position, maximum);
}

void TformSaveMp4::closeEvent(QCloseEvent* event) {
  // During a converter step only Cancel takes input.
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TformSaveMp4::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vk2::gui

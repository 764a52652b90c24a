#include "gui/application.h"

#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <clocale>
#include <exception>

#include "core/conversion_state.h"
#include "gui/artwork.h"
#include "gui/diagnosis_log.h"
#include "gui/dialogs.h"
#include "window_model/controls.h"
#include "gui/main_window.h"
#include "gui/save_mp4_dialog.h"
#include "platform/process_launch.h"
#include "platform/stop_signals.h"

namespace vk2::gui {

namespace {

void showEscapedError(const char* text) {
  QMessageBox::critical(nullptr, ui::kBoxTitle, QString::fromLocal8Bit(text));
}

// The same picture as the installed icon files.
void showProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(programIcon(size)));
  QApplication::setWindowIcon(icon);
  // Ties the windows to the installed desktop entry (its name and icon on Wayland).
  QGuiApplication::setDesktopFileName("vk2-mp4-tool");
}

}  // namespace

Vk2Application::Vk2Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Vk2Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    showEscapedError(e.what());
  } catch (...) {
    showEscapedError("unknown error");
  }
  return false;
}

void quitOnStopSignal(TformSaveMp4& dialog) {
  watchForStopSignals();
  // Looked at between events: the run's pump processes them too, and the run
  // has to end (and clean up) before the program may.
  auto* watch = new QTimer(&dialog);
  QObject::connect(watch, &QTimer::timeout, [&dialog] {
    if (stopSignalled() && !dialog.running()) QCoreApplication::quit();
  });
  watch->start(100);
}

int runProgram() {
  // Qt's own options are not read either: the program takes no command line.
  static char programName[] = "vk2-mp4-tool";
  static char* arguments[] = {programName, nullptr};
  int argumentCount = 1;
  try {
    Vk2Application app(argumentCount, arguments);
    // Qt has taken the user's locale; numbers for the converter and the files
    // are written locale-free anyway, and any C-library call that still reads
    // LC_NUMERIC gets '.' too. Dates and error texts keep the user's language.
    std::setlocale(LC_NUMERIC, "C");
    showProgramIcon();
    ConversionState state;
    QtDialogs dialogs;
    std::unique_ptr<ProcessLauncher> launcher = makeProcessLauncher();
    GuiEnvironment env{dialogs, *launcher, [] { return converterPath(); },
                       [](ProcessLauncher& l, const std::string& folder) { openFolderInFileManager(l, folder); }};
    std::unique_ptr<DiagnosisLog> diagnosis = openDiagnosisLog(dialogs);
    try {
      TFormWebsocketclientf mainWindow(state, env);
      TformSaveMp4 saveDialog(state, mainWindow);
      mainWindow.setSaveDialog(&saveDialog);
      quitOnStopSignal(saveDialog);
      if (diagnosis) {
        diagnosis->follow(mainWindow.memoMessage(), "");
        diagnosis->follow(saveDialog.memoMessage(), "[dialog] ");
      }
      mainWindow.show();
      QApplication::exec();
    } catch (const std::exception& e) {
      showEscapedError(e.what());
    }
  } catch (...) {
    // Without an application object no box can be shown; the exit code stays 0.
  }
  return 0;
}

}  // namespace vk2::gui

#pragma once
// Start-up of the windows program: the state, the main window, the options
// dialog created hidden, and the message loop.
#include <QApplication>

namespace vk2::gui {

// The application object. An error that escapes an event handler is shown in
// the standard error box and the message loop goes on.
class Vk2Application : public QApplication {
 public:
  Vk2Application(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

class TformSaveMp4;

// SIGTERM, SIGHUP and SIGINT: a running conversion ends as after Cancel during
// the converter (the window model looks at the flag in its pump), then the
// program quits; outside a run it quits at once.
void quitOnStopSignal(TformSaveMp4& dialog);

// The whole program; always returns 0.
int runProgram();

}  // namespace vk2::gui

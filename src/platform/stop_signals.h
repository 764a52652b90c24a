#pragma once
// A stop asked for from outside the program: SIGINT, SIGTERM and SIGHUP (the
// terminal or the session closed); on Windows the console's Ctrl-C, Ctrl-Break,
// close, logoff and shutdown events. The handler only raises a flag, which the
// program looks at where it can stop cleanly.
namespace vk2 {

// Installs the handlers (once) and lowers the flag. A signal ignored from the
// start stays ignored (`nohup` must outlive its terminal). SIGPIPE is ignored
// from then on: a reader of the output that goes away takes the lines with it,
// not the program.
void watchForStopSignals();
bool stopSignalled();

// The program has stopped and removed what it had to. A console handler that
// waits for this (Windows: close, logoff, shutdown) lets the process end.
void reportCleanedUp();

#ifdef _WIN32
// The console control handler, as SetConsoleCtrlHandler takes it (BOOL WINAPI
// (DWORD)). Ctrl-C and Ctrl-Break raise the flag and return at once. After a
// close, logoff or shutdown event Windows ends the process as soon as the
// handler returns, so it raises the flag and waits, a few seconds at most,
// until reportCleanedUp().
int __stdcall onConsoleEvent(unsigned long event);
#endif

}  // namespace vk2

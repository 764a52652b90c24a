#include "platform/terminal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vk2 {

bool standardOutputIsTerminal() {
#ifdef _WIN32
  // _isatty would also count the NUL device; only a console has a mode.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
  return ::isatty(STDOUT_FILENO) == 1;
#endif
}

}  // namespace vk2

#include "platform/terminal.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

void writeStandardOutputUnchanged() {
#ifdef _WIN32
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

}  // namespace vk2

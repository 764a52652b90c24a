#include "cli/ansi_arguments.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace vk2::cli {

std::string argumentOutsideAnsiCodePage() {
#ifdef _WIN32
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return std::string();
  std::string problem;
  for (int i = 1; i < count && problem.empty(); ++i) {
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, args[i], -1, nullptr, 0, nullptr, &lost);
    if (n > 0 && lost) {
      std::string shown(static_cast<std::size_t>(n), '\0');
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, args[i], -1, shown.data(), n, nullptr, nullptr);
      shown.resize(static_cast<std::size_t>(n - 1));
      problem = "argument " + std::to_string(i) + " (\"" + shown + "\") holds characters that the ANSI code page " +
                std::to_string(GetACP()) +
                " cannot show, so it cannot be passed on unchanged; rename the file or folder using only "
                "characters of that code page";
    }
  }
  LocalFree(args);
  return problem;
#else
  return std::string();
#endif
}

}  // namespace vk2::cli

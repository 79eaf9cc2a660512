#include "tool/console.h"

#include <csignal>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <string>
#define VANTREL_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define VANTREL_ISATTY(f) isatty(fileno(f))
#endif

Console::Console() : flush_each_(VANTREL_ISATTY(stdout) != 0) {
#ifdef SIGPIPE
  // A reader that goes away (`vantrel ... | head`) must not end the run
  // halfway through writing its files; failed console writes are ignored.
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

void Console::Print(std::string_view text) {
  if (capture_ != nullptr) {
    capture_->append(text);
    return;
  }
#ifdef _WIN32
  // Messages are UTF-8 (paths included); a Windows console shows them right
  // only when given UTF-16.
  if (flush_each_) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        wide.data(), n);
    DWORD written = 0;
    if (n > 0 && WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), wide.data(),
                               static_cast<DWORD>(n), &written, nullptr)) {
      return;
    }
  }
#endif
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (flush_each_) std::fflush(stdout);
}

void PauseBeforeExit(Console& console) {
  console.Print("Press <Enter> to quit");
  std::fflush(stdout);
  std::getchar();
}

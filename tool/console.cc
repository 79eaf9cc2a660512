#include "tool/console.h"

#include <csignal>

#ifdef _WIN32
#include <io.h>
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
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (flush_each_) std::fflush(stdout);
}

void PauseBeforeExit(Console& console) {
  console.Print("Press <Enter> to quit");
  std::fflush(stdout);
  std::getchar();
}

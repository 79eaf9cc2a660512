#ifndef VANTREL_TOOL_CONSOLE_H_
#define VANTREL_TOOL_CONSOLE_H_

#include <cstdio>
#include <string>
#include <string_view>

/// The tool's messages and progress dots. On a terminal every message shows
/// at once; redirected to a file or a pipe, output is buffered. Output is
/// advisory: the files are the work, so a closed or broken standard output
/// never ends the run.
class Console {
 public:
  /// Writes to standard output.
  Console();
  /// Appends to `capture` instead (for tests).
  explicit Console(std::string* capture) : capture_(capture) {}

  void Print(std::string_view text);

 private:
  std::string* capture_ = nullptr;
  bool flush_each_ = false;
};

/// Prints "Press <Enter> to quit" and waits for one character on standard
/// input, which is discarded; returns at once when the input is at its end
/// or closed.
void PauseBeforeExit(Console& console);

#endif  // VANTREL_TOOL_CONSOLE_H_

#include "tool/run_tool.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

// The arguments arrive as UTF-16, whatever the console's code page, and are
// handed on as UTF-8: file names open as typed, and the header records them.
int wmain(int argc, wchar_t** wargv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0,
                                      nullptr, nullptr);
    std::string arg(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
    if (n > 0)
      WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, arg.data(), n, nullptr,
                          nullptr);
    arg.resize(arg.size() - 1);  // the terminating NUL
    args.push_back(std::move(arg));
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return RunTool(argc, argv.data());
}
#else
int main(int argc, char** argv) { return RunTool(argc, argv); }
#endif

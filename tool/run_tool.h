#ifndef VANTREL_TOOL_RUN_TOOL_H_
#define VANTREL_TOOL_RUN_TOOL_H_

/// Exit codes of a run.
enum ExitCode : int {
  kExitSuccess = 0,
  kExitUsage = 1,      // wrong number of arguments
  kExitFile = 2,       // a file can't be opened, created, read or written
  kExitLimit = 3,      // too many triangles or lines
};

/// Runs the whole tool on the command line `argv` (argc counts the program
/// name): argument check, opening the files, reading the surface file and
/// the line file, trimming, writing. Reports progress and errors on standard
/// output; on every error it pauses for Enter before returning. Returns the
/// process exit code.
int RunTool(int argc, char** argv);

#endif  // VANTREL_TOOL_RUN_TOOL_H_

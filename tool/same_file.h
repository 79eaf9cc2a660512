#ifndef VANTREL_TOOL_SAME_FILE_H_
#define VANTREL_TOOL_SAME_FILE_H_

/// True when the two paths (UTF-8) name the same file: one existing file under any
/// name (hard and symbolic links included), or paths that are equal once
/// made absolute and normalised, whether or not the file exists yet.
bool SameFile(const char* a, const char* b);

#endif  // VANTREL_TOOL_SAME_FILE_H_

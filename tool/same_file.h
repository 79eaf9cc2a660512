#ifndef VANTREL_TOOL_SAME_FILE_H_
#define VANTREL_TOOL_SAME_FILE_H_

#include <filesystem>

/// True when the two paths name the same file: one existing file under any
/// name (hard and symbolic links included), or paths that are equal once
/// made absolute and normalised, whether or not the file exists yet.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

#endif  // VANTREL_TOOL_SAME_FILE_H_

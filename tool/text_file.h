#ifndef VANTREL_TOOL_TEXT_FILE_H_
#define VANTREL_TOOL_TEXT_FILE_H_

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Text files as the platform has them. Files are opened as bytes and the
// text-mode translation is done here, the same way on every platform:
//  - Windows: reading turns CR LF into a line end and stops at a byte 0x1A;
//    writing turns each line end into CR LF.
//  - elsewhere: bytes pass unchanged and a line end is LF.
// A line end is '\n' in the text the tool handles.

enum class LineEnds { kLf, kCrLf };

#ifdef _WIN32
inline constexpr LineEnds kPlatformLineEnds = LineEnds::kCrLf;
#else
inline constexpr LineEnds kPlatformLineEnds = LineEnds::kLf;
#endif

/// Opens the file at `path` (UTF-8) as bytes, for reading or, created or
/// truncated, for writing. Returns null when that fails. On Windows the path
/// is converted to UTF-16, so any name the file system holds can be opened.
std::FILE* OpenFile(const char* path, bool for_writing);

/// Reads text lines from a file or from text in memory.
class TextReader {
 public:
  /// Reads `file` (opened in binary mode, not owned).
  explicit TextReader(std::FILE* file,
                      LineEnds line_ends = kPlatformLineEnds);
  /// Reads `text`, which must outlive the reader.
  explicit TextReader(std::string_view text,
                      LineEnds line_ends = kPlatformLineEnds);

  /// Replaces `line` with the next line, its line end included when it had
  /// one, however long it is. Returns false at the end of the input or after
  /// a read error.
  bool ReadLine(std::string& line);

  /// Reads ahead the first block, so that an input that can't be read at
  /// all (a directory, say) is known before anything else happens. Returns
  /// false on a read error.
  bool Prime();

  /// True once reading the file failed.
  bool failed() const { return failed_; }

 private:
  bool Fill();

  std::FILE* file_ = nullptr;
  LineEnds line_ends_;
  std::unique_ptr<char[]> block_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  bool at_end_ = false;
  bool failed_ = false;
};

/// Writes text to a file or appends it to a string, turning '\n' into the
/// platform's line end. Output to a file is buffered; Flush() sends it.
class TextWriter {
 public:
  /// Writes to `file` (opened in binary mode, not owned).
  explicit TextWriter(std::FILE* file,
                      LineEnds line_ends = kPlatformLineEnds);
  /// Appends to `text`, which must outlive the writer.
  explicit TextWriter(std::string* text,
                      LineEnds line_ends = kPlatformLineEnds);
  ~TextWriter();

  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  void Write(std::string_view text);

  /// Sends everything buffered to the file. Returns false if any write so
  /// far has failed.
  bool Flush();

 private:
  void Put(const char* data, std::size_t size);
  void Drain();

  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  LineEnds line_ends_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

#endif  // VANTREL_TOOL_TEXT_FILE_H_

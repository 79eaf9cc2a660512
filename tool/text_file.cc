#include "tool/text_file.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Block size of file reads and writes. The readers and the writer keep a
// block each; a few small ones cost fewer fresh pages of memory, which is
// what a short run pays most for, than a few large ones save in calls.
constexpr std::size_t kBlockSize = 16 * 1024;

// Ends a file when read in CR LF text mode.
constexpr char kEndOfFileMark = '\x1a';

// The readers and the writer move whole blocks, so the C library's own
// buffer would only add a copy (and a fresh page of memory per file).
std::FILE* Unbuffered(std::FILE* file) {
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

}  // namespace

std::FILE* OpenFile(const char* path, bool for_writing) {
#ifdef _WIN32
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1,
                                    nullptr, 0);
  if (n <= 0) return nullptr;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide.data(), n);
  return Unbuffered(_wfopen(wide.c_str(), for_writing ? L"wb" : L"rb"));
#else
  return Unbuffered(std::fopen(path, for_writing ? "wb" : "rb"));
#endif
}

TextReader::TextReader(std::FILE* file, LineEnds line_ends)
    : file_(file), line_ends_(line_ends), block_(new char[kBlockSize]) {}

TextReader::TextReader(std::string_view text, LineEnds line_ends)
    : line_ends_(line_ends),
      pos_(text.data()),
      end_(text.data() + text.size()) {}

bool TextReader::Fill() {
  if (file_ == nullptr || at_end_ || failed_) return false;
  const std::size_t n = std::fread(block_.get(), 1, kBlockSize, file_);
  if (n < kBlockSize) {
    if (std::ferror(file_)) failed_ = true;
    at_end_ = true;
  }
  pos_ = block_.get();
  end_ = pos_ + n;
  return n != 0 && !failed_;
}

bool TextReader::Prime() {
  if (pos_ == end_) Fill();
  return !failed_;
}

bool TextReader::ReadLine(std::string& line) {
  line.clear();
  if (failed_) return false;
  for (;;) {
    if (pos_ == end_ && !Fill()) return !failed_ && !line.empty();
    if (line_ends_ == LineEnds::kLf) {
      const void* lf = std::memchr(pos_, '\n', end_ - pos_);
      const char* stop = lf ? static_cast<const char*>(lf) + 1 : end_;
      line.append(pos_, stop);
      pos_ = stop;
      if (lf) return true;
      continue;
    }
    // CR LF text mode: copy up to the next byte that needs a decision.
    const char* p = pos_;
    while (p != end_ && *p != '\n' && *p != '\r' && *p != kEndOfFileMark) ++p;
    line.append(pos_, p);
    pos_ = p;
    if (p == end_) continue;
    if (*p == kEndOfFileMark) {
      at_end_ = true;
      pos_ = end_ = nullptr;
      file_ = nullptr;
      return !line.empty();
    }
    ++pos_;
    if (*p == '\n') {
      line.push_back('\n');
      return true;
    }
    // A CR: a line end when an LF follows (possibly in the next block),
    // else an ordinary byte.
    if (pos_ == end_ && !Fill()) {
      line.push_back('\r');
      return !failed_;
    }
    if (*pos_ == '\n') {
      ++pos_;
      line.push_back('\n');
      return true;
    }
    line.push_back('\r');
  }
}

TextWriter::TextWriter(std::FILE* file, LineEnds line_ends)
    : file_(file), line_ends_(line_ends), buffer_(new char[kBlockSize]) {}

TextWriter::TextWriter(std::string* text, LineEnds line_ends)
    : text_(text), line_ends_(line_ends) {}

TextWriter::~TextWriter() { Flush(); }

void TextWriter::Write(std::string_view text) {
  if (line_ends_ == LineEnds::kLf) {
    Put(text.data(), text.size());
    return;
  }
  for (;;) {
    const std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos) {
      Put(text.data(), text.size());
      return;
    }
    Put(text.data(), lf);
    Put("\r\n", 2);
    text.remove_prefix(lf + 1);
  }
}

void TextWriter::Put(const char* data, std::size_t size) {
  if (text_ != nullptr) {
    text_->append(data, size);
    return;
  }
  while (size != 0) {
    if (used_ == kBlockSize) Drain();
    const std::size_t n = std::min(size, kBlockSize - used_);
    std::memcpy(buffer_.get() + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
  }
}

void TextWriter::Drain() {
  if (used_ != 0 && !failed_ &&
      std::fwrite(buffer_.get(), 1, used_, file_) != used_) {
    failed_ = true;
  }
  used_ = 0;
}

bool TextWriter::Flush() {
  if (file_ == nullptr) return true;
  Drain();
  if (std::fflush(file_) != 0 || std::ferror(file_)) failed_ = true;
  return !failed_;
}

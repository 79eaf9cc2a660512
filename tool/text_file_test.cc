#include "tool/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines ReadAll(TextReader& reader) {
  Lines lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  // The end stays the end, and leaves nothing behind in `line`.
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(reader.ReadLine(line));
  return lines;
}

// ------------------------------------------------------- reading in memory

struct ReadCase {
  const char* name;
  LineEnds line_ends;
  std::string input;
  Lines expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const std::string kLongLine(10000, 'x');

const ReadCase kReadCases[] = {
    // LF: bytes pass unchanged, a line ends after each LF.
    {"lf_lines_with_line_ends", LineEnds::kLf, "a\nb\n", {"a\n", "b\n"}},
    {"lf_last_line_without_line_end", LineEnds::kLf, "a\nb", {"a\n", "b"}},
    {"lf_empty_input", LineEnds::kLf, "", {}},
    {"lf_empty_lines", LineEnds::kLf, "\n\n", {"\n", "\n"}},
    {"lf_long_line_whole", LineEnds::kLf, kLongLine + "\ny",
     {kLongLine + "\n", "y"}},
    {"lf_nul_bytes_kept", LineEnds::kLf, std::string("a\0b\n\0", 5),
     {std::string("a\0b\n", 4), std::string("\0", 1)}},
    {"lf_cr_kept", LineEnds::kLf, "a\r\nb\r", {"a\r\n", "b\r"}},
    {"lf_end_of_file_mark_is_a_byte", LineEnds::kLf, "a\x1a" "b\n",
     {"a\x1a" "b\n"}},

    // CR LF: CR LF becomes a line end, a lone CR is a byte, 0x1A ends the
    // input.
    {"crlf_lines", LineEnds::kCrLf, "a\r\nb\r\n", {"a\n", "b\n"}},
    {"crlf_last_line_without_line_end", LineEnds::kCrLf, "a\r\nb",
     {"a\n", "b"}},
    {"crlf_empty_input", LineEnds::kCrLf, "", {}},
    {"crlf_lone_cr_kept", LineEnds::kCrLf, "a\rb\r\n", {"a\rb\n"}},
    {"crlf_cr_before_line_end", LineEnds::kCrLf, "\r\r\n", {"\r\n"}},
    {"crlf_cr_at_end", LineEnds::kCrLf, "a\r", {"a\r"}},
    {"crlf_bare_lf_ends_line", LineEnds::kCrLf, "a\nb\r\n", {"a\n", "b\n"}},
    {"crlf_long_line_whole", LineEnds::kCrLf, kLongLine + "\r\n",
     {kLongLine + "\n"}},
    {"crlf_nul_bytes_kept", LineEnds::kCrLf, std::string("a\0\r\n", 4),
     {std::string("a\0\n", 3)}},
    {"crlf_end_of_file_mark_ends_input", LineEnds::kCrLf,
     "a\r\nb\x1a" "c\r\nd\r\n", {"a\n", "b"}},
    {"crlf_end_of_file_mark_first", LineEnds::kCrLf, "\x1a" "abc\r\n", {}},
    {"crlf_end_of_file_mark_after_cr", LineEnds::kCrLf, "a\r\x1a\n",
     {"a\r"}},
    {"crlf_end_of_file_mark_after_line_end", LineEnds::kCrLf, "a\r\n\x1a",
     {"a\n"}},
};

class TextReaderTest : public testing::TestWithParam<ReadCase> {};

TEST_P(TextReaderTest, ReadsLinesFromMemory) {
  const ReadCase& c = GetParam();
  TextReader reader(std::string_view(c.input), c.line_ends);
  EXPECT_EQ(ReadAll(reader), c.expected);
  EXPECT_FALSE(reader.failed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextReaderTest, testing::ValuesIn(kReadCases),
    [](const testing::TestParamInfo<ReadCase>& info) {
      return std::string(info.param.name);
    });

// ------------------------------------------------------- writing in memory

struct WriteCase {
  const char* name;
  LineEnds line_ends;
  std::vector<std::string> writes;
  std::string expected;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWriteCases[] = {
    {"lf_unchanged", LineEnds::kLf, {"a\nb", "\r\n", "c\n"}, "a\nb\r\nc\n"},
    {"crlf_line_ends", LineEnds::kCrLf, {"a\nb\n"}, "a\r\nb\r\n"},
    {"crlf_across_writes", LineEnds::kCrLf, {"a", "\n", "\nb"},
     "a\r\n\r\nb"},
    // What the reader turned "\r\r\n" into goes back as it was.
    {"crlf_cr_before_line_end", LineEnds::kCrLf, {"\r\n"}, "\r\r\n"},
    {"crlf_nul_kept", LineEnds::kCrLf, {std::string("a\0\n", 3)},
     std::string("a\0\r\n", 4)},
    {"nothing", LineEnds::kCrLf, {"", ""}, ""},
};

class TextWriterTest : public testing::TestWithParam<WriteCase> {};

TEST_P(TextWriterTest, WritesLineEndsToMemory) {
  const WriteCase& c = GetParam();
  std::string text;
  TextWriter writer(&text, c.line_ends);
  for (const std::string& w : c.writes) writer.Write(w);
  EXPECT_TRUE(writer.Flush());
  EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextWriterTest, testing::ValuesIn(kWriteCases),
    [](const testing::TestParamInfo<WriteCase>& info) {
      return std::string(info.param.name);
    });

// ----------------------------------------------------------------- files

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A temporary file holding `bytes`, positioned at its start.
File TempFileWith(const std::string& bytes) {
  File file(std::tmpfile());
  if (file == nullptr) return file;
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.get()),
            bytes.size());
  std::rewind(file.get());
  return file;
}

// Files are read in blocks of 64 KiB.
constexpr std::size_t kBlock = 64 * 1024;

TEST(TextReaderFile, CrLfSplitAcrossBlocks) {
  // The CR is the last byte of the first block, its LF the first of the next;
  // a lone CR and a long line follow, and the file ends with a lone CR.
  const std::string first(kBlock - 1, 'a');
  const std::string second(kBlock, 'b');
  File file = TempFileWith(first + "\r\n" + "c\rd\r\n" + second + "\r\n" +
                           "\x1a" "ignored\r\n");
  ASSERT_NE(file, nullptr);
  TextReader reader(file.get(), LineEnds::kCrLf);
  EXPECT_EQ(ReadAll(reader), (Lines{first + "\n", "c\rd\n", second + "\n"}));
  EXPECT_FALSE(reader.failed());
}

TEST(TextReaderFile, LoneCrAtBlockEnd) {
  // The CR is the last byte of a block and of the file.
  const std::string line(kBlock - 1, 'a');
  File file = TempFileWith(line + "\r");
  ASSERT_NE(file, nullptr);
  TextReader reader(file.get(), LineEnds::kCrLf);
  EXPECT_EQ(ReadAll(reader), (Lines{line + "\r"}));
}

TEST(TextReaderFile, LfLinesAcrossBlocks) {
  const std::string first(kBlock + 10, 'a');
  const std::string second(2 * kBlock, 'b');
  File file = TempFileWith(first + "\n" + second + "\n" + "c");
  ASSERT_NE(file, nullptr);
  TextReader reader(file.get(), LineEnds::kLf);
  ASSERT_TRUE(reader.Prime());
  EXPECT_EQ(ReadAll(reader), (Lines{first + "\n", second + "\n", "c"}));
  EXPECT_FALSE(reader.failed());
}

TEST(TextReaderFile, DirectoryFailsToRead) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  File file(std::fopen(dir.string().c_str(), "rb"));
  if (file == nullptr) GTEST_SKIP() << "a directory can't be opened here";
  TextReader reader(file.get(), LineEnds::kLf);
  EXPECT_FALSE(reader.Prime());
  EXPECT_TRUE(reader.failed());
  std::string line;
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST(TextWriterFile, WritesMoreThanOneBlock) {
  File file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  const std::string line(kBlock - 1, 'a');  // its CR LF straddles a block
  {
    TextWriter writer(file.get(), LineEnds::kCrLf);
    writer.Write(line + "\n");
    writer.Write(line + "\n");
    EXPECT_TRUE(writer.Flush());
  }
  std::rewind(file.get());
  std::string back(4 * kBlock, '\0');
  back.resize(std::fread(back.data(), 1, back.size(), file.get()));
  EXPECT_EQ(back, line + "\r\n" + line + "\r\n");
}

TEST(TextWriterFile, ReportsFailedWrite) {
  File file(std::fopen("/dev/full", "wb"));
  if (file == nullptr) GTEST_SKIP() << "no /dev/full here";
  TextWriter writer(file.get(), LineEnds::kLf);
  writer.Write("0\n");
  EXPECT_FALSE(writer.Flush());
  // A later flush still reports it.
  EXPECT_FALSE(writer.Flush());
}

}  // namespace

#include "tool/same_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

struct SameFileCase {
  const char* name;
  const char* a;  // relative to a fresh folder, which is the working folder
  const char* b;
  bool same;
  bool needs_links = false;
};

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void PrintTo(const SameFileCase& c, std::ostream* os) { *os << c.name; }

// The folder holds the files x, y and sub/x, the folder sub, a hard link
// "hard" and a symbolic link "soft" to x, a symbolic link "subsoft" to sub,
// and a symbolic link "dangling" to "new". Nothing is named "new".
const SameFileCase kSameFileCases[] = {
    {"same_text", "x", "x", true},
    {"dot_folder", "./x", "x", true},
    {"through_sub_folder_and_up", "sub/../x", "x", true},
    {"redundant_separators", "sub//x", "sub/./x", true},
    {"hard_link", "hard", "x", true, true},
    {"symbolic_link", "soft", "x", true, true},
    {"through_linked_folder", "subsoft/x", "sub/x", true, true},
    // Creating a file through a link whose target is missing creates the
    // target: the link and the target's path name one file to be.
    {"dangling_link_and_its_target", "dangling", "new", true, true},
    {"dangling_link_and_other_missing_file", "dangling", "new2", false, true},
    {"different_files", "x", "y", false},
    {"same_name_in_other_folder", "sub/x", "x", false},
    {"missing_two_spellings", "./new", "new", true},
    {"missing_through_sub_folder_and_up", "sub/../new", "new", true},
    {"missing_folder_two_spellings", "nodir/new", "./nodir/../nodir/new",
     true},
    {"missing_and_existing", "new", "x", false},
    {"two_missing_files", "new", "new2", false},
    {"missing_in_other_folder", "sub/new", "new", false},
};

class SameFileTest : public testing::TestWithParam<SameFileCase> {
 protected:
  void SetUp() override {
    const auto tick =
        std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = fs::temp_directory_path() /
              ("vantrel_same_file_" + std::to_string(tick));
    fs::create_directories(folder_ / "sub");
    for (const char* name : {"x", "y", "sub/x"})
      std::ofstream(folder_ / name) << name << "\n";
    old_working_folder_ = fs::current_path();
    fs::current_path(folder_);

    std::error_code ec;
    fs::create_hard_link("x", "hard", ec);
    links_made_ = !ec;
    fs::create_symlink("x", "soft", ec);
    links_made_ = links_made_ && !ec;
    fs::create_directory_symlink("sub", "subsoft", ec);
    links_made_ = links_made_ && !ec;
    fs::create_symlink("new", "dangling", ec);
    links_made_ = links_made_ && !ec;
  }

  void TearDown() override {
    fs::current_path(old_working_folder_);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  fs::path folder_;
  fs::path old_working_folder_;
  bool links_made_ = false;
};

TEST_P(SameFileTest, TellsWhetherPathsNameOneFile) {
  const SameFileCase& c = GetParam();
  if (c.needs_links && !links_made_) GTEST_SKIP() << "links can't be made here";
  EXPECT_EQ(SameFile(c.a, c.b), c.same);
  EXPECT_EQ(SameFile(c.b, c.a), c.same);
  // Absolute and relative spellings of one path agree.
  const std::string absolute = Utf8(folder_ / c.a);
  EXPECT_EQ(SameFile(absolute.c_str(), c.b), c.same);
  // Asking creates nothing.
  EXPECT_FALSE(fs::exists("new"));
  EXPECT_FALSE(fs::exists("nodir"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SameFileTest, testing::ValuesIn(kSameFileCases),
    [](const testing::TestParamInfo<SameFileCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace

#include "tool/same_file.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace {

std::filesystem::path Utf8Path(const char* path) {
  const std::string text(path);
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// A symbolic link whose target doesn't exist yet stands for that target:
// creating a file through the link creates the target. weakly_canonical
// leaves such a link as it is, so it is followed here (a bounded number of
// times, in case links form a loop).
std::filesystem::path FollowDanglingLinks(std::filesystem::path path) {
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    const std::filesystem::file_status status =
        std::filesystem::symlink_status(path, ec);
    if (ec || !std::filesystem::is_symlink(status)) break;
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

// The normalised absolute form of `path`. weakly_canonical alone leaves a
// relative path relative when no part of it exists yet, so that "out.ldr"
// and "./out.ldr" would differ before the file is created: make it absolute
// first.
std::filesystem::path Normalised(const std::filesystem::path& path,
                                 std::error_code& ec) {
  const std::filesystem::path absolute =
      std::filesystem::absolute(FollowDanglingLinks(path), ec);
  if (ec) return {};
  return std::filesystem::weakly_canonical(absolute, ec);
}

}  // namespace

bool SameFile(const char* a, const char* b) {
  const std::filesystem::path path_a = Utf8Path(a);
  const std::filesystem::path path_b = Utf8Path(b);
  std::error_code ec;
  if (std::filesystem::equivalent(path_a, path_b, ec) && !ec) return true;
  // Two files that both exist and are not one file can't have one
  // normalised path either (that path would name one file); the common case,
  // an output that is there from an earlier run, is decided here.
  std::error_code exists_a, exists_b;
  if (!ec && std::filesystem::exists(path_a, exists_a) && !exists_a &&
      std::filesystem::exists(path_b, exists_b) && !exists_b)
    return false;
  std::error_code ec_a, ec_b;
  const std::filesystem::path norm_a = Normalised(path_a, ec_a);
  const std::filesystem::path norm_b = Normalised(path_b, ec_b);
  return !ec_a && !ec_b && norm_a == norm_b;
}

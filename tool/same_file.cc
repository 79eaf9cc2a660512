#include "tool/same_file.h"

#include <system_error>

namespace {

// The normalised absolute form of `path`. weakly_canonical alone leaves a
// relative path relative when no part of it exists yet, so that "out.ldr"
// and "./out.ldr" would differ before the file is created: make it absolute
// first.
std::filesystem::path Normalised(const std::filesystem::path& path,
                                 std::error_code& ec) {
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return {};
  return std::filesystem::weakly_canonical(absolute, ec);
}

}  // namespace

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
  std::error_code ec_a, ec_b;
  const std::filesystem::path norm_a = Normalised(a, ec_a);
  const std::filesystem::path norm_b = Normalised(b, ec_b);
  return !ec_a && !ec_b && norm_a == norm_b;
}

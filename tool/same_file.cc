#include "tool/same_file.h"

#include <system_error>

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
  std::error_code ec_a, ec_b;
  const std::filesystem::path norm_a = std::filesystem::weakly_canonical(a, ec_a);
  const std::filesystem::path norm_b = std::filesystem::weakly_canonical(b, ec_b);
  return !ec_a && !ec_b && norm_a == norm_b;
}

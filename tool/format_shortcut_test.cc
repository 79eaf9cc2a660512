// FormatFixed6 takes a shortcut for the common range of values; it must
// write what the formatter from every digit (FormatFixed6AllDigits) writes.
// The values are random in every binade the shortcut covers and a little
// beyond, values with few decimals as files hold them, the ends of the
// range, and values one ULP from the points where either rounding turns.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/splitmix64.h"
#include "tool/format.h"

namespace {

std::string Shortcut(double v) {
  char out[kFixed6BufferSize];
  return std::string(out, FormatFixed6(v, out));
}

std::string AllDigits(double v) {
  char out[kFixed6BufferSize];
  return std::string(out, FormatFixed6AllDigits(v, out));
}

std::vector<double> Values() {
  std::vector<double> values;
  auto add_around = [&values](double v) {
    double below = v, above = v;
    for (int i = 0; i < 3; ++i) {
      below = std::nextafter(below, -INFINITY);
      above = std::nextafter(above, INFINITY);
      values.push_back(below);
      values.push_back(above);
    }
    values.push_back(v);
  };
  // The ends of the shortcut's range.
  add_around(0x1p-16);
  add_around(0x1p39);
  // Where the second rounding turns: n + 0.5 millionths, and where the
  // first one carries: 0.99999950..., 999999.9999995, powers of ten.
  for (const double v : {0.0000005, 0.0000015, 0.0000195, 0.5000005, 1.0000095,
                         12.3456785, 999999.9999995, 0.9999995, 123456.7890125})
    add_around(v);
  for (int k = -5; k <= 12; ++k) add_around(std::pow(10.0, k));
  SplitMix64 random(7);
  for (int i = 0; i < 20000; ++i) {
    // Random bits in the binades from 2^-18 to 2^41.
    const std::uint64_t mantissa = random.Next() >> 12;
    const std::uint64_t exponent = 1023 - 18 + random.Next() % 60;
    values.push_back(std::bit_cast<double>((exponent << 52) | mantissa));
    // Decimals as files hold them: up to six places, or a few more.
    const double whole = static_cast<double>(random.Next() % 2000000) - 1000000;
    const double millionths = static_cast<double>(random.Next() % 1000000);
    values.push_back(whole + millionths / 1e6);
    values.push_back(static_cast<double>(random.Next() % 100000000000ULL) / 1e9);
  }
  return values;
}

TEST(FormatFixed6Shortcut, WritesWhatEveryDigitGives) {
  for (const double v : Values()) {
    for (const double signed_v : {v, -v}) {
      ASSERT_EQ(Shortcut(signed_v), AllDigits(signed_v))
          << std::hexfloat << signed_v;
    }
  }
}

}  // namespace

// ScanDouble reads the plain decimals that files hold by a shortcut; it
// must read every literal as std::from_chars does (after white space, which
// ScanDouble skips): the same value to the bit, and the same text.
// The literals are random in the forms around the shortcut's limits: digit
// counts up to 25, up to 25 decimals, leading zeros, a point without digits
// on one side, exponents, and integers near 2^53; and literals that any
// byte follows, with more text after it.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/splitmix64.h"
#include "tool/scan.h"

namespace {

std::string Digits(SplitMix64& random, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += static_cast<char>('0' + random.Next() % 10);
  return s;
}

std::vector<std::string> Literals() {
  std::vector<std::string> literals = {
      "0", "0.", ".0", ".", "00", "9007199254740992", "9007199254740993",
      "9007199254740992.5", "900719925474099.25", "18446744073709551615",
      "18446744073709551616", "1e5", "1.5e", "1.5E-3", "0.0000000000000000000001",
      "0.00000000000000000000001", "1234567890123456789", "12345678901234567890",
      "1.", "1.x", "2 24", "3.25abc", "7.000000\n"};
  SplitMix64 random(11);
  for (int i = 0; i < 20000; ++i) {
    const int whole = static_cast<int>(random.Next() % 20);
    const int decimals = static_cast<int>(random.Next() % 26);
    std::string s = std::string(random.Next() % 4 == 0 ? 2 : 0, '0') +
                    Digits(random, whole);
    if (decimals > 0 || random.Next() % 2 == 0) s += "." + Digits(random, decimals);
    switch (random.Next() % 8) {
      case 0:
        s += "e" + std::to_string(static_cast<int>(random.Next() % 40) - 20);
        break;
      case 1:
        s += " 1.5";
        break;
      case 2:
        s += static_cast<char>(random.Next() % 256);
        s += "987654321 2 24";
        break;
      default:
        break;
    }
    literals.push_back(s);
  }
  return literals;
}

TEST(ScanDoubleShortcut, ReadsAsFromChars) {
  for (const std::string& literal : Literals()) {
    // ScanDouble skips leading white space; std::from_chars doesn't.
    const std::size_t start =
        std::min(literal.find_first_not_of(" \t\n\v\f\r"), literal.size());
    double expected = -1;
    const std::from_chars_result r = std::from_chars(
        literal.data() + start, literal.data() + literal.size(), expected);
    std::string_view text = literal;
    double value = -1;
    const bool read = ScanDouble(text, value);
    if (r.ec == std::errc::invalid_argument) {
      EXPECT_FALSE(read) << literal;
      continue;
    }
    ASSERT_TRUE(read) << literal;
    EXPECT_EQ(text.data(), r.ptr) << literal;
    if (r.ec == std::errc{}) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(value),
                std::bit_cast<std::uint64_t>(expected))
          << literal;
    }
  }
}

}  // namespace

#include "tool/scan.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

// The white space of the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::size_t SkipSpace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i;
}

// Tells whether a number literal that doesn't fit a double is too large
// (true) or too small (false). `digits` is the literal without sign and
// without "0x", as the conversion read it. The literal's order of magnitude
// is the position of its first nonzero digit relative to the point plus its
// exponent, in decimal or in binary; it is positive exactly when the value
// is at least 1, and only values far from 1 are out of range.
bool IsTooLarge(std::string_view digits, bool hex) {
  const int bits_per_digit = hex ? 4 : 1;
  const char exponent_mark_lower = hex ? 'p' : 'e';
  long long position = 0;  // digits (hex: bits) before the point, from the
                           // first nonzero one; negative: zeros after it
  bool seen_nonzero = false;
  bool after_point = false;
  std::size_t i = 0;
  for (; i < digits.size(); ++i) {
    const char c = digits[i];
    if (c == '.') {
      after_point = true;
      continue;
    }
    if (!(hex ? IsHexDigit(c) : IsDigit(c))) break;
    if (!seen_nonzero && c != '0') {
      seen_nonzero = true;
      if (hex) {
        // Leading zero bits of the first nonzero hex digit.
        int v = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        int leading = 0;
        while (v < 8) {
          v <<= 1;
          ++leading;
        }
        position -= leading;
      }
    }
    if (seen_nonzero && !after_point) position += bits_per_digit;
    if (!seen_nonzero && after_point) position -= bits_per_digit;
  }
  long long exponent = 0;
  if (i < digits.size() && (digits[i] | 0x20) == exponent_mark_lower) {
    ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) {
      negative = digits[i] == '-';
      ++i;
    }
    // Saturate far beyond any position a literal in memory can have, so
    // that an exponent balancing millions of digits still counts in full;
    // an exponent beyond the bound is out of range whatever the digits.
    constexpr long long kExponentBound = 100000000000000000LL;  // 10^17
    for (; i < digits.size() && IsDigit(digits[i]); ++i) {
      if (exponent < kExponentBound)
        exponent = exponent * 10 + (digits[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return position + exponent > 0;
}

// 10^0 to 10^19: every one is a double exactly (up to 10^22 are).
constexpr double kExactPowersOf10[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
    1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

// The shortcut for the numbers that files hold nearly always: at most 19
// digits with an optional point among them, no exponent, and an integer of
// digits no larger than 2^53. Both that integer and the power of ten are
// doubles exactly, so their quotient, rounded once, is the value correctly
// rounded: what std::from_chars gives. Any other literal (an exponent, more
// digits, no digit at all) is left to std::from_chars.
bool ScanPlainDecimal(const char* first, const char* last, double& magnitude,
                      const char*& end) {
  // More than 19 digits can wrap `digits` (unsigned, so harmlessly), but
  // then the literal is left to std::from_chars.
  std::uint64_t digits = 0;
  const char* p = first;
  for (; p != last && IsDigit(*p); ++p)
    digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  std::ptrdiff_t count = p - first;
  std::ptrdiff_t decimals = 0;  // of the digits, those after the point
  if (p != last && *p == '.') {
    const char* point = p;
    for (++p; p != last && IsDigit(*p); ++p)
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    decimals = p - point - 1;
    count += decimals;
  }
  // At most 19 digits, so at most 19 decimals: 10^decimals is exact.
  if (count == 0 || count > 19 || digits > (std::uint64_t{1} << 53))
    return false;
  if (p != last && (*p | 0x20) == 'e') return false;
  magnitude = static_cast<double>(digits) / kExactPowersOf10[decimals];
  end = p;
  return true;
}

}  // namespace

bool ScanInt(std::string_view& text, int& value) {
  std::size_t i = SkipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t first_digit = i;
  // The magnitude stops growing once it is past every int, so it can't
  // overflow however many digits follow.
  constexpr long long kBeyondInt = 1LL << 32;
  long long magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (magnitude < kBeyondInt) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (i == first_digit) return false;
  const long long result = negative ? -magnitude : magnitude;
  if (result < std::numeric_limits<int>::min() ||
      result > std::numeric_limits<int>::max()) {
    return false;
  }
  value = static_cast<int>(result);
  text.remove_prefix(i);
  return true;
}

bool ScanColour(std::string_view& text) {
  std::size_t i = SkipSpace(text);
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (text.size() - i >= 3 && text[i] == '0' && (text[i + 1] | 0x20) == 'x' &&
      IsHexDigit(text[i + 2])) {
    i += 2;
    while (i < text.size() && IsHexDigit(text[i])) ++i;
  } else {
    const std::size_t first_digit = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == first_digit) return false;
  }
  text.remove_prefix(i);
  return true;
}

bool ScanDouble(std::string_view& text, double& value) {
  std::size_t i = SkipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // std::from_chars reads a sign-less literal (it would take one more '-').
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return false;

  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  double magnitude = 0.0;
  const char* end = nullptr;
  bool hex = false;
  // "0x" starts a hexadecimal literal only when a hex digit follows, directly
  // or after the point; otherwise the literal is just the "0".
  if (last - first >= 3 && first[0] == '0' && (first[1] | 0x20) == 'x' &&
      (IsHexDigit(first[2]) ||
       (first[2] == '.' && last - first >= 4 && IsHexDigit(first[3])))) {
    hex = true;
    first += 2;
  }
  if (!hex && ScanPlainDecimal(first, last, magnitude, end)) {
    value = negative ? -magnitude : magnitude;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
  }
  const std::from_chars_result r = std::from_chars(
      first, last, magnitude,
      hex ? std::chars_format::hex : std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) return false;
  end = r.ptr;
  if (r.ec == std::errc::result_out_of_range) {
    magnitude = IsTooLarge(std::string_view(first, end - first), hex)
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
  }
  value = negative ? -magnitude : magnitude;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

#include "tool/format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kSignificantDigits = 17;
constexpr int kDecimals = 6;

// An unsigned integer in base 10^9, least significant limb first, large
// enough for the exact digits of any double: m * 5^1074 (m < 2^53) has 767
// decimal digits, m * 2^971 has 309.
class BigDecimal {
 public:
  explicit BigDecimal(std::uint64_t value) {
    do {
      limbs_[size_++] = static_cast<std::uint32_t>(value % kBase);
      value /= kBase;
    } while (value != 0);
  }

  // this *= factor^count, with factor^step < 2^32 applied per pass.
  void MultiplyByPower(std::uint32_t factor, int count) {
    std::uint32_t chunk = 1;
    int chunk_count = 0;
    for (int i = 0; i < count; ++i) {
      chunk *= factor;
      if (++chunk_count == StepFor(factor) || i + 1 == count) {
        Multiply(chunk);
        chunk = 1;
        chunk_count = 0;
      }
    }
  }

  // Writes the decimal digits, most significant first, without leading
  // zeros; returns their count.
  int Digits(char* out) const {
    int n = 0;
    std::uint32_t top = limbs_[size_ - 1];
    char tmp[9];
    int t = 0;
    do {
      tmp[t++] = static_cast<char>('0' + top % 10);
      top /= 10;
    } while (top != 0);
    while (t > 0) out[n++] = tmp[--t];
    for (int i = size_ - 2; i >= 0; --i) {
      std::uint32_t limb = limbs_[i];
      for (int k = 8; k >= 0; --k) {
        out[n + k] = static_cast<char>('0' + limb % 10);
        limb /= 10;
      }
      n += 9;
    }
    return n;
  }

  static constexpr int kMaxDigits = 96 * 9;

 private:
  static constexpr std::uint32_t kBase = 1000000000;

  // Powers per pass: 2^29 and 5^13 are the largest below 2^31, so that
  // limb * chunk + carry stays below 2^64.
  static int StepFor(std::uint32_t factor) { return factor == 2 ? 29 : 13; }

  void Multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < size_; ++i) {
      const std::uint64_t v = std::uint64_t{limbs_[i]} * factor + carry;
      limbs_[i] = static_cast<std::uint32_t>(v % kBase);
      carry = v / kBase;
    }
    while (carry != 0) {
      limbs_[size_++] = static_cast<std::uint32_t>(carry % kBase);
      carry /= kBase;
    }
  }

  std::uint32_t limbs_[96] = {};
  int size_ = 0;
};

// Adds one unit to the last of `n` decimal digits; returns the carry out of
// the first.
bool IncrementDigits(char* digits, int n) {
  for (int i = n - 1; i >= 0; --i) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

#if defined(__SIZEOF_INT128__)
// The shortcut for values from 2^-16 to 2^39 (about 0.0000153 to 5.5e11),
// which are nearly all the coordinates of real files: the same two
// roundings in 64- and 128-bit integers, without a digit string.
//
// A positive double is m 2^-k with m < 2^53 and, in this range, 13 <= k
// <= 68. Its 18 leading digits, truncated, are T = floor(m 10^j / 2^k) for
// j = 18 - P, where 10^(P-1) <= value < 10^P, so 5 <= j <= 22 and m 10^j <
// 2^53 10^22 < 2^127: T is computed exactly. The first rounding keeps 17
// digits, R = T / 10 plus one when the 18th digit, T % 10, is 5 or more:
// the value rounded is R 10^(P-17). The second keeps six decimals, F = R
// 10^(P-11) in millionths, rounded up when the first digit dropped is 5 or
// more; with P <= 12, F < 10^19 fits 64 bits. These are the digits that
// FormatFixed6AllDigits writes, since it rounds the same digits the same
// way.
constexpr double kShortcutLow = 0x1p-16;
constexpr double kShortcutHigh = 0x1p39;

constexpr std::uint64_t kPowersOf10[] = {1ULL,
                                         10ULL,
                                         100ULL,
                                         1000ULL,
                                         10000ULL,
                                         100000ULL,
                                         1000000ULL,
                                         10000000ULL,
                                         100000000ULL,
                                         1000000000ULL,
                                         10000000000ULL,
                                         100000000000ULL,
                                         1000000000000ULL,
                                         10000000000000ULL,
                                         100000000000000ULL,
                                         1000000000000000ULL,
                                         10000000000000000ULL,
                                         100000000000000000ULL,
                                         1000000000000000000ULL,
                                         10000000000000000000ULL};

// "00", "01", ... "99".
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536"
    "37383940414243444546474849505152535455565758596061626364656667686970717273"
    "7475767778798081828384858687888990919293949596979899";

__extension__ typedef unsigned __int128 Uint128;

Uint128 PowerOf10(int n) {
  return n <= 19 ? kPowersOf10[n]
                 : static_cast<Uint128>(kPowersOf10[19]) * kPowersOf10[n - 19];
}

// Writes the digits of |value| (kShortcutLow <= |value| < kShortcutHigh)
// and returns their count.
std::size_t ShortcutDigits(double value, char* out) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) |
                          (std::uint64_t{1} << 52);
  const int e = static_cast<int>((bits >> 52) & 0x7ff) - 1075;  // value = m 2^e

  // m 2^e >= 2^(52 + e), so P >= P0 = floor((52 + e) log10 2) + 1, and
  // value < 2^(53 + e) <= 10^(P0 + 1), so P is P0 or P0 + 1. 78913 / 2^18
  // is log10 2 closely enough for these exponents.
  int p = ((52 + e) * 78913 >> 18) + 1;
  const Uint128 scaled = static_cast<Uint128>(m) * PowerOf10(18 - p);
  std::uint64_t t = static_cast<std::uint64_t>(scaled >> -e);
  if (t >= kPowersOf10[18]) {
    t /= 10;  // floor(floor(x) / 10) = floor(x / 10)
    ++p;
  }

  // First rounding: 17 digits, by the 18th.
  std::uint64_t r = t / 10 + (t % 10 >= 5 ? 1 : 0);
  // Second rounding: millionths, by the first digit dropped.
  std::uint64_t f;
  const int dropped = 11 - p;
  if (dropped <= 0) {
    f = r * kPowersOf10[-dropped];
  } else {
    const std::uint64_t kept = r / kPowersOf10[dropped - 1];
    f = kept / 10 + (kept % 10 >= 5 ? 1 : 0);
  }

  // The integer part without leading zeros (one zero when it is 0), the
  // point and six decimals, written from the last digit back, two at a
  // time.
  std::uint64_t whole = f / 1000000;
  std::uint64_t fraction = f % 1000000;
  std::size_t whole_digits = 1;
  while (whole_digits < 20 && whole >= kPowersOf10[whole_digits]) ++whole_digits;
  const std::size_t length = whole_digits + 7;
  char* end = out + length;
  for (int i = 0; i < 3; ++i) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (fraction % 100), 2);
    fraction /= 100;
  }
  *--end = '.';
  while (whole >= 10) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (whole % 100), 2);
    whole /= 100;
  }
  if (end != out) *--end = static_cast<char>('0' + whole);
  return length;
}
#endif

}  // namespace

std::size_t FormatFixed6AllDigits(double value, char* out) {
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return 3;
  }
  std::size_t length = 0;
  if (std::signbit(value) && value != 0.0) out[length++] = '-';
  if (std::isinf(value)) {
    std::memcpy(out + length, "inf", 3);
    return length + 3;
  }

  // The exact value as 0.D * 10^point, D a digit string without leading
  // zeros (empty for zero).
  char digits[BigDecimal::kMaxDigits];
  int count = 0;
  int point = 0;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = -1074;
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased - 1075;
  }
  if (mantissa != 0) {
    // Fewer factors of 5 to multiply in; the value is unchanged.
    const int shift = std::min(std::countr_zero(mantissa), std::max(-exponent, 0));
    mantissa >>= shift;
    exponent += shift;
    BigDecimal n(mantissa);
    int fraction_digits = 0;
    if (exponent >= 0) {
      n.MultiplyByPower(2, exponent);
    } else {
      // m * 2^-k = m * 5^k / 10^k.
      n.MultiplyByPower(5, -exponent);
      fraction_digits = -exponent;
    }
    count = n.Digits(digits);
    point = count - fraction_digits;
  }

  // First rounding: to 17 significant digits, by the 18th alone.
  if (count > kSignificantDigits) {
    const bool up = digits[kSignificantDigits] >= '5';
    count = kSignificantDigits;
    if (up && IncrementDigits(digits, count)) {
      digits[0] = '1';  // 99..9 became 100..0
      ++point;
    }
  }

  // Second rounding: the fixed digits from 10^(top-1) down to 10^-6, then
  // up by the digit at 10^-7 alone. Positions outside D hold 0.
  auto digit_at = [&](int index) {
    return index >= 0 && index < count ? digits[index] : '0';
  };
  const int integer_digits = std::max(point, 1);
  const int fixed_count = integer_digits + kDecimals;
  char fixed[BigDecimal::kMaxDigits + kDecimals + 1];
  const int first_index = point - integer_digits;  // index in D of fixed[0]
  for (int i = 0; i < fixed_count; ++i) fixed[i] = digit_at(first_index + i);
  if (digit_at(first_index + fixed_count) >= '5' &&
      IncrementDigits(fixed, fixed_count)) {
    out[length++] = '1';
  }
  for (int i = 0; i < integer_digits; ++i) out[length++] = fixed[i];
  out[length++] = '.';
  for (int i = integer_digits; i < fixed_count; ++i) out[length++] = fixed[i];
  return length;
}

std::size_t FormatFixed6(double value, char* out) {
#if defined(__SIZEOF_INT128__)
  const double magnitude = std::fabs(value);
  if (magnitude >= kShortcutLow && magnitude < kShortcutHigh) {
    std::size_t length = 0;
    if (value < 0) out[length++] = '-';
    return length + ShortcutDigits(magnitude, out + length);
  }
#endif
  return FormatFixed6AllDigits(value, out);
}

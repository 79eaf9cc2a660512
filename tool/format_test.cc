#include "tool/format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <ostream>
#include <string>

namespace {

struct FormatCase {
  const char* name;
  double value;
  std::string expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

std::string Zeros(int count) { return std::string(count, '0'); }

// Every expected text below was worked out from the exact binary value of the
// double (shown in the comment where it matters) with the two roundings done
// by hand: to 17 significant digits by the 18th digit alone, then to six
// decimals by the seventh decimal alone.
const FormatCase kFormatCases[] = {
    // Plain values.
    {"one", 1.0, "1.000000"},
    {"one_and_a_half", 1.5, "1.500000"},
    {"negative_two_and_a_quarter", -2.25, "-2.250000"},
    // 0.1 = 0.1000000000000000055511...: 17 digits 0.10000000000000001.
    {"one_tenth", 0.1, "0.100000"},
    // 123.456 = 123.4560000000000030695...
    {"more_than_six_digits_kept", 123.456, "123.456000"},

    // Zeros: no sign for either zero; a negative value that rounds to zero
    // keeps its minus sign.
    {"zero", 0.0, "0.000000"},
    {"negative_zero", -0.0, "0.000000"},
    // -1e-7 = -9.99999999999999954748e-8.
    {"negative_tiny", -1e-7, "-0.000000"},

    // Exact halves at the seventh decimal go away from zero.
    {"half_up_2_pow_minus_7", 0.0078125, "0.007813"},
    {"half_up_3_over_128", 0.0234375, "0.023438"},
    {"half_up_15_over_128", 0.1171875, "0.117188"},
    {"half_away_negative", -0.0078125, "-0.007813"},

    // Near 0.5e-6. 5e-7 = 4.99999999999999977374e-7: 17 digits
    // 4.9999999999999998e-7, seventh decimal 4.
    {"half_millionth_below", 5e-7, "0.000000"},
    {"half_millionth_below_negative", -5e-7, "-0.000000"},
    // The next double up, 5.00000000000000083253e-7.
    {"half_millionth_above", 0x1.0c6f7a0b5ed8ep-21, "0.000001"},
    // 1.5e-6 = 1.50000000000000003800e-6; 2.5e-6 = 2.50000000000000020451e-6.
    {"one_and_a_half_millionths", 1.5e-6, "0.000002"},
    {"two_and_a_half_millionths", 2.5e-6, "0.000003"},
    // 2^-20 = 9.5367431640625e-7 exactly.
    {"two_pow_minus_20", 0x1p-20, "0.000001"},

    // Exact halves in the 17-digit rounding go away from zero too.
    // 2^-25 = 2.98023223876953125e-8: 17 digits ...53125 -> ...5313.
    {"two_pow_minus_25", 0x1p-25, "0.000000"},
    {"two_pow_minus_25_negative", -0x1p-25, "-0.000000"},
    // 12345678901 + 1/128 = 12345678901.0078125 exactly: 18 digits, the last
    // a 5, so the 17-digit rounding gives 12345678901.007813.
    {"half_in_17_digit_rounding", 12345678901.0078125, "12345678901.007813"},
    // 123456789012 + 1/64 = 123456789012.015625 exactly: 17 digits
    // 123456789012.01563 (the 18th digit, a 5, rounds up), the sixth decimal
    // is beyond the 17th digit and prints as 0.
    {"half_in_17_digit_rounding_past_digits", 123456789012.015625,
     "123456789012.015630"},
    // 123456789012 + 1/128: 17 digits 123456789012.00781 (18th digit 2).
    {"digits_past_17_print_zero", 123456789012.0078125,
     "123456789012.007810"},

    // The two roundings differ from one correct rounding.
    // 1.95e-5 = 0.0000194999999999999996469...: 17 digits
    // 1.9500000000000000e-5 (18th digit 6), then the seventh decimal 5 rounds
    // up. A single rounding would give 0.000019.
    {"double_rounding_small", 1.95e-5, "0.000020"},
    // 1.0000095 = 1.00000949999999999562...: 17 digits 1.0000095000000000.
    {"double_rounding_near_one", 1.0000095, "1.000010"},
    // 999999.9999995 = 999999.999999499996192...: 17 digits
    // 999999.99999950000 (18th digit 9), then the carry runs through every
    // 9. A single rounding would give 999999.999999.
    {"double_rounding_carry_through_nines", 999999.9999995,
     "1000000.000000"},
    // 0.9999995 = 0.99999950000000004113...: the carry reaches the units.
    {"carry_into_units", 0.9999995, "1.000000"},
    // 1e98 = 9.99999999999999997690e97: its 18th digit is 7, so the 17-digit
    // rounding carries out of the first digit into 10^98.
    {"carry_out_of_17_digits", 1e98, "1" + Zeros(98) + ".000000"},

    // Integers near 2^53 print exactly; longer ones keep 17 digits.
    {"two_pow_53_minus_1", 9007199254740991.0, "9007199254740991.000000"},
    {"two_pow_53", 9007199254740992.0, "9007199254740992.000000"},
    {"two_pow_53_plus_2", 9007199254740994.0, "9007199254740994.000000"},
    // 2^60 = 1152921504606846976: 18th digit 7 rounds up.
    {"two_pow_60", 0x1p60, "1152921504606847000.000000"},
    // 1e23 = 99999999999999991611392.
    {"ten_pow_23", 1e23, "99999999999999992000000.000000"},
    // 1e300 = 1000000000000000052504760...: 18th digit 5 rounds up to
    // 10000000000000001, followed by 284 zeros: 301 integer digits.
    {"ten_pow_300", 1e300, "10000000000000001" + Zeros(284) + ".000000"},

    // The ends of the range.
    // The largest double = 17976931348623157081452742...: 309 digits.
    {"largest", std::numeric_limits<double>::max(),
     "17976931348623157" + Zeros(292) + ".000000"},
    {"largest_negative", -std::numeric_limits<double>::max(),
     "-17976931348623157" + Zeros(292) + ".000000"},
    {"smallest_normal", std::numeric_limits<double>::min(), "0.000000"},
    {"smallest_normal_negative", -std::numeric_limits<double>::min(),
     "-0.000000"},
    {"smallest_denormal", std::numeric_limits<double>::denorm_min(),
     "0.000000"},
    {"smallest_denormal_negative", -std::numeric_limits<double>::denorm_min(),
     "-0.000000"},

    // Values that are not numbers.
    {"infinity", std::numeric_limits<double>::infinity(), "inf"},
    {"negative_infinity", -std::numeric_limits<double>::infinity(), "-inf"},
    {"nan", std::numeric_limits<double>::quiet_NaN(), "nan"},
};

class FormatFixed6Test : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatFixed6Test, WritesExpectedText) {
  const FormatCase& c = GetParam();
  // Fill the buffer so that a byte written past the returned length, or a
  // length that stops short, shows.
  char out[kFixed6BufferSize];
  std::memset(out, '#', sizeof out);
  const std::size_t length = FormatFixed6(c.value, out);
  ASSERT_LE(length, kFixed6BufferSize);
  EXPECT_EQ(std::string(out, length), c.expected);
  if (length < kFixed6BufferSize) {
    EXPECT_EQ(out[length], '#');
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFixed6Test, testing::ValuesIn(kFormatCases),
    [](const testing::TestParamInfo<FormatCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace

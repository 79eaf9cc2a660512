#include "tool/scan.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kDenormMin = std::numeric_limits<double>::denorm_min();

std::string Zeros(int count) { return std::string(count, '0'); }

// ---------------------------------------------------------------- ScanInt

struct IntCase {
  const char* name;
  std::string input;
  bool ok;
  int value;         // when ok
  std::string rest;  // what is left; the whole input on failure
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

const IntCase kIntCases[] = {
    {"type_then_colour", "2 24", true, 2, " 24"},
    {"leading_spaces_and_tabs", " \t \t3 x", true, 3, " x"},
    {"every_c_white_space", " \t\n\v\f\r7", true, 7, ""},
    {"plus_sign", "+5", true, 5, ""},
    {"minus_sign", "-17x", true, -17, "x"},
    {"minus_zero", "-0", true, 0, ""},
    {"leading_zeros", "007", true, 7, ""},
    {"stops_at_point", "1.5", true, 1, ".5"},
    {"stops_at_x", "0x10", true, 0, "x10"},
    {"largest_int", "2147483647 ", true, INT_MAX, " "},
    {"smallest_int", "-2147483648", true, INT_MIN, ""},
    {"one_past_largest", "2147483648", false, 0, "2147483648"},
    {"one_past_smallest", "-2147483649", false, 0, "-2147483649"},
    {"eleven_digits", "99999999999", false, 0, "99999999999"},
    {"two_pow_32", "4294967296", false, 0, "4294967296"},
    {"thirty_digits", " 123456789012345678901234567890", false, 0,
     " 123456789012345678901234567890"},
    {"empty", "", false, 0, ""},
    {"only_spaces", "   ", false, 0, "   "},
    {"text", "  abc", false, 0, "  abc"},
    {"sign_alone", "-", false, 0, "-"},
    {"space_after_sign", "+ 1", false, 0, "+ 1"},
    {"two_signs", "--1", false, 0, "--1"},
    {"point_first", ".5", false, 0, ".5"},
};

class ScanIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ScanIntTest, ReadsLikePercentD) {
  const IntCase& c = GetParam();
  std::string_view text = c.input;
  int value = 12345;
  ASSERT_EQ(ScanInt(text, value), c.ok);
  EXPECT_EQ(value, c.ok ? c.value : 12345);  // untouched on failure
  EXPECT_EQ(text, c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanIntTest, testing::ValuesIn(kIntCases),
    [](const testing::TestParamInfo<IntCase>& info) {
      return std::string(info.param.name);
    });

// ------------------------------------------------------------- ScanColour

struct ColourCase {
  const char* name;
  std::string input;
  bool ok;
  std::string rest;
};

void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

const ColourCase kColourCases[] = {
    {"decimal", "16 0 0", true, " 0 0"},
    {"after_tab", "\t24", true, ""},
    {"negative", "-1 x", true, " x"},
    {"decimal_larger_than_any_int", "99999999999999999999999 1", true, " 1"},
    {"direct_colour", "0x2FF0000 1", true, " 1"},
    {"direct_colour_capital_x", "0X2ff00AA 1", true, " 1"},
    {"hex_stops_at_non_hex", "0x1fG", true, "G"},
    {"hex_prefix_without_digit", "0x", true, "x"},
    {"hex_prefix_then_space", "0x 1", true, "x 1"},
    {"hex_prefix_then_non_hex", "0xg", true, "xg"},
    {"decimal_stops_at_point", "1.5", true, ".5"},
    {"empty", "", false, ""},
    {"text", " x", false, " x"},
    {"sign_alone", "- 1", false, "- 1"},
};

class ScanColourTest : public testing::TestWithParam<ColourCase> {};

TEST_P(ScanColourTest, ReadsDecimalOrDirectColour) {
  const ColourCase& c = GetParam();
  std::string_view text = c.input;
  ASSERT_EQ(ScanColour(text), c.ok);
  EXPECT_EQ(text, c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanColourTest, testing::ValuesIn(kColourCases),
    [](const testing::TestParamInfo<ColourCase>& info) {
      return std::string(info.param.name);
    });

// ------------------------------------------------------------- ScanDouble

struct DoubleCase {
  const char* name;
  std::string input;
  bool ok;
  double value;  // when ok; compared bit for bit (NaN: any NaN)
  std::string rest;
};

void PrintTo(const DoubleCase& c, std::ostream* os) { *os << c.name; }

// The largest double is 2^1024 - 2^971. Halfway to 2^1024, where a correctly
// rounded read goes to the even neighbour 2^1024, i.e. overflows:
// 2^1024 - 2^970 =
const std::string kHalfPastLargest =
    "17976931348623158079372897140530341507993413271003782693617377898044496"
    "82927647509466490179775872070963302864166928879109465555478519404026306"
    "57488671505820681908902000708383676273854845817711531764475730270069855"
    "57136695962284291481986083493647529271907416844436551070434271155969950"
    "8093042880177904174497792";
// The same less one: the largest double.
const std::string kJustBelowHalfPastLargest =
    kHalfPastLargest.substr(0, kHalfPastLargest.size() - 1) + "1";

const DoubleCase kDoubleCases[] = {
    // Decimal forms.
    {"integer", "1", true, 1.0, ""},
    {"trailing_point", "1.", true, 1.0, ""},
    {"leading_point", ".5", true, 0.5, ""},
    {"negative_zero", "-0", true, -0.0, ""},
    {"signed_exponent", "+1e3", true, 1000.0, ""},
    {"capital_exponent", "1E-2 ", true, 0.01, " "},
    {"white_space_then_field", " \t-2.5e-1 rest", true, -0.25, " rest"},
    {"one_tenth", "0.1", true, 0.1, ""},
    {"many_leading_zeros", Zeros(500) + "1.5", true, 1.5, ""},
    // The longest number strtod reads at that point.
    {"exponent_without_digits", "1e", true, 1.0, "e"},
    {"exponent_sign_without_digits", "1e+", true, 1.0, "e+"},
    {"exponent_then_text", "2e+x", true, 2.0, "e+x"},
    {"decimal_comma_is_text", "1,5", true, 1.0, ",5"},
    {"second_point_is_text", "1.5.2", true, 1.5, ".2"},

    // Hexadecimal forms.
    {"hex", "0x1.8p1", true, 3.0, ""},
    {"hex_capital", "0X1P-2", true, 0.25, ""},
    {"hex_negative", "-0x1.8p1", true, -3.0, ""},
    {"hex_fraction_only", "0x.8", true, 0.5, ""},
    {"hex_without_exponent", "0xff ", true, 255.0, " "},
    {"hex_exponent_without_digits", "0x1p", true, 1.0, "p"},
    {"hex_prefix_alone", "0x", true, 0.0, "x"},
    {"hex_prefix_then_point", "0x.p1", true, 0.0, "x.p1"},
    {"hex_prefix_then_text", "0xg", true, 0.0, "xg"},
    {"hex_largest", "0x1.fffffffffffffp1023", true, kMax, ""},
    {"hex_smallest_denormal", "0x1p-1074", true, kDenormMin, ""},
    // 2^-1075 is halfway between 0 and 2^-1074: ties go to the even 0.
    {"hex_half_smallest_denormal", "0x1p-1075", true, 0.0, ""},
    {"hex_above_half_smallest_denormal", "0x1.8p-1075", true, kDenormMin, ""},
    {"hex_too_large", "0x1p1024", true, kInf, ""},

    // Infinities and NaN.
    {"inf", "inf", true, kInf, ""},
    {"inf_capitals", "INF x", true, kInf, " x"},
    {"negative_infinity", "-infinity", true, -kInf, ""},
    {"inf_then_text", "infinit", true, kInf, "init"},
    {"nan", "nan", true, std::numeric_limits<double>::quiet_NaN(), ""},
    {"nan_with_payload", "nan(abc)", true,
     std::numeric_limits<double>::quiet_NaN(), ""},
    {"nan_unclosed_payload", "nan(abc", true,
     std::numeric_limits<double>::quiet_NaN(), "(abc"},

    // Out of range: an infinity or a zero of the literal's sign.
    {"overflow", "1e999", true, kInf, ""},
    {"overflow_negative", "-1e999", true, -kInf, ""},
    {"overflow_long_integer", "1" + Zeros(400), true, kInf, ""},
    {"overflow_huge_exponent", "1e99999999999999999999", true, kInf, ""},
    {"underflow", "1e-400", true, 0.0, ""},
    {"underflow_negative", "-1e-400", true, -0.0, ""},
    {"underflow_long_fraction", "0." + Zeros(399) + "1", true, 0.0, ""},
    {"underflow_large_mantissa", "100e-330", true, 0.0, ""},

    // Correct rounding.
    {"smallest_denormal", "4.9406564584124654e-324", true, kDenormMin, ""},
    // Half of the smallest denormal is 2.47032822920623272088...e-324.
    {"just_below_half_smallest_denormal", "2.4703282292062327e-324", true, 0.0,
     ""},
    {"just_above_half_smallest_denormal", "2.4703282292062328e-324", true,
     kDenormMin, ""},
    // 1e-320 = 2024 * 2^-1074 (the nearest multiple of 2^-1074).
    {"denormal", "1e-320", true, 0x7e8p-1074, ""},
    {"largest_denormal", "2.2250738585072011e-308", true,
     0x0.fffffffffffffp-1022, ""},
    {"largest", "1.7976931348623157e308", true, kMax, ""},
    {"just_below_half_past_largest", kJustBelowHalfPastLargest, true, kMax,
     ""},
    {"half_past_largest", kHalfPastLargest, true, kInf, ""},
    // 2^53 + 1 lies halfway between 2^53 and 2^53 + 2: ties to even.
    {"halfway_to_even_below", "9007199254740993", true, 9007199254740992.0,
     ""},
    {"halfway_to_even_above", "9007199254740995", true, 9007199254740996.0,
     ""},
    {"just_above_halfway", "9007199254740993.0000000001", true,
     9007199254740994.0, ""},
    // 1000 significant digits: only the last one tells the halfway case
    // from one just above it.
    {"thousand_digits_halfway", "9007199254740993" + Zeros(984) + "e-984", true,
     9007199254740992.0, ""},
    {"thousand_digits_above_halfway",
     "9007199254740993" + Zeros(983) + "1e-984", true, 9007199254740994.0, ""},
    {"thousand_digit_fraction", "9007199254740993." + Zeros(983) + "1 ", true,
     9007199254740994.0, " "},

    // Failures leave the text as it was.
    {"empty", "", false, 0.0, ""},
    {"only_spaces", "  ", false, 0.0, "  "},
    {"point_alone", " .", false, 0.0, " ."},
    {"exponent_alone", "e5", false, 0.0, "e5"},
    {"sign_alone", "-", false, 0.0, "-"},
    {"space_after_sign", "- 1", false, 0.0, "- 1"},
    {"two_minus_signs", "--1", false, 0.0, "--1"},
    {"plus_then_minus", "+-1", false, 0.0, "+-1"},
    {"minus_then_plus", "-+1", false, 0.0, "-+1"},
    {"text", "x1", false, 0.0, "x1"},
    {"partial_inf", "in", false, 0.0, "in"},
};

class ScanDoubleTest : public testing::TestWithParam<DoubleCase> {};

TEST_P(ScanDoubleTest, ReadsLikeStrtod) {
  const DoubleCase& c = GetParam();
  std::string_view text = c.input;
  double value = 12345.0;
  ASSERT_EQ(ScanDouble(text, value), c.ok);
  EXPECT_EQ(text, c.rest);
  if (!c.ok) {
    EXPECT_EQ(value, 12345.0);
  } else if (std::isnan(c.value)) {
    EXPECT_TRUE(std::isnan(value)) << value;
  } else {
    // Bit for bit, so that the sign of a zero counts.
    EXPECT_EQ(std::bit_cast<std::uint64_t>(value),
              std::bit_cast<std::uint64_t>(c.value))
        << "read " << value << ", expected " << c.value;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanDoubleTest, testing::ValuesIn(kDoubleCases),
    [](const testing::TestParamInfo<DoubleCase>& info) {
      return std::string(info.param.name);
    });

// Ten million digits balanced by an eight-digit exponent, so that only the
// whole exponent tells whether the value is in range. Built here rather than
// in the table above, which every test process would build.
TEST(ScanDouble, ExponentBalancingMillionsOfDigits) {
  const struct {
    const char* name;
    std::string input;
    double value;
  } cases[] = {
      // 10^10000000 * 10^-10000400 = 1e-400 underflows.
      {"underflow", "1" + Zeros(10000000) + "e-10000400", 0.0},
      // 10^-10000001 * 10^10000400 = 1e399 overflows.
      {"overflow", "0." + Zeros(10000000) + "1e10000400", kInf},
      // 10^10000000 * 10^-9999999 = 10.
      {"in_range", "1" + Zeros(10000000) + "e-9999999", 10.0},
      // 16^2600000 * 2^-10401100 = 2^-1100 underflows.
      {"hex_underflow", "0x1" + Zeros(2600000) + "p-10401100", 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string_view text = c.input;
    double value = 12345.0;
    ASSERT_TRUE(ScanDouble(text, value));
    EXPECT_EQ(text, "");
    EXPECT_EQ(std::bit_cast<std::uint64_t>(value),
              std::bit_cast<std::uint64_t>(c.value))
        << "read " << value << ", expected " << c.value;
  }
}

}  // namespace

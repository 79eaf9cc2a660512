// Fuzz target: the six-decimal formatter against a slow exact computation.
//
// The first byte chooses how the rest becomes a double:
//  0: its 8 bytes are the bits (every double: NaN, infinities, subnormals,
//     the largest values);
//  1: a 53-bit integer times 2^-j, j in [0, 79]: few significant bits, so
//     exact halves at the seventh decimal (0.0078125 and the like) and
//     integers of every size;
//  2: (k + 0.5) / 10^6 for a 32-bit k, moved by up to three units in the
//     last place: the values closest to a tie at the seventh decimal.
//
// The expected text is computed here without the formatter's code: the exact
// decimal expansion of the double comes from std::to_chars in fixed notation
// with 1074 decimals (every double's expansion ends by then, so this is
// exact), and the two roundings are done on that digit string: to 17
// significant digits by the 18th digit alone, with the digits after the 17th
// set to 0, then to six decimals by the seventh alone; 5 to 9 round up,
// carrying as far as needed. A value below zero keeps its sign, even when it
// prints as zero; a zero of either sign prints none.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include "tool/format.h"

namespace {

void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

// Adds 1 to the digit at `index` of the ASCII digit string, carrying left.
// The string starts with a '0' that absorbs a final carry.
void RoundUpAt(std::string& digits, std::size_t index) {
  for (std::size_t i = index + 1; i-- > 0;) {
    if (digits[i] == '9') {
      digits[i] = '0';
      continue;
    }
    ++digits[i];
    return;
  }
  Fail("carry out of the guard digit");
}

std::string Expected(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

  // Exact expansion of |value|: integer digits, '.', 1074 decimals.
  constexpr int kAllDecimals = 1074;
  char buffer[400 + kAllDecimals];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                    std::chars_format::fixed, kAllDecimals);
  if (r.ec != std::errc()) Fail("to_chars failed");
  const std::string expansion(buffer, r.ptr);
  const std::size_t point = expansion.find('.');
  if (point == std::string::npos ||
      expansion.size() - point - 1 != static_cast<std::size_t>(kAllDecimals))
    Fail("unexpected expansion " + expansion);

  // One digit string with a guard '0' in front; `integers` digits (guard
  // included) stand before the point.
  std::string digits = "0" + expansion.substr(0, point) +
                       expansion.substr(point + 1);
  const std::size_t integers = point + 1;

  // First rounding: 17 significant digits.
  const std::size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos) {
    const std::size_t last_kept = first + 16;
    const bool up = digits[last_kept + 1] >= '5';
    for (std::size_t i = last_kept + 1; i < digits.size(); ++i) digits[i] = '0';
    if (up) RoundUpAt(digits, last_kept);
  }

  // Second rounding: six decimals.
  const std::size_t sixth = integers + 5;
  const bool up = digits[sixth + 1] >= '5';
  digits.resize(sixth + 1);
  if (up) RoundUpAt(digits, sixth);

  std::string integer_part = digits.substr(0, integers);
  integer_part.erase(0, std::min(integer_part.find_first_not_of('0'),
                                 integer_part.size() - 1));
  std::string text = integer_part + "." + digits.substr(integers);
  if (value < 0) text = "-" + text;
  return text;
}

double Decode(const std::uint8_t* data, std::size_t size) {
  std::uint8_t bytes[10] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  std::uint64_t bits = 0;
  std::memcpy(&bits, bytes + 1, sizeof bits);
  switch (bytes[0] % 3) {
    case 0: {
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case 1: {
      const std::int64_t mantissa =
          static_cast<std::int64_t>(bits << 10) >> 10;  // 54 bits, signed
      return std::ldexp(static_cast<double>(mantissa), -(bytes[9] % 80));
    }
    default: {
      const std::int32_t k = static_cast<std::int32_t>(bits);
      double value = (static_cast<double>(k) + 0.5) / 1e6;
      const int steps = static_cast<int>(bytes[9] % 7) - 3;
      for (int i = 0; i < steps; ++i)
        value = std::nextafter(value, std::numeric_limits<double>::infinity());
      for (int i = 0; i > steps; --i)
        value = std::nextafter(value, -std::numeric_limits<double>::infinity());
      return value;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const double value = Decode(data, size);
  // Exactly the documented room, on the heap, so that writing past it is
  // caught by AddressSanitizer.
  const std::unique_ptr<char[]> out(new char[kFixed6BufferSize]);
  const std::size_t length = FormatFixed6(value, out.get());
  if (length > kFixed6BufferSize) Fail("longer than kFixed6BufferSize");
  const std::string got(out.get(), length);
  const std::string expected = Expected(value);
  if (got != expected) {
    char hex[64];
    std::snprintf(hex, sizeof hex, "%a", value);
    Fail(std::string("value ") + hex + ": got " + got + ", expected " +
         expected);
  }
  return 0;
}

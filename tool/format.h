#ifndef VANTREL_TOOL_FORMAT_H_
#define VANTREL_TOOL_FORMAT_H_

#include <cstddef>

/// Room for any output of FormatFixed6: a sign, the 309 integer digits of
/// the largest double, the point and six decimals.
inline constexpr std::size_t kFixed6BufferSize = 320;

/// Writes `value` in fixed notation with six decimals, the text of C's "%f",
/// to `out` (no terminating NUL) and returns its length.
///
/// The digits come from two roundings of the exact value, each deciding by
/// the first dropped digit alone (0-4 down, 5-9 up, so halves go away from
/// zero): first to 17 significant digits, then that digit string to six
/// decimals. Digits beyond the 17th significant one print as 0. A negative
/// value keeps its sign even when it prints as zero; a zero of either sign
/// prints without one. Infinities and NaN print as "inf", "-inf" and "nan".
/// The same bits give the same text on every platform.
std::size_t FormatFixed6(double value, char* out);

/// The same text, always from every decimal digit of the value, computed
/// with big integers. FormatFixed6 takes a shortcut for the common range
/// and must give what this gives.
std::size_t FormatFixed6AllDigits(double value, char* out);

#endif  // VANTREL_TOOL_FORMAT_H_

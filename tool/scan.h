#ifndef VANTREL_TOOL_SCAN_H_
#define VANTREL_TOOL_SCAN_H_

#include <string_view>

// Field scanners for LDraw records, with the meaning of C's "%d" and "%lf"
// conversions in the "C" locale but exact and locale-free everywhere.
// Each one skips leading white space, reads the longest number at that point,
// and on success removes what it read from the front of `text`. On failure
// `text` is left as it was.

/// A decimal integer that fits in an int: optional sign, then digits.
bool ScanInt(std::string_view& text, int& value);

/// An LDraw colour: a decimal integer of any size, or "0x"/"0X" followed by
/// hexadecimal digits (a direct colour). The value is not needed.
bool ScanColour(std::string_view& text);

/// A floating-point number as C's strtod reads it: decimal with optional
/// fraction and exponent, "0x" hexadecimal with optional "p" exponent, "inf",
/// "infinity", "nan" and "nan(...)", each with an optional sign. The value is
/// correctly rounded; a literal too large for a double gives an infinity, one
/// too small a zero of its sign.
bool ScanDouble(std::string_view& text, double& value);

#endif  // VANTREL_TOOL_SCAN_H_

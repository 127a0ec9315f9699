#pragma once

#include "Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

// The framework's text functions. Positions and counts are in characters
// (UTF-8 code points), counted from 1.

// Plain decimal digits, "-" before a negative number, "0" for zero. A Double
// with a fraction keeps up to seven significant digits ("3.7", "0.5").
std::string Str(int32_t value);
std::string Str(double value);
// A String comes back unchanged; numbers as above; Boolean "True"/"False".
std::string Str(const Variant& value);

// The number that the leading part of `text` spells, after leading blanks:
// an optional sign, digits, an optional fraction and exponent ("12abc" 12,
// "1e3" 1000), or "&h", "&o" or "&b" and the digits of that base as far as
// they go ("&hFF" 255, "&b102" 2, "&o9" 0). 0 when the text does not start
// with a number.
double Val(std::string_view text);

// Whole part of `value`, truncated towards zero and saturated to the Int32
// range; NaN gives 0.
int32_t ToInt32(double value);

std::string Mid(std::string_view text, int64_t start);
std::string Mid(std::string_view text, int64_t start, int64_t count);
// Position of the first `find` in `text` at or after `start` (0 and 1 both
// mean from the beginning); 0 when absent or `find` is empty.
int64_t InStr(int64_t start, std::string_view text, std::string_view find);
int64_t InStr(std::string_view text, std::string_view find);
// Field `n` of `text` split at `separator`, counted from 1; "" past the last
// field or for n < 1.
std::string NthField(std::string_view text, std::string_view separator, int64_t n);
std::string Lowercase(std::string_view text);
// The character of code point `code` as UTF-8.
std::string Chr(uint32_t code);
int64_t Len(std::string_view text);

// `text` as it can stand in a one-line message: printable ASCII and
// well-formed UTF-8 as they are, quotes and backslashes escaped, and every
// control character and byte that is not UTF-8 in C's escapes, so that a
// stray newline cannot break the line and a terminal's control sequence
// cannot act.
std::string EscapedForMessage(std::string_view text);

// The framework's text equality: case is ignored.
bool TextEquals(std::string_view a, std::string_view b);

}

#include "Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace fw {

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length in bytes of the character that starts at `pos`. A byte that does
// not start a well-formed UTF-8 sequence is a character of its own, so text
// that is not valid UTF-8 still counts and slices without losing a byte.
size_t CharLength(std::string_view text, size_t pos)
{
    auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = at(pos);
    size_t remaining = text.size() - pos;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return remaining >= 2 && IsContinuation(at(pos + 1)) ? 2 : 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (remaining < 3 || !IsContinuation(at(pos + 1)) || !IsContinuation(at(pos + 2)))
            return 1;
        if ((lead == 0xE0 && at(pos + 1) < 0xA0) || (lead == 0xED && at(pos + 1) > 0x9F))
            return 1; // overlong form or surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (remaining < 4 || !IsContinuation(at(pos + 1)) || !IsContinuation(at(pos + 2)) || !IsContinuation(at(pos + 3)))
            return 1;
        if ((lead == 0xF0 && at(pos + 1) < 0x90) || (lead == 0xF4 && at(pos + 1) > 0x8F))
            return 1; // overlong form or beyond U+10FFFF
        return 4;
    }
    return 1;
}

// The code point of a well-formed character of `length` bytes.
uint32_t Decode(std::string_view text, size_t pos, size_t length)
{
    auto at = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(text[pos + i])); };
    switch (length) {
    case 2:
        return ((at(0) & 0x1F) << 6) | (at(1) & 0x3F);
    case 3:
        return ((at(0) & 0x0F) << 12) | ((at(1) & 0x3F) << 6) | (at(2) & 0x3F);
    case 4:
        return ((at(0) & 0x07) << 18) | ((at(1) & 0x3F) << 12) | ((at(2) & 0x3F) << 6) | (at(3) & 0x3F);
    default:
        return at(0);
    }
}

// The byte offset of character `index` (counted from 0), or text.size()
// when the text has no more characters than that.
size_t ByteOffset(std::string_view text, int64_t index)
{
    size_t pos = 0;
    for (int64_t i = 0; i < index && pos < text.size(); ++i)
        pos += CharLength(text, pos);
    return pos;
}

int64_t CharCount(std::string_view text, size_t end)
{
    int64_t count = 0;
    for (size_t pos = 0; pos < end; pos += CharLength(text, pos))
        ++count;
    return count;
}

// The byte offset of the first `find` at a character boundary at or after
// byte `from`, or npos.
size_t FindAtBoundary(std::string_view text, std::string_view find, size_t from)
{
    for (size_t pos = from; pos + find.size() <= text.size(); pos += CharLength(text, pos)) {
        if (text.compare(pos, find.size(), find) == 0)
            return pos;
    }
    return std::string_view::npos;
}

uint32_t LowerCodePoint(uint32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c >= 0x100 && c <= 0x137 && c != 0x130)
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177)
        return c | 1;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 0x20;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 0x3F;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    return c;
}

void AppendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "&h", "&o" and "&b" numbers: the digits of the base that follow, as far as
// they go.
double ValRadix(std::string_view digits, int radix)
{
    double value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        if (digit >= radix)
            break;
        value = value * radix + digit;
    }
    return value;
}

}

std::string Str(int32_t value)
{
    return std::to_string(value);
}

std::string Str(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0"; // also for -0
    char buffer[64];
    double magnitude = std::fabs(value);
    // Whole numbers, and numbers too large for seven digits to show their
    // whole part, are written out in plain digits without an exponent.
    if (magnitude < 1e16 && (value == std::trunc(value) || magnitude >= 1e7))
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.7g", value);
    std::string text = buffer;
    return text == "-0" ? "0" : text;
}

std::string Str(const Variant& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "True" : "False";
    if (const auto* number = std::get_if<int32_t>(&value))
        return Str(*number);
    if (const auto* number = std::get_if<double>(&value))
        return Str(*number);
    if (const auto* number = std::get_if<float>(&value))
        return Str(static_cast<double>(*number));
    return "";
}

double Val(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    auto sign = [negative](double v) { return negative ? -v : v; };

    if (pos + 1 < text.size() && text[pos] == '&') {
        char kind = static_cast<char>(text[pos + 1] | 0x20);
        std::string_view digits = text.substr(pos + 2);
        if (kind == 'h')
            return sign(ValRadix(digits, 16));
        if (kind == 'o')
            return sign(ValRadix(digits, 8));
        if (kind == 'b')
            return sign(ValRadix(digits, 2));
        return 0;
    }

    size_t start = pos;
    size_t digitCount = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
        ++digitCount;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            ++pos;
            ++digitCount;
        }
    }
    if (digitCount == 0)
        return 0;
    // An exponent counts only when digits follow it: "2e" is 2, "2e+" is 2.
    bool negativeExponent = false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            negativeExponent = text[exponent] == '-';
            ++exponent;
        }
        if (exponent < text.size() && IsDigit(text[exponent])) {
            pos = exponent;
            while (pos < text.size() && IsDigit(text[pos]))
                ++pos;
        }
    }

    // from_chars rather than strtod: the latter follows the process locale,
    // which a desktop toolkit may have set to one with a decimal comma.
    double value = 0;
    auto [end, error] = std::from_chars(text.data() + start, text.data() + pos, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range)
        value = negativeExponent ? 0 : std::numeric_limits<double>::infinity();
    else if (error != std::errc {})
        value = 0;
    return sign(value);
}

int32_t ToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

std::string Mid(std::string_view text, int64_t start)
{
    if (start < 1)
        start = 1;
    return std::string(text.substr(ByteOffset(text, start - 1)));
}

std::string Mid(std::string_view text, int64_t start, int64_t count)
{
    if (start < 1)
        start = 1;
    if (count <= 0)
        return "";
    size_t from = ByteOffset(text, start - 1);
    std::string_view rest = text.substr(from);
    return std::string(rest.substr(0, ByteOffset(rest, count)));
}

int64_t InStr(int64_t start, std::string_view text, std::string_view find)
{
    if (find.empty())
        return 0;
    if (start < 1)
        start = 1;
    size_t from = ByteOffset(text, start - 1);
    size_t found = FindAtBoundary(text, find, from);
    if (found == std::string_view::npos)
        return 0;
    return CharCount(text, found) + 1;
}

int64_t InStr(std::string_view text, std::string_view find)
{
    return InStr(1, text, find);
}

std::string NthField(std::string_view text, std::string_view separator, int64_t n)
{
    if (n < 1)
        return "";
    if (separator.empty())
        return n == 1 ? std::string(text) : "";
    size_t begin = 0;
    for (int64_t field = 1; field < n; ++field) {
        size_t found = FindAtBoundary(text, separator, begin);
        if (found == std::string_view::npos)
            return "";
        begin = found + separator.size();
    }
    size_t end = FindAtBoundary(text, separator, begin);
    return std::string(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

std::string Lowercase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        size_t length = CharLength(text, pos);
        // A lone byte of 0x80 or above is not a character of its own and
        // passes through untouched.
        bool wellFormed = length > 1 || static_cast<unsigned char>(text[pos]) < 0x80;
        uint32_t code = wellFormed ? Decode(text, pos, length) : 0;
        uint32_t lower = wellFormed ? LowerCodePoint(code) : 0;
        if (wellFormed && lower != code)
            AppendUtf8(out, lower);
        else
            out.append(text.substr(pos, length));
        pos += length;
    }
    return out;
}

std::string Chr(uint32_t code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return "";
    std::string out;
    AppendUtf8(out, code);
    return out;
}

int64_t Len(std::string_view text)
{
    return CharCount(text, text.size());
}

bool TextEquals(std::string_view a, std::string_view b)
{
    if (a.size() == b.size() && a == b)
        return true;
    return Lowercase(a) == Lowercase(b);
}

std::string EscapedForMessage(std::string_view text)
{
    std::string shown;
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = CharLength(text, pos);
        const unsigned char c = static_cast<unsigned char>(text[pos]);
        // A character of more than one byte is well-formed UTF-8 (a name in
        // the user's language) and shows as it is, but for the C1 controls,
        // which some terminals act on, and the line and paragraph
        // separators, which some viewers break the line at.
        const uint32_t code = length > 1 ? Decode(text, pos, length) : c;
        if (length > 1 && code >= 0xA0 && code != 0x2028 && code != 0x2029) {
            shown += text.substr(pos, length);
        } else if (c == '\\' || c == '"') {
            shown += '\\';
            shown += static_cast<char>(c);
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (length == 1 && c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            for (size_t i = 0; i < length; ++i) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[pos + i]));
                shown += escape;
            }
        }
        pos += length;
    }
    return shown;
}

}

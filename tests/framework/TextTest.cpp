#include "framework/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(TextTest, ValStrAndToInt32OnEdgeCases)
{
    struct Case {
        const char* name;
        const char* text;
        double val;
        int32_t whole;
        const char* str; // Str of the Val
    } cases[] = {
        { "empty", "", 0, 0, "0" },
        { "digits then letters", "12abc", 12, 12, "12" },
        { "leading blank", " 7", 7, 7, "7" },
        { "leading tab and blanks", "\t  42", 42, 42, "42" },
        { "negative", "-3", -3, -3, "-3" },
        { "explicit plus", "+5", 5, 5, "5" },
        { "exponent", "1e3", 1000, 1000, "1000" },
        { "exponent without digits", "2e", 2, 2, "2" },
        { "exponent sign without digits", "2e+x", 2, 2, "2" },
        { "negative exponent", "25e-1", 2.5, 2, "2.5" },
        { "letters", "abc", 0, 0, "0" },
        { "sign alone", "-", 0, 0, "0" },
        { "blank inside the sign", "- 3", 0, 0, "0" },
        { "just past Int32", "2147483648", 2147483648.0, 2147483647, "2147483648" },
        { "far below Int32", "-99999999999", -99999999999.0, INT32_MIN, "-99999999999" },
        { "Int32 minimum", "-2147483648", -2147483648.0, INT32_MIN, "-2147483648" },
        { "fraction", "3.7", 3.7, 3, "3.7" },
        { "negative fraction", "-3.7", -3.7, -3, "-3.7" },
        { "leading point", ".5", 0.5, 0, "0.5" },
        { "trailing point", "5.", 5, 5, "5" },
        { "two points", "1.2.3", 1.2, 1, "1.2" },
        { "comma is not a decimal point", "40,-20", 40, 40, "40" },
        { "hexadecimal", "&hFF", 255, 255, "255" },
        { "octal", "&o17", 15, 15, "15" },
        { "binary", "&b101", 5, 5, "5" },
        // A digit its prefix does not allow ends the number, as any other
        // character does: the digits before it count, none at all give 0.
        { "binary stops at a 2", "&b102", 2, 2, "2" },
        { "octal stops at an 8", "&o78", 7, 7, "7" },
        { "octal has no 9", "&o9", 0, 0, "0" },
        { "hexadecimal has no G", "&hG", 0, 0, "0" },
        { "negative zero", "-0", 0, 0, "0" },
        { "leading zeros", "007", 7, 7, "7" },
        { "large whole number", "1000000000000000", 1e15, INT32_MAX, "1000000000000000" },
        { "huge exponent", "1e999", std::numeric_limits<double>::infinity(), INT32_MAX, "INF" },
        { "tiny exponent", "1e-999", 0, 0, "0" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double val = fw::Val(c.text);
        EXPECT_DOUBLE_EQ(val, c.val);
        EXPECT_EQ(fw::ToInt32(val), c.whole);
        EXPECT_EQ(fw::Str(val), c.str);
    }
    EXPECT_EQ(fw::ToInt32(std::nan("")), 0);
    EXPECT_FALSE(std::signbit(fw::Val("")));
}

TEST(TextTest, StrOfNumbersAndVariants)
{
    struct Case {
        const char* name;
        fw::Variant value;
        const char* text;
    } cases[] = {
        { "Int32 zero", int32_t { 0 }, "0" },
        { "Int32 negative", int32_t { -20 }, "-20" },
        { "Int32 minimum", int32_t { INT32_MIN }, "-2147483648" },
        { "Double whole", 59.0, "59" },
        { "Double negative zero", -0.0, "0" },
        { "Double half", 0.5, "0.5" },
        { "Double seven digits", 1.0 / 3.0, "0.3333333" },
        { "Double small", 0.001, "0.001" },
        { "Double large fraction", 12345678.9, "12345679" },
        { "Single", 12.5f, "12.5" },
        { "String unchanged", std::string(" 07 "), " 07 " },
        { "Boolean true", true, "True" },
        { "Boolean false", false, "False" },
        { "nothing", std::monostate {}, "" },
        { "nil object", fw::RefPtr<fw::Object>(), "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fw::Str(c.value), c.text);
    }
}

TEST(TextTest, StrAndValRoundTripTheCountdownRange)
{
    for (int32_t n = -200; n <= 6000; ++n) {
        ASSERT_EQ(fw::ToInt32(fw::Val(fw::Str(n))), n);
        ASSERT_EQ(fw::Str(static_cast<double>(n)), fw::Str(n));
    }
}

TEST(TextTest, MidCountsCharacters)
{
    const std::string text = "a\xC3\xA9" "b\xE2\x82\xAC" "c"; // "aébc€"-like: a é b € c
    struct Case {
        const char* name;
        std::string text;
        int64_t start;
        int64_t count; // -1: the one-argument form
        std::string expected;
    } cases[] = {
        { "rest from 2", "#MySetMin 45", 2, -1, "MySetMin 45" },
        { "slice", "#MySetMin 45", 2, 8, "MySetMin" },
        { "start 1", "abc", 1, -1, "abc" },
        { "start 0 acts as 1", "abc", 0, 2, "ab" },
        { "start past the end", "abc", 4, -1, "" },
        { "start far past the end", "abc", 100, 5, "" },
        { "count past the end", "abc", 2, 100, "bc" },
        { "count zero", "abc", 1, 0, "" },
        { "empty text", "", 1, 3, "" },
        { "two-byte character", text, 2, 1, "\xC3\xA9" },
        { "after a two-byte character", text, 3, 2, "b\xE2\x82\xAC" },
        { "last character", text, 5, -1, "c" },
        { "invalid byte is one character", "a\xFF" "b", 2, 1, "\xFF" },
        { "truncated sequence", "a\xE2\x82", 2, -1, "\xE2\x82" },
        { "truncated sequence split", "a\xE2\x82", 3, 1, "\x82" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.count < 0 ? fw::Mid(c.text, c.start) : fw::Mid(c.text, c.start, c.count), c.expected);
    }
    EXPECT_EQ(fw::Len(text), 5);
    EXPECT_EQ(fw::Len("a\xE2\x82"), 3);
    EXPECT_EQ(fw::Len("\xED\xA0\x80"), 3) << "a UTF-16 surrogate is not a character";
    EXPECT_EQ(fw::Len("\xC0\xAF"), 2) << "an overlong form is not a character";
}

TEST(TextTest, InStrFindsCharacterPositions)
{
    struct Case {
        const char* name;
        int64_t start;
        std::string text;
        std::string find;
        int64_t expected;
    } cases[] = {
        { "first blank", 0, "#MySetMin 45", " ", 10 },
        { "start 1", 1, "#MySetMin 45", " ", 10 },
        { "no blank", 0, "#MySetMin", " ", 0 },
        { "blank first", 0, " x", " ", 1 },
        { "later start skips", 3, "a a a", "a", 3 },
        { "start on the match", 5, "a a a", "a", 5 },
        { "start past the end", 9, "a a a", "a", 0 },
        { "empty find", 1, "abc", "", 0 },
        { "empty text", 1, "", "a", 0 },
        { "case matters", 1, "ABC", "b", 0 },
        { "after multi-byte characters", 0, "\xC3\xA9\xE2\x82\xAC x", " ", 3 },
        { "multi-byte find", 0, "ab\xE2\x82\xAC", "\xE2\x82\xAC", 3 },
        { "no match inside a character", 0, "\xE2\x82\xAC", "\x82", 0 },
        { "after an invalid byte", 0, "\xFF\xFE:", ":", 3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fw::InStr(c.start, c.text, c.find), c.expected);
    }
    EXPECT_EQ(fw::InStr("xyz", "z"), 3);
}

TEST(TextTest, NthFieldSplitsAtTheSeparator)
{
    struct Case {
        const char* name;
        std::string text;
        std::string separator;
        int64_t n;
        std::string expected;
    } cases[] = {
        { "first", "40,-20", ",", 1, "40" },
        { "second", "40,-20", ",", 2, "-20" },
        { "past the last", "150", ",", 2, "" },
        { "only field", "150", ",", 1, "150" },
        { "extra fields", "100,200,300", ",", 2, "200" },
        { "third", "100,200,300", ",", 3, "300" },
        { "empty field", "1,,3", ",", 2, "" },
        { "trailing separator", "1,", ",", 2, "" },
        { "trailing separator past", "1,", ",", 3, "" },
        { "zero", "1,2", ",", 0, "" },
        { "negative", "1,2", ",", -1, "" },
        { "long separator", "a::b::c", "::", 3, "c" },
        { "empty text", "", ",", 1, "" },
        { "empty separator", "abc", "", 1, "abc" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fw::NthField(c.text, c.separator, c.n), c.expected);
    }
}

TEST(TextTest, LowercaseAndCaseBlindEquality)
{
    struct Case {
        const char* name;
        std::string text;
        std::string lower;
    } cases[] = {
        { "ASCII", "Window1Position", "window1position" },
        { "already lower", "mysetmin", "mysetmin" },
        { "digits and marks", "A-1_Z!", "a-1_z!" },
        { "Latin-1", "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9" },                  // ÉTÉ -> été
        { "multiplication sign kept", "\xC3\x97", "\xC3\x97" },                    // ×
        { "Latin Extended-A", "\xC5\x81\xC3\x93" "D\xC5\xB9", "\xC5\x82\xC3\xB3" "d\xC5\xBA" }, // ŁÓDŹ -> łódź
        { "Y with diaeresis", "\xC5\xB8", "\xC3\xBF" },                             // Ÿ -> ÿ
        { "Greek", "\xCE\xA9\xCE\x86", "\xCF\x89\xCE\xAC" },                        // ΩΆ -> ωά
        { "Cyrillic", "\xD0\x9F\xD0\x81", "\xD0\xBF\xD1\x91" },                     // ПЁ -> пё
        { "invalid bytes kept", "A\xFF\xC3", "a\xFF\xC3" },
        { "empty", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fw::Lowercase(c.text), c.lower);
        EXPECT_TRUE(fw::TextEquals(c.text, c.lower));
    }
    EXPECT_TRUE(fw::TextEquals("MYSETMIN", "mysetmin"));
    EXPECT_TRUE(fw::TextEquals("window1position", "Window1Position"));
    EXPECT_FALSE(fw::TextEquals("MySetMin", "MySetMin "));
    EXPECT_FALSE(fw::TextEquals("a", "b"));
    EXPECT_TRUE(fw::TextEquals("", ""));
}

TEST(TextTest, ChrEncodesCodePoints)
{
    EXPECT_EQ(fw::Chr(44), ",");
    EXPECT_EQ(fw::Chr(0xE9), "\xC3\xA9");
    EXPECT_EQ(fw::Chr(0x20AC), "\xE2\x82\xAC");
    EXPECT_EQ(fw::Chr(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(fw::Chr(0xD800), "");
    EXPECT_EQ(fw::Chr(0x110000), "");
    EXPECT_EQ(fw::Chr(0).size(), 1u);
}

TEST(TextTest, EscapedForMessageKeepsAMessageOnOneLineAndReadable)
{
    struct Case {
        const char* name;
        std::string text;
        std::string shown;
    } cases[] = {
        { "a plain path", "/home/ana/.config/tockamo.txt", "/home/ana/.config/tockamo.txt" },
        { "space", "my settings", "my settings" },
        { "quote", "say \"hi\"", "say \\\"hi\\\"" },
        { "backslash", "a\\b", "a\\\\b" },
        { "tab", "a\tb", "a\\tb" },
        { "newline", ":0\nrm", ":0\\nrm" },
        { "carriage return", "a\rb", "a\\x0db" },
        { "DEL", "a\x7f", "a\\x7f" },
        { "escape sequence", "\x1b[2J", "\\x1b[2J" },
        { "NUL", std::string("a\0b", 3), "a\\x00b" },
        { "UTF-8 kept", "/home/zo\xC3\xAB/\xE6\x97\xA5\xF0\x9F\x98\x80", "/home/zo\xC3\xAB/\xE6\x97\xA5\xF0\x9F\x98\x80" },
        { "C1 control (CSI)", "a\xC2\x9B" "2J", "a\\xc2\\x9b" "2J" },
        { "line separator", "a\xE2\x80\xA8" "b", "a\\xe2\\x80\\xa8" "b" },
        { "bytes that are not UTF-8", "a\xFF\xC3", "a\\xff\\xc3" },
        { "overlong slash", "\xC0\xAF", "\\xc0\\xaf" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fw::EscapedForMessage(c.text), c.shown);
    }
}

}

#include "MFunction.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <locale>
#include <string>
#include <string_view>

namespace {

// Every conversion runs under the C locale and under one whose decimal mark is a comma: a
// helper that asked the process's locale would pass the first and fail the second.
class MFunctionUnderLocale : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        savedCLocale_ = std::setlocale(LC_ALL, nullptr);
        try {
            std::locale::global(std::locale(GetParam()));
        } catch (const std::runtime_error&) {
            GTEST_SKIP() << "locale " << GetParam() << " is not installed (Debian package locales-all)";
        }
        std::setlocale(LC_ALL, GetParam());
        switched_ = true;
    }

    void TearDown() override
    {
        if (!switched_)
            return;
        std::locale::global(savedLocale_);
        std::setlocale(LC_ALL, savedCLocale_.c_str());
    }

private:
    std::locale savedLocale_;
    std::string savedCLocale_;
    bool switched_ = false;
};

INSTANTIATE_TEST_SUITE_P(Locales, MFunctionUnderLocale, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "C" ? std::string("C") : std::string("DecimalComma");
                         });

TEST_P(MFunctionUnderLocale, TestLocaleReallyUsesADecimalComma)
{
    // Guards the other tests: without a comma locale they would prove nothing.
    if (std::string_view(GetParam()) == "C")
        return;
    EXPECT_EQ(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), ',');
    EXPECT_EQ(std::localeconv()->decimal_point[0], ',');
}

TEST_P(MFunctionUnderLocale, FixDecimalSeparatorTrimsAndUsesThePoint)
{
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case kCases[] = {
        {"comma and blanks", "  3,75\t", "3.75"},
        {"empty", "", "0"},
        {"only blanks and controls", " \r\n\t\x01 ", "0"},
        {"both marks become points", "1,234.5", "1.234.5"},
        {"control characters at the ends",
         std::string("\0"
                     "7\x1f",
                     3),
         "7"},
        {"inner blanks stay", " 1 2 ", "1 2"},
        {"UTF-8 bytes are not control characters",
         "\xC2\xA0"
         "5\xC2\xA0",
         "\xC2\xA0"
         "5\xC2\xA0"},
        {"DEL is kept", "\x7f", "\x7f"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::string text = c.text;
        FixDecimalSeparator(text);
        EXPECT_EQ(text, c.expected);
    }
}

TEST_P(MFunctionUnderLocale, StrToDoubleReadsPointAndCommaDecimals)
{
    struct Case {
        const char* name;
        std::string text;
        double expected;
    };
    const double denormalMin = std::numeric_limits<double>::denorm_min();
    const Case kCases[] = {
        {"empty", "", 0.0},
        {"spaces", "    ", 0.0},
        {"comma", "2,5", 2.5},
        {"point", "2.5", 2.5},
        {"surrounding blanks", " \t3.75  ", 3.75},
        {"plus sign", "+1.5", 1.5},
        {"negative", "-12.125", -12.125},
        {"no integer digits", ",5", 0.5},
        {"no fraction digits", "5.", 5.0},
        {"exponent", "1e5", 1e5},
        {"signed upper-case exponent", "1E+05", 1e5},
        {"comma with exponent", "-2,5e-3", -2.5e-3},
        {"correctly rounded", "0.1", 0.1},
        {"long mantissa", "3.14159265358979323846264338327950288", 3.141592653589793},
        {"largest double", "1.7976931348623157e308", std::numeric_limits<double>::max()},
        {"smallest denormal", "4.9e-324", denormalMin},
        {"huge exponent of zero", "0e999999999999999999999", 0.0},
        {"exponent with many leading zeros", "1e000000000000000000000005", 1e5},
        {"below the denormals", "1e-400", 0.0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StrToDouble(c.text), c.expected);
    }
}

TEST_P(MFunctionUnderLocale, StrToDoubleKeepsTheSignOfZero)
{
    struct Case {
        const char* text;
        bool negative;
    };
    const Case kCases[] = {{"-0", true}, {"0", false}, {"-1e-400", true}, {"1e-400", false}, {"-0,0e-99999", true}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        const double value = StrToDouble(c.text);
        EXPECT_EQ(value, 0.0);
        EXPECT_EQ(std::signbit(value), c.negative);
    }
}

TEST_P(MFunctionUnderLocale, StrToDoubleRejectsWhatIsNoDecimalNumber)
{
    const char* const kTexts[] = {
        "1,234.5",      "1..2", ".",    "-",   "+",    "e5",  "1e",   "1e+",   "1e5.5",    "--1",
        "+-1",          "1 2",  "1.5f", "inf", "-inf", "nan", "0x10", "1e400", "-1.8e308", "1.7976931348623159e308",
        "\xef\xbc\x91",
    };
    for (const char* text : kTexts) {
        SCOPED_TRACE(text);
        try {
            (void)StrToDouble(text);
            ADD_FAILURE() << "no error";
        } catch (const MConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

TEST_P(MFunctionUnderLocale, FloatToSvgWritesTheStoredValueWithAPoint)
{
    struct Case {
        float value;
        const char* expected;
    };
    const Case kCases[] = {
        {1.1f, "1.10000002384186"},
        {0.5f, "0.5"},
        {2.0f, "2"},
        {1234.56f, "1234.56005859375"},
        {-0.25f, "-0.25"},
        {0.0f, "0"},
        {-0.0f, "-0"},
        // Exactly halfway at the 16th digit: ties go to the even 15th digit.
        {1.000030517578125f, "1.00003051757812"},
        {1.000091552734375f, "1.00009155273438"},
        // Plain form up to 15 integer digits, exponent form from 1e15 and below 1e-4.
        {123456792.0f, "123456792"},
        {999999986991104.0f, "999999986991104"},
        {1e16f, "1.00000002725642e+16"},
        {0.001f, "0.00100000004749745"},
        {0.0001f, "9.99999974737875e-05"},
        {3.4e38f, "3.39999995214436e+38"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FloatToSvg(c.value), c.expected);
    }
}

TEST_P(MFunctionUnderLocale, FloatToTextUsesTheCallersDecimalMark)
{
    struct Case {
        double value;
        const char* mark;
        const char* expected;
    };
    const Case kCases[] = {
        {2.5, ",", "2,5"},
        {2.5, ".", "2.5"},
        {0.1, ",", "0,1"},
        {-1234.5678, ",", "-1234,5678"},
        {3.0, ",", "3"},
        {1e20, ",", "1e+20"},
        {1.5e-7, ",", "1,5e-07"},
        {1.0 / 3.0, "\xd9\xab",
         "0\xd9\xab"
         "333333333333333"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FloatToText(c.value, c.mark), c.expected);
    }
}

TEST_P(MFunctionUnderLocale, StrToDoubleReadsBackWhatFloatToSvgWrote)
{
    const float kValues[] = {1.1f, -7.25e-9f, 3.4e38f, 1.17549435e-38f, 0.333333343f, 65504.0f};
    for (const float value : kValues) {
        SCOPED_TRACE(value);
        EXPECT_EQ(static_cast<float>(StrToDouble(FloatToSvg(value))), value);
    }
}

TEST_P(MFunctionUnderLocale, SinglePrecisionValuesBeyondItsRangeAreRefused)
{
    struct Case {
        const char* text;
        bool fits;
    };
    // 3.4028235677973362e38 is the largest double that still rounds to the largest float; the
    // next one is the tie that rounds to infinity.
    const Case kCases[] = {{"1e39", false},
                           {"-1E39", false},
                           {"3,5e38", false},
                           {"1e308", false},
                           {"3.4028235677973362e38", true},
                           {"3.4028235677973366e38", false},
                           {"-3.4e38", true},
                           {"1e-50", true},
                           {"2,5", true}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        if (c.fits) {
            EXPECT_EQ(StrToSingle(c.text), static_cast<float>(StrToDouble(c.text)));
            EXPECT_EQ(StrToDoubleInSingleRange(c.text), StrToDouble(c.text));
            continue;
        }
        const std::string message = "'" + std::string(c.text) + "' is not a valid floating point value";
        EXPECT_THROW(
            try { (void)StrToSingle(c.text); } catch (const MConvertError& error) {
                EXPECT_EQ(error.what(), message);
                throw;
            },
            MConvertError);
        EXPECT_THROW((void)StrToDoubleInSingleRange(c.text), MConvertError);
    }
}

TEST_P(MFunctionUnderLocale, StrToIntReadsDecimalAndHexadecimal)
{
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case kCases[] = {
        {"0", 0},
        {"42", 42},
        {"   42", 42},
        {" -7", -7},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"$FF", 255},
        {"$ff", 255},
        {"x1F", 31},
        {"X1f", 31},
        {"0x10", 16},
        {"0X10", 16},
        {"$00000000FF", 255},
        {"$7FFFFFFF", 2147483647},
        {"$FFFFFFFF", -1},
        {"$80000000", std::numeric_limits<std::int32_t>::min()},
        {"-$1", -1},
        {"-$FFFFFFFF", 1},
        {"-$80000000", std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.expected);
    }
}

TEST_P(MFunctionUnderLocale, StrToIntRejectsAnythingElse)
{
    const char* const kTexts[] = {
        "",           " ",
        "12a",        "12 ",
        "1 2",        "+",
        "-",          "- 1",
        "+-1",        "1.0",
        "1,0",        "$",
        "x",          "0x",
        "$G",         "0x-1",
        "$-1",        "0x$1",
        "2147483648", "-2147483649",
        "4294967296", "99999999999999999999",
        "$100000000",
    };
    for (const char* text : kTexts) {
        SCOPED_TRACE(text);
        try {
            (void)StrToInt(text);
            ADD_FAILURE() << "no error";
        } catch (const MConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST_P(MFunctionUnderLocale, MessagesQuoteTheTextShortenedWithControlCharactersEscaped)
{
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    };
    const std::string megabyteLine = std::string(1 << 20, '1') + "x";
    const Case kCases[] = {
        {"only spaces may lead: a line feed", "\n5", "'\\x0a5' is not a valid integer value"},
        {"only spaces may lead: a tab", "\t-7", "'\\x09-7' is not a valid integer value"},
        {"a count line that retitles and clears the terminal", "\x1b]0;title\x07\x1b[2J",
         "'\\x1b]0;title\\x07\\x1b[2J' is not a valid integer value"},
        {"a byte that is not UTF-8", "12\xff", "'12\\xff' is not a valid integer value"},
        {"a one-line file of a megabyte", megabyteLine,
         "'" + std::string(80, '1') + "...' is not a valid integer value"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        try {
            (void)StrToInt(c.text);
            ADD_FAILURE() << "no error";
        } catch (const MConvertError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
    try {
        (void)StrToSingle(std::string(100, '9') + "\x1b[2J");
        ADD_FAILURE() << "no error";
    } catch (const MConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'" + std::string(80, '9') + "...' is not a valid floating point value");
    }
}

TEST(GroupedDigits, GroupsByThreesFromTheRight)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"},          {999, "999"},           {1000, "1,000"},
        {-1000, "-1,000"}, {1906624, "1,906,624"}, {INT64_MIN, "-9,223,372,036,854,775,808"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(GroupedDigits(value), text);
}

}  // namespace

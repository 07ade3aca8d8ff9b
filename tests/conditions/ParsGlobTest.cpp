#include "conditions/ParsGlob.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

namespace {

ExprValue Boolean(bool v) { return ExprValue::MakeBoolean(v); }
ExprValue Integer(std::int32_t v) { return ExprValue::MakeInteger(v); }
ExprValue Float(double v) { return ExprValue::MakeFloat(v); }
ExprValue String(std::string v) { return ExprValue::MakeString(std::move(v)); }

struct ConversionCase {
    ExprValue from;
    ValueType target;
    ExprValue expected;
};

void PrintTo(const ConversionCase& c, std::ostream* out)
{
    *out << c.from << " to type " << int(c.target) << " gives " << c.expected;
}

class ConvertValueTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertValueTest, ConvertsAsTheTableSays)
{
    ExprValue value = GetParam().from;
    ConvertValue(value, GetParam().target);
    EXPECT_EQ(value, GetParam().expected);
    if (GetParam().target != vtString) {
        EXPECT_TRUE(value.text.empty()) << "a converted value keeps no text";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertValueTest, testing::Values(
    ConversionCase{ExprValue(), vtBoolean, Boolean(false)},
    ConversionCase{ExprValue(), vtInteger, Integer(0)},
    ConversionCase{ExprValue(), vtFloat, Float(0.0)},
    ConversionCase{ExprValue(), vtString, String("")},
    ConversionCase{Boolean(true), vtInteger, Integer(1)},
    ConversionCase{Boolean(true), vtFloat, Float(1.0)},
    ConversionCase{Boolean(true), vtString, String("1")},
    ConversionCase{Boolean(false), vtString, String("0")},
    ConversionCase{Integer(0), vtBoolean, Boolean(false)},
    ConversionCase{Integer(-5), vtBoolean, Boolean(true)},
    ConversionCase{Integer(-5), vtFloat, Float(-5.0)},
    ConversionCase{Integer(INT_MIN), vtString, String("-2147483648")},
    ConversionCase{Float(0.0), vtBoolean, Boolean(false)},
    ConversionCase{Float(0.1), vtBoolean, Boolean(true)},
    ConversionCase{Float(2.5), vtInteger, Integer(2)},
    ConversionCase{Float(3.5), vtInteger, Integer(4)},
    ConversionCase{Float(-2.5), vtInteger, Integer(-2)},
    ConversionCase{Float(-2.6), vtInteger, Integer(-3)},
    ConversionCase{Float(2147483648.0), vtInteger, Integer(INT_MIN)}, // wraps like integer arithmetic
    ConversionCase{Float(1.5), vtString, String(" 1.50000000000000E+0000")},
    ConversionCase{Float(-1.5), vtString, String("-1.50000000000000E+0000")},
    ConversionCase{Float(0.0), vtString, String(" 0.00000000000000E+0000")},
    ConversionCase{Float(-0.0), vtString, String(" 0.00000000000000E+0000")},
    ConversionCase{Float(123456.789), vtString, String(" 1.23456789000000E+0005")},
    ConversionCase{Float(2.0 / 3.0), vtString, String(" 6.66666666666667E-0001")},
    ConversionCase{Float(1e-300), vtString, String(" 1.00000000000000E-0300")},
    ConversionCase{String(""), vtBoolean, Boolean(false)},
    ConversionCase{String("0"), vtBoolean, Boolean(true)},
    ConversionCase{String(" 42"), vtInteger, Integer(42)},
    ConversionCase{String("+7"), vtInteger, Integer(7)},
    ConversionCase{String("-2147483648"), vtInteger, Integer(INT_MIN)},
    ConversionCase{String("-2.5E+2"), vtFloat, Float(-250.0)},
    ConversionCase{String(".5"), vtFloat, Float(0.5)},
    ConversionCase{String("7"), vtFloat, Float(7.0)},
    ConversionCase{String(" 1.50000000000000E+0000"), vtFloat, Float(1.5)},
    ConversionCase{String("abc"), vtString, String("abc")},
    ConversionCase{Integer(3), vtNull, ExprValue()}));

struct BadTextCase {
    const char* text;
    ValueType target;
    const char* message;
};

void PrintTo(const BadTextCase& c, std::ostream* out)
{
    *out << "'" << c.text << "' to type " << int(c.target);
}

class BadTextTest : public testing::TestWithParam<BadTextCase> {};

TEST_P(BadTextTest, RaisesTheConversionError)
{
    ExprValue value = ExprValue::MakeString(GetParam().text);
    try {
        ConvertValue(value, GetParam().target);
        FAIL() << "converted to " << value;
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BadTextTest, testing::Values(
    BadTextCase{"2147483648", vtInteger, "'2147483648' is not a valid integer value"},
    BadTextCase{"-2147483649", vtInteger, "'-2147483649' is not a valid integer value"},
    BadTextCase{"12a", vtInteger, "'12a' is not a valid integer value"},
    BadTextCase{"", vtInteger, "'' is not a valid integer value"},
    BadTextCase{"1.5", vtInteger, "'1.5' is not a valid integer value"},
    BadTextCase{"-", vtInteger, "'-' is not a valid integer value"},
    BadTextCase{"1,5", vtFloat, "1,5 isn't a valid float"},
    BadTextCase{"inf", vtFloat, "inf isn't a valid float"},
    BadTextCase{"nan", vtFloat, "nan isn't a valid float"},
    BadTextCase{".", vtFloat, ". isn't a valid float"},
    BadTextCase{"1e", vtFloat, "1e isn't a valid float"},
    BadTextCase{"1e999", vtFloat, "1e999 isn't a valid float"},
    BadTextCase{"", vtFloat, " isn't a valid float"}));

TEST(ConvertValueErrors, FloatBeyondSixtyFourBitsIsAnInvalidOperation)
{
    ExprValue value = ExprValue::MakeFloat(1e19);
    try {
        ConvertValue(value, vtInteger);
        FAIL() << "converted to " << value;
    } catch (const EMathError& error) {
        EXPECT_STREQ(error.what(), "Invalid floating point operation");
    }
}

TEST(FloatToText, EveryFiniteValueHasTheFixedWidth)
{
    for (double value : {1.0, -1.0, 1e308, -1e-308, 4.9e-324, 123.0, 1.0 / 3.0})
        EXPECT_EQ(FloatToText(value).size(), 23u) << FloatToText(value);
}

TEST(FloatToText, ReadsBackAsTheSameFifteenDigits)
{
    for (double value : {1.5, -2.25, 1234.5678, 1e-20})
        EXPECT_DOUBLE_EQ(TextToFloat(FloatToText(value)), value);
}

} // namespace

#include "FakeExists.h"
#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <ostream>
#include <string>

namespace {

ExprValue Boolean(bool v) { return ExprValue::MakeBoolean(v); }
ExprValue Integer(std::int32_t v) { return ExprValue::MakeInteger(v); }
ExprValue Float(double v) { return ExprValue::MakeFloat(v); }
ExprValue String(std::string v) { return ExprValue::MakeString(std::move(v)); }

bool ArgumentCount(int count, ExprValue*, ExprValue& result)
{
    result.SetInteger(count);
    return true;
}

bool LeavesResultAlone(int, ExprValue*, ExprValue&)
{
    return true;
}

const bool registered = [] {
    RegisterFunction("argcount", ArgumentCount);
    RegisterFunction("LEAVE_ALONE", LeavesResultAlone);
    return true;
}();

std::string ErrorOf(std::string_view text)
{
    try {
        TExprParser parser;
        parser.Evaluate(text);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

// ---- values ---------------------------------------------------------------------------------

struct ValueCase {
    const char* text;
    ExprValue expected;
};

void PrintTo(const ValueCase& c, std::ostream* out)
{
    *out << "\"" << c.text << "\" gives " << c.expected;
}

class EvaluatesTo : public testing::TestWithParam<ValueCase> {};

TEST_P(EvaluatesTo, TheExpectedValue)
{
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Scanning, EvaluatesTo, testing::Values(
    ValueCase{"", ExprValue()},
    ValueCase{" \t\r\n", ExprValue()},
    ValueCase{"\x01 7", Integer(7)},
    ValueCase{"( TRUE )", Boolean(true)},
    ValueCase{"TRUE() && TRUE", Boolean(true)},
    ValueCase{"TRUE) 5 6", Boolean(true)},
    ValueCase{"TRUE, 5", Boolean(true)},
    ValueCase{"'It''s'", String("It's")},
    ValueCase{"\"say \"\"hi\"\"\"", String("say \"hi\"")},
    ValueCase{"'a\"b' + \"c'd\"", String("a\"bc'd")},
    ValueCase{"''", String("")},
    ValueCase{"0x", Integer(0)},
    ValueCase{"0x1F + 0xa", Integer(41)},
    ValueCase{"0xFFFFFFFF", Integer(-1)},
    ValueCase{"0x80000000", Integer(INT_MIN)},
    ValueCase{"0x000000007FFFFFFF", Integer(INT_MAX)},
    ValueCase{"007", Integer(7)},
    ValueCase{"2147483647", Integer(INT_MAX)},
    ValueCase{"1.", Float(1.0)},
    ValueCase{"2.50", Float(2.5)}));

INSTANTIATE_TEST_SUITE_P(Grouping, EvaluatesTo, testing::Values(
    ValueCase{"8 - 2 - 1", Integer(5)},
    ValueCase{"2 ** 3 ** 2", Integer(64)},
    ValueCase{"TRUE || FALSE && FALSE", Boolean(false)},
    ValueCase{"!TRUE == 'FALSE'", Boolean(false)}, // (!TRUE) == 'FALSE' compares the texts 0 and FALSE
    ValueCase{"2 + 3 & 1", Integer(3)},
    ValueCase{"1 | 2 << 1", Integer(5)},
    ValueCase{"6 ^ 3 & 5", Integer(5)},
    ValueCase{"2 * 3 % 4", Integer(2)},
    ValueCase{"10 - 2 * 3", Integer(4)},
    ValueCase{"2 ** 3 * 2", Integer(16)},
    ValueCase{"- 2 ** 2", Integer(-4)},
    ValueCase{"~1 + 1", Integer(-1)},
    ValueCase{"1 + 2 == 3", Boolean(true)},
    ValueCase{"TRUE && !FALSE", Boolean(true)},
    ValueCase{"!(FALSE) && TRUE", Boolean(true)},
    ValueCase{"(1 + 2) * 3", Integer(9)}));

INSTANTIATE_TEST_SUITE_P(Operators, EvaluatesTo, testing::Values(
    ValueCase{"~0", Integer(-1)},
    ValueCase{"~TRUE", Integer(-2)},
    ValueCase{"TRUE & TRUE", Integer(1)},
    ValueCase{"1 << 33", Integer(2)},
    ValueCase{"1 << 31", Integer(INT_MIN)},
    ValueCase{"0xFFFFFFFF >> 28", Integer(15)},
    ValueCase{"TRUE ^^ TRUE", Boolean(false)},
    ValueCase{"TRUE ^^ FALSE", Boolean(true)},
    ValueCase{"'10' < 9", Boolean(true)},
    ValueCase{"'B' < 'a'", Boolean(true)},
    ValueCase{"'\xC3\xA9' > 'z'", Boolean(true)}, // byte codes compare unsigned
    ValueCase{"TRUE == 1", Boolean(true)},
    ValueCase{"TRUE == 'TRUE'", Boolean(false)},
    ValueCase{"1 == 1.0", Boolean(true)},
    ValueCase{"2 >= 1.5", Boolean(true)},
    ValueCase{"2 != 2", Boolean(false)},
    ValueCase{"2 <= 1", Boolean(false)},
    ValueCase{"2 ** 10", Integer(1024)},
    ValueCase{"2 ** (0 - 1)", Integer(0)}, // 0.5 rounds to even
    ValueCase{"4.0 ** 0.5", Float(2.0)},
    ValueCase{"7 / 2", Integer(3)},
    ValueCase{"7.0 / 2", Float(3.5)},
    ValueCase{"(0 - 7) % 2", Integer(-1)},
    ValueCase{"-7 % 2", Integer(-1)},
    ValueCase{"-TRUE", Integer(-1)},
    ValueCase{"- 1.5", Float(-1.5)},
    ValueCase{"'x' + 1", String("x1")},
    ValueCase{"'x' + 1.5", String("x 1.50000000000000E+0000")},
    ValueCase{"TRUE + 'x'", String("1x")},
    ValueCase{"1.5 * 2", Float(3.0)}));

// 32-bit two's complement everywhere, with the two quotients that trap on the hardware defined.
INSTANTIATE_TEST_SUITE_P(Wrapping, EvaluatesTo, testing::Values(
    ValueCase{"2147483647 + 1", Integer(INT_MIN)},
    ValueCase{"0x80000000 - 1", Integer(INT_MAX)},
    ValueCase{"65536 * 65536", Integer(0)},
    ValueCase{"-0x80000000", Integer(INT_MIN)},
    ValueCase{"0x80000000 / (0 - 1)", Integer(INT_MIN)},
    ValueCase{"0x80000000 % (0 - 1)", Integer(0)},
    ValueCase{"2 ** 31", Integer(INT_MIN)},
    ValueCase{"TRUNC(4294967301.0)", Integer(5)}));

INSTANTIATE_TEST_SUITE_P(BuiltIns, EvaluatesTo, testing::Values(
    ValueCase{"INT('42')", Integer(42)},
    ValueCase{"INT(2.5)", Integer(2)},
    ValueCase{"INT(NULL)", Integer(0)},
    ValueCase{"BOOL('x')", Boolean(true)},
    ValueCase{"BOOL(0.0)", Boolean(false)},
    ValueCase{"STRING(-12)", String("-12")},
    ValueCase{"FLOAT(STRING(1.25))", Float(1.25)},
    ValueCase{"FLOAT('1e3')", Float(1000.0)},
    ValueCase{"CASE(1, 'a', 'b')", String("b")},
    ValueCase{"CASE('0', 2.5)", Float(2.5)},
    ValueCase{"CASE(6, 0, 1, 2, 3, 4, 5, 6)", Integer(6)},
    ValueCase{"ISNULL(NULL)", Boolean(true)},
    ValueCase{"ISNULL('')", Boolean(false)},
    ValueCase{"ISNULL(NULL, 2)", Integer(2)},
    ValueCase{"ISNULL(1, 2)", Integer(1)},
    ValueCase{"ISNULL(, 2)", Integer(2)},
    ValueCase{"IIF(TRUE, 1, 'b')", Integer(1)},
    ValueCase{"IIF(0, 1, 'b')", String("b")},
    ValueCase{"NULL", ExprValue()},
    ValueCase{"FALSE", Boolean(false)},
    ValueCase{"HEX(255, 4)", String("00FF")},
    ValueCase{"HEX(-1, 2)", String("FFFFFFFF")},
    ValueCase{"HEX(0, 0)", String("0")},
    ValueCase{"BIN(5, 0)", String("101")},
    ValueCase{"BIN(5, 8)", String("00000101")},
    ValueCase{"BIN(0, 0)", String("")},
    ValueCase{"BIN(0x80000000, 0)", String("1" + std::string(31, '0'))},
    ValueCase{"SUBSTR('abcdef', 2, 3)", String("bcd")},
    ValueCase{"SUBSTR('abc', 0, 2)", String("ab")},
    ValueCase{"SUBSTR('abc', 2, 100)", String("bc")},
    ValueCase{"SUBSTR('abc', 4, 1)", String("")},
    ValueCase{"SUBSTR('abc', 2, 0 - 1)", String("")},
    ValueCase{"FRAC(0 - 1.25)", Float(-0.25)},
    ValueCase{"TRUNC(0 - 1.75)", Integer(-1)},
    ValueCase{"ROUND(2.5)", Integer(2)},
    ValueCase{"ROUND(3.5)", Integer(4)},
    ValueCase{"ROUND(0 - 2.5)", Integer(-2)},
    ValueCase{"ABS(0 - 3)", Float(3.0)}));

INSTANTIATE_TEST_SUITE_P(Pictures, EvaluatesTo, testing::Values(
    ValueCase{"FORMATFLOAT('0.00', 3.14159)", String("3.14")},
    ValueCase{"FORMATFLOAT('0.00', 0 - 1.5)", String("-1.50")},
    ValueCase{"FORMATFLOAT('0.00', 0 - 0.001)", String("0.00")},
    ValueCase{"FORMATFLOAT('#,##0.00', 1234567.891)", String("1,234,567.89")},
    ValueCase{"FORMATFLOAT('0.###', 2.5)", String("2.5")},
    ValueCase{"FORMATFLOAT('000', 7)", String("007")},
    ValueCase{"FORMATFLOAT('#.##', 0.5)", String(".5")},
    ValueCase{"FORMATFLOAT('0.00E+00', 12345)", String("1.23E+04")},
    ValueCase{"FORMATFLOAT('0.0E-0', 0.0042)", String("4.2E-3")},
    ValueCase{"FORMATFLOAT('\"EUR \"0.00', 5)", String("EUR 5.00")},
    ValueCase{"FORMATFLOAT('0 \"%\"', 50)", String("50 %")},
    ValueCase{"FORMATFLOAT('', 1.5)", String("1.5")},
    ValueCase{"FORMATDATETIME('yyyy-mm-dd hh:nn:ss', 0)", String("1899-12-30 00:00:00")},
    ValueCase{"FORMATDATETIME('d.m.yy', 36526.5)", String("1.1.00")},
    ValueCase{"FORMATDATETIME('yyyy-mm-dd', 60) + FORMATDATETIME(' yyyy-mm-dd', 61)", String("1900-02-28 1900-03-01")},
    ValueCase{"FORMATDATETIME('YYYY-MM-DD HH:NN', 0 - 1.25)", String("1899-12-29 06:00")},
    ValueCase{"FORMATDATETIME('\"day\" d, h:n:s', 45000.75)", String("day 15, 18:0:0")},
    ValueCase{"FORMATDATETIME('', 45000.5)", String("2023-03-15 12:00:00")},
    ValueCase{"FORMATDATETIME('yyyy-mm-dd hh:nn:ss', 0.999999999999)", String("1899-12-31 00:00:00")},
    ValueCase{"FORMATDATETIME('yyyy-mm-dd', 0 - 693593)", String("0001-01-01")},
    ValueCase{"FORMATDATETIME('yyyy-mm-dd', 2958465)", String("9999-12-31")}));

// ---- errors ---------------------------------------------------------------------------------

struct ErrorCase {
    std::string_view text;
    const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* out)
{
    *out << "\"" << c.text << "\" raises \"" << c.message << "\"";
}

class RaisesError : public testing::TestWithParam<ErrorCase> {};

TEST_P(RaisesError, WithTheExpectedText)
{
    EXPECT_EQ(ErrorOf(GetParam().text), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Syntax, RaisesError, testing::Values(
    ErrorCase{"0=1", "Unknown operation: =. Position 2"},
    ErrorCase{"TRUE&&!FALSE", "Unknown operation: &&!. Position 5"},
    ErrorCase{"_", "Unknown operation: _. Position 1"},
    ErrorCase{"1 2", "Operation absent. Position 3"},
    ErrorCase{"0X1F", "Operation absent. Position 2"},
    ErrorCase{"1.0e5", "Operation absent. Position 4"},
    ErrorCase{"'abc", "Unterminated string. Position 1"},
    ErrorCase{"1 + 'it''s", "Unterminated string. Position 5"},
    ErrorCase{"'a\"", "Unterminated string. Position 1"},
    ErrorCase{"()", "Empty expression. Position 2"},
    ErrorCase{"(NULL)", "Empty expression. Position 6"},
    ErrorCase{"(1", "Unclosed brace. Position 3"},
    ErrorCase{"(1, 2)", "Unclosed brace. Position 3"},
    ErrorCase{"1 + INT(1", "Unclosed brace. Position 5"},
    ErrorCase{"FOO", "Unknown function: FOO. Position 1"},
    ErrorCase{"1 + foo_2(3)", "Unknown function: FOO_2. Position 5"},
    ErrorCase{"1 . 2", "Illegal character. Position 3"},
    ErrorCase{"[1]", "Illegal character. Position 1"},
    ErrorCase{"1 + \xC3\xA9", "Illegal character. Position 5"},
    ErrorCase{std::string_view("1 \0", 3), "Illegal character. Position 3"}));

INSTANTIATE_TEST_SUITE_P(Operands, RaisesError, testing::Values(
    ErrorCase{"1 && TRUE", "Invalid arguments for operation. Position 3"},
    ErrorCase{"1 + ", "Invalid arguments for operation. Position 3"},
    ErrorCase{"+1", "Invalid arguments for operation. Position 1"},
    ErrorCase{"! ! TRUE", "Invalid arguments for operation. Position 1"},
    ErrorCase{"! 1", "Invalid arguments for operation. Position 1"},
    ErrorCase{"~1.5", "Invalid arguments for operation. Position 1"},
    ErrorCase{"1 ~ 2", "Invalid arguments for operation. Position 3"},
    ErrorCase{"1 & 1.5", "Invalid arguments for operation. Position 3"},
    ErrorCase{"1 % 2.0", "Invalid arguments for operation. Position 3"},
    ErrorCase{"'a' * 2", "Invalid arguments for operation. Position 5"},
    ErrorCase{"'a' - 1", "Invalid arguments for operation. Position 5"},
    ErrorCase{"-'a'", "Invalid arguments for operation. Position 1"},
    ErrorCase{"'a' ** 2", "Invalid arguments for operation. Position 5"},
    ErrorCase{"NULL == 1", "Invalid arguments for operation. Position 6"},
    ErrorCase{"NULL + 1", "Invalid arguments for operation. Position 6"},
    // The refusing operator is named, not the one its right side read last.
    ErrorCase{"2 * -3", "Invalid arguments for operation. Position 3"},
    ErrorCase{"TRUE && 1 || FALSE", "Invalid arguments for operation. Position 6"},
    ErrorCase{"TRUE && (2 + 3)", "Invalid arguments for operation. Position 6"}));

INSTANTIATE_TEST_SUITE_P(PassedThrough, RaisesError, testing::Values(
    ErrorCase{"1 / 0", "Division by zero"},
    ErrorCase{"1 % FALSE", "Division by zero"},
    ErrorCase{"1.0 / 0", "Floating point division by zero"},
    ErrorCase{"0 ** 2", "Invalid floating point operation"},
    ErrorCase{"(0 - 2.0) ** 0.5", "Invalid floating point operation"},
    ErrorCase{"10 ** 30", "Invalid floating point operation"},
    ErrorCase{"10.0 ** 400", "Floating point overflow"},
    ErrorCase{"FLOAT('1e308') * 10", "Floating point overflow"},
    ErrorCase{"FLOAT('1e308') + FLOAT('1e308')", "Floating point overflow"},
    ErrorCase{"ROUND(FLOAT('1e300'))", "Invalid floating point operation"},
    ErrorCase{"2147483648", "'2147483648' is not a valid integer value"},
    ErrorCase{"0x123456789", "'0x123456789' is not a valid integer value"},
    ErrorCase{"INT('abc')", "'abc' is not a valid integer value"},
    ErrorCase{"FLOAT('1,5')", "1,5 isn't a valid float"}));

INSTANTIATE_TEST_SUITE_P(WrongArguments, RaisesError, testing::Values(
    ErrorCase{"FORMATDATETIME('yyyy')", "Error in function: FORMATDATETIME. Position 1"},
    ErrorCase{"FORMATDATETIME('yyyy', 3000000)", "Error in function: FORMATDATETIME. Position 1"},
    ErrorCase{"FORMATFLOAT('0')", "Error in function: FORMATFLOAT. Position 1"},
    ErrorCase{"INT()", "Error in function: INT. Position 1"},
    ErrorCase{"BOOL(1, 2)", "Error in function: BOOL. Position 1"},
    ErrorCase{"STRING", "Error in function: STRING. Position 1"},
    ErrorCase{"FLOAT(1, 2)", "Error in function: FLOAT. Position 1"},
    ErrorCase{"CASE(1)", "Error in function: CASE. Position 1"},
    ErrorCase{"CASE(2, 'a', 'b')", "Error in function: CASE. Position 1"},
    ErrorCase{"CASE(0 - 1, 'a')", "Error in function: CASE. Position 1"},
    ErrorCase{"ISNULL()", "Error in function: ISNULL. Position 1"},
    ErrorCase{"ISNULL(1, 2, 3)", "Error in function: ISNULL. Position 1"},
    ErrorCase{"IIF(TRUE, 1, 2, 3)", "Error in function: IIF. Position 1"},
    ErrorCase{"NULL(1)", "Error in function: NULL. Position 1"},
    ErrorCase{"TRUE(1)", "Error in function: TRUE. Position 1"},
    ErrorCase{"FALSE(1)", "Error in function: FALSE. Position 1"},
    ErrorCase{"HEX(1)", "Error in function: HEX. Position 1"},
    ErrorCase{"HEX(1, 257)", "Error in function: HEX. Position 1"},
    ErrorCase{"BIN(1, 2, 3)", "Error in function: BIN. Position 1"},
    ErrorCase{"SUBSTR('a', 1)", "Error in function: SUBSTR. Position 1"},
    ErrorCase{"FRAC()", "Error in function: FRAC. Position 1"},
    ErrorCase{"TRUNC(1, 2)", "Error in function: TRUNC. Position 1"},
    ErrorCase{"ROUND()", "Error in function: ROUND. Position 1"},
    ErrorCase{"DATE(1)", "Error in function: DATE. Position 1"},
    ErrorCase{"ABS()", "Error in function: ABS. Position 1"},
    ErrorCase{"1 + CASE(0, 1, 2, 3, 4, 5, 6, 7, 8)", "Error in function: CASE. Position 5"}));

// ---- calls ----------------------------------------------------------------------------------

TEST(FunctionCalls, PassEveryArgumentEmptyOnesAsNull)
{
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate("ARGCOUNT"), Integer(0));
    EXPECT_EQ(parser.Evaluate("ARGCOUNT( )"), Integer(0));
    EXPECT_EQ(parser.Evaluate("ARGCOUNT(1,,2)"), Integer(3));
    EXPECT_EQ(parser.Evaluate("ARGCOUNT(,)"), Integer(2));
    EXPECT_EQ(parser.Evaluate("ARGCOUNT(1, 2, 3, 4, 5, 6, 7, 8)"), Integer(8));
    EXPECT_EQ(ErrorOf("ARGCOUNT(1, 2, 3, 4, 5, 6, 7, 8, 9)"), "Error in function: ARGCOUNT. Position 1");
    EXPECT_EQ(ErrorOf("ARGCOUNT(1, 2, 3, 4, 5, 6, 7, 8, 9 +)"), "Invalid arguments for operation. Position 36");
}

TEST(FunctionCalls, ResultStartsNull)
{
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate("LEAVE_ALONE(1)"), ExprValue());
}

TEST(FunctionRegistry, FindsEveryBuiltInAndKeepsTheFirstOfTwoRegistrations)
{
    for (const char* name : {"FORMATDATETIME", "FORMATFLOAT", "INT", "BOOL", "STRING", "FLOAT", "CASE", "ISNULL", "IIF", "NULL",
                             "TRUE", "FALSE", "HEX", "BIN", "SUBSTR", "FRAC", "TRUNC", "ROUND", "DATE", "ABS"})
        EXPECT_NE(FindFunction(name), nullptr) << name;
    EXPECT_EQ(FindFunction("NOSUCH"), nullptr);
    EXPECT_EQ(FindFunction("argcount"), nullptr) << "lookups take upper-case names";

    RegisterFunction("TRUE", LeavesResultAlone);
    RegisterFunction("Argcount", LeavesResultAlone);
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate("TRUE"), Boolean(true));
    EXPECT_EQ(parser.Evaluate("ARGCOUNT(1)"), Integer(1));
}

TEST(FunctionRegistry, DateIsTheLocalDayCount)
{
    platform::LocalDateTime now = platform::LocalNow();
    char today[16];
    std::snprintf(today, sizeof today, "%04d-%02d-%02d", now.Year, now.Month, now.Day);
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate("FORMATDATETIME('yyyy-mm-dd', DATE)"), String(today));
    EXPECT_EQ(parser.Evaluate("DATE()").type, vtFloat);
}

// ---- the expressions the clouds generate ----------------------------------------------------

class CloudExpression : public testing::Test {
protected:
    // The program's EXISTS (or none) stays as it is: the fake lives in a registry of the test's own.
    CloudExpression() { functions.Register("EXISTS", FakeExists); }
    void TearDown() override { FakeFileText().clear(); }

    TFunctionRegistry functions;
    TExprParser parser{functions};

    // Clouds A, B, C; A and B overlap; pins in A only, in A and B, and outside all.
    const std::string expression = "(((EXISTS('A'))\n && !(EXISTS('B'))) \n|| ((EXISTS('A'))\n && (EXISTS('B')))) \n"
                                   "|| (!(EXISTS('A')) && !(EXISTS('B')) && !(EXISTS('C')))";
};

TEST_F(CloudExpression, PassesTheFilesOfPinnedRegions)
{
    for (const char* text : {"", "A", "AB", "AC", "ABC"}) {
        FakeFileText() = text;
        EXPECT_EQ(parser.Evaluate(expression), Boolean(true)) << "file text " << text;
    }
    for (const char* text : {"B", "C", "BC"}) {
        FakeFileText() = text;
        EXPECT_EQ(parser.Evaluate(expression), Boolean(false)) << "file text " << text;
    }
}

TEST_F(CloudExpression, SearchesTheKeywordUnconverted)
{
    FakeFileText() = "1 INVOICE";
    EXPECT_EQ(parser.Evaluate("exists('INVOICE')"), Boolean(true));
    EXPECT_EQ(parser.Evaluate("EXISTS(1)"), Boolean(false));
    EXPECT_EQ(parser.Evaluate("EXISTS('')"), Boolean(false));
    try {
        parser.Evaluate("EXISTS('A', 'B')");
        ADD_FAILURE() << "two keywords are no call of EXISTS";
    } catch (const EParserError& error) {
        EXPECT_STREQ(error.what(), "Error in function: EXISTS. Position 1");
    }
}

// A function that carries its context, a scoped fake in the program's own registry, and a parser
// with a registry of its own, all in one test program without one locking out the other.
TEST(FunctionRegistry, ContextCarryingFunctionsAndScopedFakes)
{
    struct TFileContext {
        std::string text;
    } context{"total 42"};
    TFunctionRegistry own;
    own.Register("EXISTS", [&context](int count, ExprValue* args, ExprValue& result) {
        if (count != 1 || args[0].type != vtString)
            return false;
        result.SetBoolean(context.text.find(args[0].text) != std::string::npos);
        return true;
    });
    TExprParser contextParser(own);
    EXPECT_EQ(contextParser.Evaluate("EXISTS('42')"), Boolean(true));
    context.text = "nothing";
    EXPECT_EQ(contextParser.Evaluate("EXISTS('42')"), Boolean(false));

    // The program's registry holds the tests' shared EXISTS; a scoped stand-in replaces it for a while.
    TExprParser programParser;
    FakeFileText() = "x";
    EXPECT_EQ(programParser.Evaluate("EXISTS('x')"), Boolean(true));
    {
        TScopedFunction fake(DefaultFunctions(), "exists", [](int, ExprValue*, ExprValue& result) {
            result.SetBoolean(false);
            return true;
        });
        EXPECT_EQ(programParser.Evaluate("EXISTS('x')"), Boolean(false));
        {
            TScopedFunction inner(DefaultFunctions(), "TRUE", [](int, ExprValue*, ExprValue& result) {
                result.SetInteger(7);
                return true;
            });
            EXPECT_EQ(programParser.Evaluate("TRUE"), Integer(7));
        }
        EXPECT_EQ(programParser.Evaluate("TRUE"), Boolean(true)) << "the built-in comes back";
    }
    EXPECT_EQ(programParser.Evaluate("EXISTS('x')"), Boolean(true)) << "the shared EXISTS comes back";
    FakeFileText().clear();
    {
        TScopedFunction added(DefaultFunctions(), "ONLY_HERE", [](int, ExprValue*, ExprValue&) { return true; });
        EXPECT_NE(FindFunction("ONLY_HERE"), nullptr);
    }
    EXPECT_EQ(FindFunction("ONLY_HERE"), nullptr);
    EXPECT_FALSE(own.Register("exists", LeavesResultAlone)) << "the first registration stays";
}

// ---- state between evaluations and hostile nesting --------------------------------------------

TEST(ParserState, OneParserEvaluatesTextsAfterEachOtherAndAfterErrors)
{
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate("1 + 2"), Integer(3));
    // The same position held another operator in the last text: the cache must not answer.
    EXPECT_EQ(parser.Evaluate("3 * 2"), Integer(6));
    EXPECT_THROW(parser.Evaluate("(((1 +"), EParserError);
    EXPECT_EQ(parser.Evaluate("4 - 1"), Integer(3));
}

TEST(ParserState, DeepNestingWithinTheLimitEvaluates)
{
    // The whole text is one level, each parenthesis one more.
    int depth = TExprParser::kMaxNesting - 1;
    std::string text = std::string(depth, '(') + "1" + std::string(depth, ')');
    TExprParser parser;
    EXPECT_EQ(parser.Evaluate(text), Integer(1));
}

TEST(ParserState, NestingBeyondTheStackRaisesAnError)
{
    for (std::string opening : {"(", "INT(", "- (", "~(", "ISNULL(,"}) {
        std::string text;
        for (int i = 0; i < 100000; ++i)
            text += opening;
        EXPECT_EQ(ErrorOf(text).rfind("Expression nested too deeply. Position ", 0), 0u) << opening;
    }
}

} // namespace

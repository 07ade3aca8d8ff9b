#include "conditions/ParsOp.h"

#include <algorithm>
#include <cmath>
#include <compare>

namespace {

// Integer arithmetic wraps like 32-bit two's complement: done on unsigned values, whose overflow
// is defined, and brought back (the conversion to a signed type is modular since C++20).
std::int32_t Wrapped(std::uint32_t value)
{
    return static_cast<std::int32_t>(value);
}

std::uint32_t Bits(std::int32_t value)
{
    return static_cast<std::uint32_t>(value);
}

bool IsBooleanOrInteger(const ExprValue& value)
{
    return value.type == vtBoolean || value.type == vtInteger;
}

// Brings both operands to the higher of their types, at least integer, and gives that type.
ValueType Unify(ExprValue& left, ExprValue& right)
{
    ValueType common = std::max({left.type, right.type, vtInteger});
    ConvertValue(left, common);
    ConvertValue(right, common);
    return common;
}

// ---- bitwise --------------------------------------------------------------------------------

template <typename Operation>
bool Bitwise(ExprValue& accumulator, ExprValue& right, Operation operation)
{
    if (!IsBooleanOrInteger(accumulator) || !IsBooleanOrInteger(right))
        return false;
    ConvertValue(accumulator, vtInteger);
    ConvertValue(right, vtInteger);
    accumulator.SetInteger(Wrapped(operation(Bits(accumulator.integer), Bits(right.integer))));
    return true;
}

bool Complement(ExprValue& accumulator, ExprValue& right)
{
    if (!accumulator.IsNull() || !IsBooleanOrInteger(right))
        return false;
    ConvertValue(right, vtInteger);
    accumulator.SetInteger(Wrapped(~Bits(right.integer)));
    return true;
}

bool BitAnd(ExprValue& a, ExprValue& b) { return Bitwise(a, b, [](std::uint32_t x, std::uint32_t y) { return x & y; }); }
bool BitOr(ExprValue& a, ExprValue& b) { return Bitwise(a, b, [](std::uint32_t x, std::uint32_t y) { return x | y; }); }
bool BitXor(ExprValue& a, ExprValue& b) { return Bitwise(a, b, [](std::uint32_t x, std::uint32_t y) { return x ^ y; }); }
bool ShiftLeft(ExprValue& a, ExprValue& b) { return Bitwise(a, b, [](std::uint32_t x, std::uint32_t y) { return x << (y & 31); }); }
bool ShiftRight(ExprValue& a, ExprValue& b) { return Bitwise(a, b, [](std::uint32_t x, std::uint32_t y) { return x >> (y & 31); }); }

// ---- logical: booleans exactly as they are, no conversion --------------------------------

template <typename Operation>
bool Logical(ExprValue& accumulator, ExprValue& right, Operation operation)
{
    if (accumulator.type != vtBoolean || right.type != vtBoolean)
        return false;
    accumulator.SetBoolean(operation(accumulator.boolean, right.boolean));
    return true;
}

bool LogicalNot(ExprValue& accumulator, ExprValue& right)
{
    if (!accumulator.IsNull() || right.type != vtBoolean)
        return false;
    accumulator.SetBoolean(!right.boolean);
    return true;
}

bool LogicalAnd(ExprValue& a, ExprValue& b) { return Logical(a, b, [](bool x, bool y) { return x && y; }); }
bool LogicalOr(ExprValue& a, ExprValue& b) { return Logical(a, b, [](bool x, bool y) { return x || y; }); }
bool LogicalXor(ExprValue& a, ExprValue& b) { return Logical(a, b, [](bool x, bool y) { return x != y; }); }

// ---- comparisons ----------------------------------------------------------------------------

std::partial_ordering OrderOf(const ExprValue& left, const ExprValue& right)
{
    switch (left.type) {
    case vtInteger: return left.integer <=> right.integer;
    case vtFloat: return left.real <=> right.real;
    // Byte codes decide, case-sensitively: the comparison of char_traits<char> is unsigned.
    default: return left.text.compare(right.text) <=> 0;
    }
}

template <typename Relation>
bool Comparison(ExprValue& accumulator, ExprValue& right, Relation holds)
{
    if (accumulator.IsNull())
        return false;
    Unify(accumulator, right);
    accumulator.SetBoolean(holds(OrderOf(accumulator, right)));
    return true;
}

bool GreaterOrEqual(ExprValue& a, ExprValue& b) { return Comparison(a, b, [](std::partial_ordering o) { return o >= 0; }); }
bool LessOrEqual(ExprValue& a, ExprValue& b) { return Comparison(a, b, [](std::partial_ordering o) { return o <= 0; }); }
bool Equal(ExprValue& a, ExprValue& b) { return Comparison(a, b, [](std::partial_ordering o) { return o == 0; }); }
bool NotEqual(ExprValue& a, ExprValue& b) { return Comparison(a, b, [](std::partial_ordering o) { return o != 0; }); }
bool Greater(ExprValue& a, ExprValue& b) { return Comparison(a, b, [](std::partial_ordering o) { return o > 0; }); }
bool Less(ExprValue& a, ExprValue& b) { return Comparison(a, b, [](std::partial_ordering o) { return o < 0; }); }

// ---- arithmetic -----------------------------------------------------------------------------

// Applies the integer or the float form according to the common type; strings are refused.
template <typename IntegerOperation, typename FloatOperation>
bool Arithmetic(ExprValue& accumulator, ExprValue& right, IntegerOperation onIntegers, FloatOperation onFloats)
{
    if (accumulator.IsNull())
        return false;
    switch (Unify(accumulator, right)) {
    case vtInteger: accumulator.SetInteger(onIntegers(accumulator.integer, right.integer)); return true;
    case vtFloat: accumulator.SetFloat(CheckedFloat(onFloats(accumulator.real, right.real))); return true;
    default: return false;
    }
}

double Power(double base, double exponent)
{
    // The power is e^(y ln x), defined for a positive base only.
    if (!(base > 0.0))
        throw EMathError(kInvalidFloatOperation);
    return CheckedFloat(std::pow(base, exponent));
}

std::int32_t IntegerQuotient(std::int32_t dividend, std::int32_t divisor)
{
    if (divisor == 0)
        throw EMathError(kDivisionByZero);
    // The one quotient that does not fit wraps to the dividend itself.
    if (divisor == -1)
        return Wrapped(0u - Bits(dividend));
    return dividend / divisor;
}

double FloatQuotient(double dividend, double divisor)
{
    if (divisor == 0.0)
        throw EMathError(kFloatDivisionByZero);
    return dividend / divisor;
}

std::int32_t IntegerRemainder(std::int32_t dividend, std::int32_t divisor)
{
    if (divisor == 0)
        throw EMathError(kDivisionByZero);
    // lowest % -1 would trap on the hardware; every remainder by -1 is 0.
    if (divisor == -1)
        return 0;
    return dividend % divisor;
}

bool Raise(ExprValue& a, ExprValue& b)
{
    return Arithmetic(a, b, [](std::int32_t x, std::int32_t y) { return RoundToInteger(Power(x, y)); }, Power);
}

bool Divide(ExprValue& a, ExprValue& b)
{
    return Arithmetic(a, b, IntegerQuotient, FloatQuotient);
}

bool Multiply(ExprValue& a, ExprValue& b)
{
    return Arithmetic(a, b, [](std::int32_t x, std::int32_t y) { return Wrapped(Bits(x) * Bits(y)); }, [](double x, double y) { return x * y; });
}

bool Remainder(ExprValue& accumulator, ExprValue& right)
{
    if (accumulator.IsNull() || Unify(accumulator, right) != vtInteger)
        return false;
    accumulator.SetInteger(IntegerRemainder(accumulator.integer, right.integer));
    return true;
}

bool Negate(ExprValue& accumulator, ExprValue& right)
{
    if (right.type == vtString)
        return false;
    if (right.type == vtFloat) {
        accumulator.SetFloat(-right.real);
        return true;
    }
    ConvertValue(right, vtInteger);
    accumulator.SetInteger(Wrapped(0u - Bits(right.integer)));
    return true;
}

bool Subtract(ExprValue& accumulator, ExprValue& right)
{
    if (accumulator.IsNull())
        return Negate(accumulator, right);
    return Arithmetic(accumulator, right, [](std::int32_t x, std::int32_t y) { return Wrapped(Bits(x) - Bits(y)); }, [](double x, double y) { return x - y; });
}

bool Add(ExprValue& accumulator, ExprValue& right)
{
    if (!accumulator.IsNull() && (accumulator.type == vtString || right.type == vtString)) {
        Unify(accumulator, right);
        accumulator.text += right.text;
        return true;
    }
    return Arithmetic(accumulator, right, [](std::int32_t x, std::int32_t y) { return Wrapped(Bits(x) + Bits(y)); }, [](double x, double y) { return x + y; });
}

constexpr std::array<TOperator, kOperatorCount> kOperators{{
    {"~", 14, Complement},
    {"&", 12, BitAnd},
    {"|", 12, BitOr},
    {"^", 12, BitXor},
    {"<<", 13, ShiftLeft},
    {">>", 13, ShiftRight},
    {"!", 3, LogicalNot},
    {"&&", 1, LogicalAnd},
    {"||", 1, LogicalOr},
    {"^^", 1, LogicalXor},
    {">=", 2, GreaterOrEqual},
    {"<=", 2, LessOrEqual},
    {"==", 2, Equal},
    {"!=", 2, NotEqual},
    {">", 2, Greater},
    {"<", 2, Less},
    {"**", 9, Raise},
    {"/", 7, Divide},
    {"*", 7, Multiply},
    {"%", 7, Remainder},
    {"-", 5, Subtract},
    {"+", 5, Add},
}};

} // namespace

const std::array<TOperator, kOperatorCount>& OperatorTable()
{
    return kOperators;
}

const TOperator* FindOperator(std::string_view symbol)
{
    auto found = std::find_if(kOperators.begin(), kOperators.end(), [symbol](const TOperator& entry) { return entry.Symbol == symbol; });
    return found == kOperators.end() ? nullptr : &*found;
}

bool IsOperatorChar(char c)
{
    constexpr std::string_view operatorChars = "!#$%&*+-/<=>?@\\^_|~`";
    return c != '\0' && operatorChars.find(c) != std::string_view::npos;
}

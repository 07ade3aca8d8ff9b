#pragma once
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

// The value type of the expression evaluator, its conversions and the errors they raise.

// The numeric order matters: operators bring both operands to the higher of the two types.
enum ValueType : std::uint8_t { vtNull = 0, vtBoolean = 1, vtInteger = 2, vtFloat = 3, vtString = 4 };

// One value. Only the field that belongs to the type is meaningful; the others stay at their
// zero value, so a value never carries stale data from an earlier type.
struct ExprValue {
    ValueType type = vtNull;
    std::string text;
    bool boolean = false;
    std::int32_t integer = 0;
    double real = 0.0;

    static ExprValue MakeBoolean(bool value);
    static ExprValue MakeInteger(std::int32_t value);
    static ExprValue MakeFloat(double value);
    static ExprValue MakeString(std::string value);

    void SetNull();
    void SetBoolean(bool value);
    void SetInteger(std::int32_t value);
    void SetFloat(double value);
    void SetString(std::string value);

    bool IsNull() const { return type == vtNull; }
    // Same type and same meaningful field.
    bool operator==(const ExprValue& other) const;
};

// Writes the type and the value, as in "integer 3" or "string 'abc'", for logs and test reports.
std::ostream& operator<<(std::ostream& out, const ExprValue& value);

// A text that does not read as the requested number ("'%s' is not a valid integer value",
// "%s isn't a valid float").
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Arithmetic errors: "Division by zero", "Floating point division by zero",
// "Invalid floating point operation", "Floating point overflow".
class EMathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kDivisionByZero = "Division by zero";
inline constexpr const char* kFloatDivisionByZero = "Floating point division by zero";
inline constexpr const char* kInvalidFloatOperation = "Invalid floating point operation";
inline constexpr const char* kFloatOverflow = "Floating point overflow";

// Converts the value in place to the target type; converting to the value's own type does nothing.
void ConvertValue(ExprValue& value, ValueType target);

// The fixed 23-character scientific form: sign position, d.dddddddddddddd, E, sign, four digits.
std::string FloatToText(double value);
// Raises the EConvertError of a text that is no 32-bit integer.
[[noreturn]] void RaiseNotInteger(std::string_view text);
// Decimal integer text, optionally signed, blanks allowed around it; raises EConvertError.
std::int32_t TextToInteger(std::string_view text);
// Decimal real text with a point and an optional exponent, whatever the locale; raises EConvertError.
double TextToFloat(std::string_view text);

// Round to nearest (ties to even) or truncate to a 64-bit integer and keep the low 32 bits, the
// way 32-bit integer arithmetic wraps. A value beyond the 64-bit range raises EMathError.
std::int32_t RoundToInteger(double value);
std::int32_t TruncateToInteger(double value);
// Raises EMathError for an infinite ("Floating point overflow") or undefined result.
double CheckedFloat(double value);

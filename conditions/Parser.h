#pragma once
#include "conditions/ParsGlob.h"
#include "conditions/ParsOp.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

// An error of the evaluator's own; its message is "<text>. Position <n>", n being the 1-based
// index of the character at fault.
class EParserError : public std::runtime_error {
public:
    EParserError(const std::string& text, std::size_t position);
    std::size_t Position() const { return position_; }

private:
    std::size_t position_;
};

// Scans and evaluates an expression text in one pass, from scratch each time. Holds scanning
// state only, so one object evaluates any number of texts, one at a time; a function called
// during an evaluation must not evaluate with the same object.
class TFunctionRegistry;

class TExprParser {
public:
    // Calls the functions of the registry given, by default the program's.
    explicit TExprParser(const TFunctionRegistry& functions);
    TExprParser();

    // The value of the text (null for an empty one). Raises EParserError for faults of the text,
    // and lets EConvertError and EMathError of conversions and arithmetic pass as they are.
    ExprValue Evaluate(std::string_view text);

    // Parentheses, arguments and operators nested deeper than this raise an error, well before
    // the machine stack would run out.
    static constexpr int kMaxNesting = 1000;

private:
    // The last operator read, so that an operator handed back to a caller of lower priority is
    // not looked up a second time.
    struct OperatorCache {
        std::size_t start = 0;
        const TOperator* entry = nullptr;
        std::size_t end = 0;
    };

    const TFunctionRegistry* functions_;
    std::string_view text_;
    std::size_t position_ = 1;
    OperatorCache lastOperator_;
    int nesting_ = 0;

    bool AtEnd() const { return position_ > text_.size(); }
    char Current() const { return text_[position_ - 1]; }
    char At(std::size_t position) const { return position <= text_.size() ? text_[position - 1] : '\0'; }
    void SkipBlanks();

    void ParseExpression(int lowestPriority, ExprValue& accumulator);
    bool ApplyNextOperator(int lowestPriority, ExprValue& accumulator);
    void ParseOperand(ExprValue& accumulator);
    void ParseString(ExprValue& accumulator);
    void ParseParenthesized(ExprValue& accumulator);
    void ParseNumber(ExprValue& accumulator);
    void ParseHexNumber(ExprValue& accumulator);
    void ParseFunctionCall(ExprValue& accumulator);
    int ParseArguments(ExprValue* arguments);
    const TOperator& ReadOperator();

    [[noreturn]] void Fail(const std::string& text, std::size_t position) const;
};

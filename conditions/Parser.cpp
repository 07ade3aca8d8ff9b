#include "conditions/Parser.h"

#include "conditions/ParsFunc.h"

namespace {

bool IsBlank(char c)
{
    return c >= 1 && c <= 32;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsIdentifierChar(char c)
{
    return IsLetter(c) || IsDigit(c) || c == '_';
}

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

bool StartsOperand(char c)
{
    return IsQuote(c) || c == '(' || IsDigit(c) || IsLetter(c);
}

bool EndsExpression(char c)
{
    return c == ')' || c == ',';
}

std::uint32_t HexValue(char c)
{
    if (IsDigit(c))
        return static_cast<std::uint32_t>(c - '0');
    return static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

EParserError::EParserError(const std::string& text, std::size_t position)
    : std::runtime_error(text + ". Position " + std::to_string(position)), position_(position)
{
}

TExprParser::TExprParser(const TFunctionRegistry& functions) : functions_(&functions) {}

TExprParser::TExprParser() : TExprParser(DefaultFunctions()) {}

ExprValue TExprParser::Evaluate(std::string_view text)
{
    text_ = text;
    position_ = 1;
    lastOperator_ = {};
    nesting_ = 0;
    ExprValue result;
    SkipBlanks();
    ParseExpression(0, result);
    return result;
}

void TExprParser::Fail(const std::string& text, std::size_t position) const
{
    throw EParserError(text, position);
}

void TExprParser::SkipBlanks()
{
    while (!AtEnd() && IsBlank(Current()))
        ++position_;
}

void TExprParser::ParseExpression(int lowestPriority, ExprValue& accumulator)
{
    // Every way of nesting (parentheses, arguments, operands of operators) passes here.
    struct NestingLevel {
        int& depth;
        explicit NestingLevel(int& d) : depth(++d) {}
        ~NestingLevel() { --depth; }
    } level(nesting_);
    if (nesting_ > kMaxNesting)
        Fail("Expression nested too deeply", position_);

    accumulator.SetNull();
    while (!AtEnd() && !EndsExpression(Current())) {
        if (StartsOperand(Current())) {
            if (!accumulator.IsNull())
                Fail("Operation absent", position_);
            ParseOperand(accumulator);
            continue;
        }
        if (!ApplyNextOperator(lowestPriority, accumulator))
            return;
    }
}

// Reads the operator at the position and applies it to the accumulator and the right operand
// evaluated after it. One that binds no tighter than the lowest priority is left for the caller
// instead: the position goes back onto it and the answer is false.
bool TExprParser::ApplyNextOperator(int lowestPriority, ExprValue& accumulator)
{
    if (!IsOperatorChar(Current()))
        Fail("Illegal character", position_);
    std::size_t start = position_;
    const TOperator& entry = ReadOperator();
    if (entry.Priority <= lowestPriority) {
        position_ = start;
        return false;
    }
    ExprValue right;
    ParseExpression(entry.Priority, right);
    // Reported at the operator that refused, not at whichever operator the right side read last.
    if (right.IsNull() || !entry.Apply(accumulator, right))
        Fail("Invalid arguments for operation", start);
    return true;
}

const TOperator& TExprParser::ReadOperator()
{
    if (lastOperator_.entry == nullptr || lastOperator_.start != position_) {
        std::size_t end = position_;
        while (end <= text_.size() && IsOperatorChar(text_[end - 1]))
            ++end;
        std::string_view symbol = text_.substr(position_ - 1, end - position_);
        const TOperator* entry = FindOperator(symbol);
        if (entry == nullptr)
            Fail("Unknown operation: " + std::string(symbol), position_);
        lastOperator_ = {position_, entry, end};
    }
    position_ = lastOperator_.end;
    SkipBlanks();
    return *lastOperator_.entry;
}

void TExprParser::ParseOperand(ExprValue& accumulator)
{
    char c = Current();
    if (IsQuote(c))
        ParseString(accumulator);
    else if (c == '(')
        ParseParenthesized(accumulator);
    else if (IsDigit(c))
        ParseNumber(accumulator);
    else
        ParseFunctionCall(accumulator);
    SkipBlanks();
}

void TExprParser::ParseString(ExprValue& accumulator)
{
    const char quote = Current();
    const std::size_t opening = position_;
    std::string value;
    std::size_t from = position_; // 0-based index just after the opening quote
    for (;;) {
        std::size_t close = text_.find(quote, from);
        if (close == std::string_view::npos)
            Fail("Unterminated string", opening);
        value.append(text_.substr(from, close - from));
        // A doubled quote stands for one quote character and the literal goes on.
        if (close + 1 < text_.size() && text_[close + 1] == quote) {
            value += quote;
            from = close + 2;
            continue;
        }
        position_ = close + 2;
        break;
    }
    accumulator.SetString(std::move(value));
}

void TExprParser::ParseParenthesized(ExprValue& accumulator)
{
    ++position_;
    SkipBlanks();
    ParseExpression(0, accumulator);
    if (AtEnd() || Current() != ')')
        Fail("Unclosed brace", position_);
    if (accumulator.IsNull())
        Fail("Empty expression", position_);
    ++position_;
}

void TExprParser::ParseNumber(ExprValue& accumulator)
{
    if (Current() == '0' && At(position_ + 1) == 'x') {
        ParseHexNumber(accumulator);
        return;
    }
    const std::size_t start = position_;
    while (!AtEnd() && IsDigit(Current()))
        ++position_;
    if (AtEnd() || Current() != '.') {
        accumulator.SetInteger(TextToInteger(text_.substr(start - 1, position_ - start)));
        return;
    }
    ++position_;
    while (!AtEnd() && IsDigit(Current()))
        ++position_;
    accumulator.SetFloat(TextToFloat(text_.substr(start - 1, position_ - start)));
}

void TExprParser::ParseHexNumber(ExprValue& accumulator)
{
    const std::size_t start = position_;
    position_ += 2;
    std::uint32_t value = 0;
    int significantDigits = 0;
    for (; !AtEnd() && IsHexDigit(Current()); ++position_) {
        if (significantDigits == 0 && Current() == '0')
            continue;
        // A ninth significant digit does not fit 32 bits: refused like an oversized decimal.
        if (++significantDigits > 8) {
            while (!AtEnd() && IsHexDigit(Current()))
                ++position_;
            RaiseNotInteger(text_.substr(start - 1, position_ - start));
        }
        value = value << 4 | HexValue(Current());
    }
    accumulator.SetInteger(static_cast<std::int32_t>(value));
}

void TExprParser::ParseFunctionCall(ExprValue& accumulator)
{
    const std::size_t start = position_;
    std::string name;
    for (; !AtEnd() && IsIdentifierChar(Current()); ++position_)
        name += UpperAscii(Current());
    SkipBlanks();

    ExprValue arguments[kMaxArguments];
    int count = 0;
    if (!AtEnd() && Current() == '(') {
        count = ParseArguments(arguments);
        if (AtEnd() || Current() != ')')
            Fail("Unclosed brace", start);
        ++position_;
    }
    const ExprFunction* function = functions_->Find(name);
    if (function == nullptr)
        Fail("Unknown function: " + name, start);
    accumulator.SetNull();
    if (count > kMaxArguments || !(*function)(count, arguments, accumulator))
        Fail("Error in function: " + name, start);
}

// Reads the arguments after the opening parenthesis up to (not past) the character that ends the
// list and gives their number; arguments beyond the array are evaluated and dropped, so that the
// text is still checked, and the count tells the caller there were too many.
int TExprParser::ParseArguments(ExprValue* arguments)
{
    ++position_;
    SkipBlanks();
    if (!AtEnd() && Current() == ')')
        return 0;
    int count = 0;
    ExprValue dropped;
    for (;;) {
        ParseExpression(0, count < kMaxArguments ? arguments[count] : dropped);
        ++count;
        if (AtEnd() || Current() != ',')
            return count;
        ++position_;
        SkipBlanks();
    }
}

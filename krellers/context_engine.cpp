#include "krellers/context_engine.h"

#include "platform/ContentFile.h"

#include <algorithm>
#include <cmath>

namespace {

// Empties the text on every way out of a test, errors included.
class TTextClearer {
public:
    explicit TTextClearer(TContextText& text) : text_(text) {}
    ~TTextClearer() { text_.Clear(); }
    TTextClearer(const TTextClearer&) = delete;
    TTextClearer& operator=(const TTextClearer&) = delete;

private:
    TContextText& text_;
};

// Thrown through the evaluator when the user gives the file up while its text is upper-cased.
struct TGivenUp {};

} // namespace

bool ContextValuePasses(const ExprValue& value)
{
    switch (value.type) {
    case vtBoolean:
        return value.boolean;
    case vtInteger:
        return value.integer != 0;
    case vtFloat:
        return value.real != 0.0 && !std::isnan(value.real);
    case vtNull:
    case vtString:
        break;
    }
    return false;
}

TContextEngine::TContextEngine(TContextWatch watch) : watch_(std::move(watch))
{
    functions_.Register("EXISTS", [this](int count, ExprValue* arguments, ExprValue& result) {
        return text_.Exists(count, arguments, result);
    });
    text_.SetUpperCaser([this] {
        if (!UpperCaseAll())
            throw TGivenUp();
    });
}

bool TContextEngine::TestFile(const std::string& path, std::string_view expression, const TCartridgeText& cartridgeText)
{
    const TTextClearer clearer(text_);
    if (watch_.CurrentFileAbandoned() || !LoadText(path, cartridgeText) || watch_.CurrentFileAbandoned())
        return false;
    try {
        return Judge(expression);
    } catch (const TGivenUp&) {
        return false;  // while the text was upper-cased for a search
    }
}

bool TContextEngine::Judge(std::string_view expression)
{
    const std::optional<TContextPlan>& plan = PlanOf(expression);
    if (!plan)
        return ContextValuePasses(parser_.Evaluate(expression));
    std::uint32_t known = 0, present = 0;
    for (std::size_t i = 0;; ++i) {
        if (const std::optional<bool> verdict = plan->Verdict(known, present))
            return *verdict;
        const std::uint32_t bit = std::uint32_t{1} << i;
        known |= bit;
        if (text_.Contains(plan->Keywords()[i]))
            present |= bit;
    }
}

// A search tests every file against the same condition: it is planned once.
const std::optional<TContextPlan>& TContextEngine::PlanOf(std::string_view expression)
{
    if (!planned_ || expression != plannedExpression_) {
        plan_ = TContextPlan::Make(expression, ContextValuePasses);
        plannedExpression_ = expression;
        planned_ = true;
    }
    return plan_;
}

bool TContextEngine::LoadText(const std::string& path, const TCartridgeText& cartridgeText)
{
    if (std::optional<std::string> text = cartridgeText ? cartridgeText(path) : std::nullopt) {
        text_.Adopt(std::move(*text));
        return true;
    }
    return ReadFile(path);
}

// Reads in large steps into one buffer sized from the file. A file that shrinks meanwhile gives
// what was there; growth is not read.
bool TContextEngine::ReadFile(const std::string& path)
{
    platform::TContentFile file(path);
    if (file.Kind() == platform::TContentFile::TKind::Unopenable)
        return false;
    const auto size = static_cast<std::size_t>(file.SizeWhenOpened());
    char* buffer = text_.Reserve(size);
    std::size_t read = 0;
    while (read < size) {
        if (GivenUp())
            return false;
        const std::size_t got = file.Read(buffer + read, std::min(StepBytes, size - read));
        if (got == 0)
            break;
        read += got;
    }
    text_.SetLength(read);
    return true;
}

bool TContextEngine::UpperCaseAll()
{
    char* text = text_.Data();
    const std::size_t length = text_.RawView().size();
    for (std::size_t at = 0; at < length;) {
        if (GivenUp())
            return false;
        at = UpperCaseLocaleRange(text, length, at, std::min(length, at + StepBytes));
    }
    return true;
}

bool TContextEngine::GivenUp()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastEvents_ >= EventInterval) {
        lastEvents_ = now;
        watch_.ProcessEvents();
    }
    return watch_.CurrentFileAbandoned();
}

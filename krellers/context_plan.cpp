#include "krellers/context_plan.h"

#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Raised by the stand-ins when a condition cannot be planned.
struct TUnplannable {};

// Evaluates a condition with EXISTS answering from a bit set of present keywords instead of a text.
// The first evaluation (nothing present) learns the keywords; a keyword that shows up later
// depends on earlier answers, and such a condition is not planned.
class TCombinationEvaluator {
public:
    TCombinationEvaluator()
    {
        functions_.Register("EXISTS", [this](int count, ExprValue* arguments, ExprValue& result) {
            return Exists(count, arguments, result);
        });
    }

    ExprValue Evaluate(std::string_view expression, std::uint32_t present)
    {
        present_ = present;
        return parser_.Evaluate(expression);
    }

    void StopLearning() { learning_ = false; }
    const std::vector<std::string>& Keywords() const { return keywords_; }

private:
    // Mirrors the real EXISTS: one argument; a value that is no string is never found.
    bool Exists(int count, ExprValue* arguments, ExprValue& result)
    {
        if (count != 1)
            return false;
        if (arguments[0].type != vtString) {
            result.SetBoolean(false);
            return true;
        }
        result.SetBoolean((present_ >> IndexOf(arguments[0].text)) & 1U);
        return true;
    }

    std::size_t IndexOf(const std::string& keyword)
    {
        const auto found = std::find(keywords_.begin(), keywords_.end(), keyword);
        if (found != keywords_.end())
            return static_cast<std::size_t>(found - keywords_.begin());
        if (!learning_ || keywords_.size() == TContextPlan::kMaxKeywords)
            throw TUnplannable();
        keywords_.push_back(keyword);
        return keywords_.size() - 1;
    }

    static bool Unplannable(int, ExprValue*, ExprValue&) { throw TUnplannable(); }

    TFunctionRegistry functions_;  // the built-ins
    // Today's date changes the value without any keyword: such a condition is evaluated per file.
    TScopedFunction noDate_{functions_, "DATE", Unplannable};
    TExprParser parser_{functions_};
    std::vector<std::string> keywords_;
    std::uint32_t present_ = 0;
    bool learning_ = true;
};

} // namespace

std::optional<TContextPlan> TContextPlan::Make(std::string_view expression, const TPasses& passes)
{
    TCombinationEvaluator evaluator;
    TContextPlan plan;
    try {
        plan.passes_.push_back(passes(evaluator.Evaluate(expression, 0)));
        evaluator.StopLearning();
        const std::uint32_t combinations = std::uint32_t{1} << evaluator.Keywords().size();
        for (std::uint32_t present = 1; present < combinations; ++present)
            plan.passes_.push_back(passes(evaluator.Evaluate(expression, present)));
    } catch (const TUnplannable&) {
        return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;  // the error is the file test's to raise
    }
    plan.keywords_ = evaluator.Keywords();
    return plan;
}

std::optional<bool> TContextPlan::Verdict(std::uint32_t known, std::uint32_t present) const
{
    const std::optional<bool> first = passes_[present];
    // Every combination that agrees with what is known: the unknown bits run through all values.
    const std::uint32_t unknown = static_cast<std::uint32_t>(passes_.size() - 1) & ~known;
    for (std::uint32_t rest = unknown; rest != 0; rest = (rest - 1) & unknown)
        if (passes_[present | rest] != *first)
            return std::nullopt;
    return first;
}

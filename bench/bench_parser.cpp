// Evaluations per second of an expression shaped like the ones the clouds generate: ten keyword
// clouds that all overlap, four pins. EXISTS is a fake over a short text, so the figure is the
// evaluator's own cost, to set beside the cost of reading and upper-casing a file.
#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"

#include <benchmark/benchmark.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kFileText = "KEYWORD0 KEYWORD3 KEYWORD4 SOME OTHER TEXT OF THE FILE";

bool FakeExists(int count, ExprValue* args, ExprValue& result)
{
    if (count != 1)
        return false;
    result.SetBoolean(args[0].type == vtString && !args[0].text.empty() && kFileText.find(args[0].text) != std::string_view::npos);
    return true;
}

std::string Body(int cloud)
{
    return "EXISTS('KEYWORD" + std::to_string(cloud) + "')";
}

// The term of a pin inside the given clouds, every cloud overlapping every other.
std::string RegionTerm(const std::set<int>& inside, int cloudCount)
{
    std::string term;
    auto append = [&term](std::string_view joint, int cloud) { term.append(joint).append(Body(cloud)).append(")"); };
    if (inside.empty()) {
        for (int cloud = 0; cloud < cloudCount; ++cloud)
            append(cloud == 0 ? "!(" : " && !(", cloud);
        return term;
    }
    int first = *inside.begin();
    append("(", first);
    for (int cloud : inside)
        if (cloud != first)
            append("\n && (", cloud);
    for (int cloud = 0; cloud < cloudCount; ++cloud)
        if (!inside.count(cloud))
            append("\n && !(", cloud);
    return term;
}

std::string CloudExpression()
{
    const int cloudCount = 10;
    const std::vector<std::set<int>> pins = {{0}, {0, 1}, {2, 3, 4}, {}};
    std::string expression = RegionTerm(pins[0], cloudCount);
    for (std::size_t pin = 1; pin < pins.size(); ++pin)
        expression = "(" + expression + ") \n|| (" + RegionTerm(pins[pin], cloudCount) + ")";
    return expression;
}

void BM_EvaluateCloudExpression(benchmark::State& state)
{
    RegisterFunction("EXISTS", FakeExists);
    const std::string expression = CloudExpression();
    TExprParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.Evaluate(expression));
    state.counters["evaluations/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["text_bytes"] = static_cast<double>(expression.size());
}
BENCHMARK(BM_EvaluateCloudExpression);

} // namespace

BENCHMARK_MAIN();

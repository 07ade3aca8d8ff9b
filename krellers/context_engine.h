#pragma once
#include "conditions/ParsFunc.h"
#include "conditions/Parser.h"
#include "krellers/context_plan.h"
#include "krellers/context_text.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What the engine asks of the search while it works through a file: letting pending window
// events run (the user's chance to give the file up or stop the search), and whether the user did.
struct TContextWatch {
    std::function<void()> ProcessEvents;
    std::function<bool()> CurrentFileAbandoned;
};

// The text a context cartridge makes of the file at a path, or nothing when no cartridge takes it.
using TCartridgeText = std::function<std::optional<std::string>(const std::string& path)>;

// Whether a condition's value passes the file: boolean true does, false and null do not. A body
// edited by hand may give another type: a number passes when it is not zero (NaN fails), a string
// never does, so "1.0" and "256" mean what they say.
bool ContextValuePasses(const ExprValue& value);

// Tests files by their text: reads the file (or takes a cartridge's text) and evaluates a
// condition whose EXISTS calls search that text as upper-cased by the locale rule (upper-cased
// when a search needs it). The engine's own function registry holds the built-ins and, added
// after them, an EXISTS bound to this engine's text, so nothing global names the file under test.
// The text of one file at a time.
class TContextEngine {
public:
    explicit TContextEngine(TContextWatch watch);
    TContextEngine(const TContextEngine&) = delete;
    TContextEngine& operator=(const TContextEngine&) = delete;

    const TContextText& Text() const { return text_; }
    TExprParser& Parser() { return parser_; }
    // The functions the engine's conditions may call; a caller may add its own.
    TFunctionRegistry& Functions() { return functions_; }

    // Whether the file at path meets expression. Fails without evaluating when the file cannot be
    // opened or the user gives it up meanwhile. A FIFO, socket or device is never opened: its text
    // is empty. Errors of the cartridge or the evaluator pass through; the text is emptied on every
    // way out.
    bool TestFile(const std::string& path, std::string_view expression, const TCartridgeText& cartridgeText);

    // Events run at most and at least about this often while a file is handled.
    std::chrono::steady_clock::duration EventInterval = std::chrono::milliseconds(15);
    // Bytes read or upper-cased between two looks at the clock and the abandonment flag.
    std::size_t StepBytes = std::size_t{256} << 10;

private:
    bool LoadText(const std::string& path, const TCartridgeText& cartridgeText);
    bool ReadFile(const std::string& path);
    bool UpperCaseAll();
    // Whether the loaded text passes expression: keyword by keyword through the condition's plan
    // while its keywords decide it, else by evaluating it.
    bool Judge(std::string_view expression);
    const std::optional<TContextPlan>& PlanOf(std::string_view expression);
    // Lets events run when they are due, then says whether the file was given up.
    bool GivenUp();

    TContextWatch watch_;
    TContextText text_;
    TFunctionRegistry functions_;
    TExprParser parser_{functions_};
    std::string plannedExpression_;
    std::optional<TContextPlan> plan_;
    bool planned_ = false;
    std::chrono::steady_clock::time_point lastEvents_ = std::chrono::steady_clock::now();
};

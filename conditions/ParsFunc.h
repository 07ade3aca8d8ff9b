#pragma once
#include "conditions/ParsGlob.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The registry of named functions of the expression language, and the built-in functions.

// The most arguments one call can pass.
inline constexpr int kMaxArguments = 8;

// Called with the number of arguments and their values (which it may convert in place); writes
// the result, which the evaluator has set to null. Returns false when the arguments do not suit it.
// A function may carry its context with it (the Context kreller's EXISTS reads that kreller's file
// text), so nothing it needs has to be global.
using ExprFunction = std::function<bool(int argumentCount, ExprValue* arguments, ExprValue& result)>;

// A set of named functions, starting with the built-ins. Names are upper-cased by the ASCII rule,
// as the evaluator upper-cases the names it reads.
class TFunctionRegistry {
public:
    TFunctionRegistry();

    // Adds a function under the name. A name that is already registered keeps its first function;
    // false then.
    bool Register(std::string_view name, ExprFunction function);
    // The function registered under the name (upper case), or none.
    const ExprFunction* Find(std::string_view name) const;

private:
    friend class TScopedFunction;
    struct TEntry {
        std::string Name;
        ExprFunction Function;
    };
    std::vector<TEntry>::iterator PlaceOf(std::string_view upperName);
    // Puts the function under the name whatever was there; the old one, or an empty function.
    ExprFunction Exchange(std::string_view name, ExprFunction function);
    void Unregister(std::string_view name);

    std::vector<TEntry> entries_;  // sorted by name
};

// The registry every parser uses unless it is given its own.
TFunctionRegistry& DefaultFunctions();

// Puts a function under a name for as long as it lives, in place of what was there; then puts the
// earlier function back (or none). A test can stand in a fake this way and leave the real one for
// the tests after it.
class TScopedFunction {
public:
    TScopedFunction(TFunctionRegistry& registry, std::string_view name, ExprFunction function);
    ~TScopedFunction();
    TScopedFunction(const TScopedFunction&) = delete;
    TScopedFunction& operator=(const TScopedFunction&) = delete;

private:
    TFunctionRegistry& registry_;
    std::string name_;
    ExprFunction previous_;
};

// Register and Find on the default registry.
void RegisterFunction(std::string_view name, ExprFunction function);
const ExprFunction* FindFunction(std::string_view name);

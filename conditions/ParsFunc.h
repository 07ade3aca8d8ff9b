#pragma once
#include "conditions/ParsGlob.h"

#include <string_view>

// The registry of named functions of the expression language, and the built-in functions.

// The most arguments one call can pass.
inline constexpr int kMaxArguments = 8;

// Called with the number of arguments and their values (which it may convert in place); writes
// the result, which the evaluator has set to null. Returns false when the arguments do not suit it.
using ExprFunction = bool (*)(int argumentCount, ExprValue* arguments, ExprValue& result);

// Adds a function under the name, upper-cased by the ASCII rule, as the evaluator upper-cases the
// names it reads. A name that is already registered keeps its first function.
void RegisterFunction(std::string_view name, ExprFunction function);
// The function registered under the name (upper case), or none.
ExprFunction FindFunction(std::string_view name);

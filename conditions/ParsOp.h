#pragma once
#include "conditions/ParsGlob.h"

#include <array>
#include <string_view>

// The operators of the expression language.

// Applies the operator: the result replaces the accumulator (the left operand, null for a prefix
// use). Returns false when the operator refuses its operands; arithmetic errors raise EMathError.
using OperatorFunction = bool (*)(ExprValue& accumulator, ExprValue& right);

struct TOperator {
    std::string_view Symbol;
    int Priority; // a higher number binds tighter
    OperatorFunction Apply;
};

inline constexpr std::size_t kOperatorCount = 22;

const std::array<TOperator, kOperatorCount>& OperatorTable();
// The entry whose symbol is exactly the given text, or none.
const TOperator* FindOperator(std::string_view symbol);
// The characters operators are made of: ! # $ % & * + - / < = > ? @ \ ^ _ | ~ and the backquote.
bool IsOperatorChar(char c);

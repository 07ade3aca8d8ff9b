#pragma once
#include "conditions/ParsFunc.h"

#include <string>

// A stand-in for the Context kreller's EXISTS: true when the keyword occurs in FakeFileText().
// Registered once for the whole test program, whichever test file comes first.

inline std::string& FakeFileText()
{
    static std::string text;
    return text;
}

inline bool FakeExists(int count, ExprValue* args, ExprValue& result)
{
    if (count != 1)
        return false;
    const std::string& keyword = args[0].type == vtString ? args[0].text : std::string();
    result.SetBoolean(!keyword.empty() && FakeFileText().find(keyword) != std::string::npos);
    return true;
}

inline const bool fakeExistsRegistered = [] {
    RegisterFunction("EXISTS", FakeExists);
    return true;
}();

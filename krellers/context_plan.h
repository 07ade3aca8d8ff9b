#pragma once
#include "conditions/ParsGlob.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a condition on a file's text comes to: the keywords its EXISTS calls search for, and
// whether the file passes for every combination of their presence. With it a file's keywords are
// searched one at a time, each search a pass over the text, until the answers known so far decide
// the verdict: "A and B but not C" on a file without A costs one pass instead of three.
//
// Only a condition whose value depends on nothing but the presence of its keywords has a plan: its
// EXISTS calls take constant texts, it calls only the pure built-in functions (not DATE, nothing a
// caller added), it names at most kMaxKeywords keywords, and no combination raises an error. Any
// other condition is evaluated on each file as it stands, so its errors show as they always did.
class TContextPlan {
public:
    static constexpr std::size_t kMaxKeywords = 10;
    using TPasses = std::function<bool(const ExprValue& value)>;

    // The plan of expression, or nothing when the condition has none (see above). passes tells
    // whether a value of the condition passes the file.
    static std::optional<TContextPlan> Make(std::string_view expression, const TPasses& passes);

    // The keywords in the order the condition first asks for them: the order to search them in.
    const std::vector<std::string>& Keywords() const { return keywords_; }

    // The verdict once the keywords whose bits are set in known have been searched for, present
    // being those of them found; nothing while the keywords still unknown could change it.
    std::optional<bool> Verdict(std::uint32_t known, std::uint32_t present) const;

private:
    std::vector<std::string> keywords_;
    std::vector<bool> passes_;  // indexed by the bit set of the keywords present
};

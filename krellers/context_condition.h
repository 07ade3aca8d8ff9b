#pragma once
#include "conditions/CloudDiagram.h"
#include "krellers/condition_strings.h"
#include "krellers/context_engine.h"

#include <string>
#include <string_view>
#include <vector>

class TNoxCrtr_context;

// The description of every context condition.
inline constexpr const char* kContextDescription = "Context condition";

// The caption and body of the cloud of a keyword as typed (blanks kept): the caption quotes it,
// the body searches for it upper-cased, with backquotes for apostrophes since an apostrophe would
// end the expression's string.
struct TKeywordCloud {
    std::string Caption;
    std::string Body;
    bool operator==(const TKeywordCloud&) const = default;
};
TKeywordCloud KeywordCloud(std::string_view keyword);

// Where the next keyword cloud goes, and the pin rules that keep a diagram of keywords usable
// without placing pins by hand: a single cloud is pinned inside, a region has one pin at most,
// and an empty diagram has none.
class TCloudPlacement {
public:
    static constexpr std::int32_t kCloudSize = 40;

    std::int32_t NextX = 40;
    std::int32_t NextY = 40;

    // Adds the keyword's cloud at the placement point, steps the point on, then AfterDiagramChange.
    void AddKeyword(TCloudDiagram& diagram, std::string_view keyword);
    void AfterDiagramChange(TCloudDiagram& diagram);

    bool operator==(const TCloudPlacement&) const = default;
};

// The condition lines of a diagram: the lines of its stored form.
TConditionStrings ContextConditionLines(const TCloudDiagram& diagram);
// Replaces the diagram by the one the lines store; no lines give an empty diagram. Raises the
// tagged document's error for lines that do not parse.
void LoadContextConditionLines(TCloudDiagram& diagram, const TConditionStrings& lines);

// The text of the first of the cartridges (in their order) that accepts a file; nothing when none
// does.
TCartridgeText FirstAcceptingCartridge(std::vector<TNoxCrtr_context*> cartridges);

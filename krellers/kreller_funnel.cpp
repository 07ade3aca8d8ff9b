#include "krellers/kreller_funnel.h"

#include "krellers/kreller_list.h"

TFunnelStage* TKrellerFunnel::StageOf(const TKrellerRow* row)
{
    for (TFunnelStage& stage : Stages) {
        if (stage.Row == row)
            return &stage;
    }
    return nullptr;
}

const TFunnelStage* TKrellerFunnel::DirectoriesStage() const
{
    for (const TFunnelStage& stage : Stages) {
        if (stage.Directories)
            return &stage;
    }
    return nullptr;
}

void TKrellerFunnel::Record(const TKrellerRow* row, bool passed, std::chrono::nanoseconds time,
                            const std::string* error)
{
    TFunnelStage* stage = StageOf(row);
    if (!stage)
        return;
    ++stage->Asked;
    stage->Time += time;
    if (passed)
        return;
    ++stage->Refused;
    if (!error)
        return;
    ++stage->Failed;
    if (FirstErrorKreller.empty()) {
        FirstErrorKreller = stage->Caption;
        FirstError = *error;
    }
}

void TPartlySearched::Record(const std::string& path, TTextLimit limit)
{
    if (limit == TTextLimit::None)
        return;
    ++(limit == TTextLimit::Time ? TimeLimit : SizeLimit);
    if (FirstPaths.size() < kPathsKept)
        FirstPaths.push_back(path);
}

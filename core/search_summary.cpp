#include "core/search_summary.h"

#include <cstdio>

namespace {

std::string Seconds(std::chrono::nanoseconds time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", std::chrono::duration<double>(time).count());
    return text;
}

std::string StageLine(const TFunnelStage& stage)
{
    const char* what = stage.Directories ? " directories" : " files";
    std::string line = stage.Caption + ": " + std::to_string(stage.Asked) + what + " asked, " +
                       std::to_string(stage.Refused) + (stage.Directories ? " not entered" : " refused");
    if (stage.Failed > 0)
        line += " (" + std::to_string(stage.Failed) + " by errors)";
    return line + ", " + Seconds(stage.Time);
}

// "Not searched whole: 3 (time limit: 1, size limit: 2)", then the first of those files.
std::string PartlySearchedText(const TPartlySearched& partly)
{
    std::string text = "Not searched whole: " + std::to_string(partly.Count()) + " (time limit: " +
                       std::to_string(partly.TimeLimit) + ", size limit: " + std::to_string(partly.SizeLimit) + ")";
    for (const std::string& path : partly.FirstPaths)
        text += "\n    " + path;
    if (partly.Count() > static_cast<std::int64_t>(partly.FirstPaths.size()))
        text += "\n    ...";
    return text;
}

} // namespace

std::string FunnelText(const TKrellerFunnel& funnel, const TRunCounts& counts)
{
    const TFunnelStage* directories = funnel.DirectoriesStage();
    std::string text = "Entries examined: " + std::to_string(counts.Examined);
    text += "\nDirectories not entered: " + std::to_string(directories ? directories->Refused : 0);
    if (counts.UnreadableDirectories)
        text += "\n" + std::string(UnreadableDirectoriesCaption) + ": " + std::to_string(*counts.UnreadableDirectories);
    if (funnel.Stages.empty())
        text += "\nNo kreller was checked.";
    for (const TFunnelStage& stage : funnel.Stages)
        text += "\n" + StageLine(stage);
    if (!funnel.FirstErrorKreller.empty())
        text += "\nFirst error: " + funnel.FirstErrorKreller + ": " + funnel.FirstError;
    if (funnel.PartlySearched.Count() > 0)
        text += "\n" + PartlySearchedText(funnel.PartlySearched);
    return text;
}

std::string SearchResultText(const TRunOutcome& outcome, const TKrellerFunnel& funnel)
{
    std::string text = "File(s) passed through all the krellers:" + std::to_string(outcome.Found);
    if (outcome.Interrupted)
        text += "\nSearch process has been interrupted by user.";
    for (const std::string& path : outcome.MissingStartPaths)
        text += "\nStart path does not exist: " + path;
    TRunCounts counts;
    counts.Examined = outcome.Examined;
    if (const std::string unread = UnreadDirectoriesWithPathsText(outcome.Unread); !unread.empty())
        text += "\n" + unread;
    else
        counts.UnreadableDirectories = outcome.Unread.Total;
    return text + "\n\n" + FunnelText(funnel, counts);
}

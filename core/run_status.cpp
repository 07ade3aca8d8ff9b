#include "core/run_status.h"

#include <cstdio>

namespace {

std::string SecondsText(std::chrono::nanoseconds time)
{
    char text[32];
    const double seconds = std::chrono::duration<double>(time).count();
    std::snprintf(text, sizeof text, seconds < 10 ? "%.2f s" : "%.1f s", seconds);
    return text;
}

std::string FilesText(std::int64_t count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

std::string ErrorsText(const TRunStatus& status)
{
    return FilesText(status.FailedFiles) + " refused because of an error in " + status.FailedKreller + ": " +
           status.FirstError;
}

} // namespace

TRunStatus TRunStatus::Ended(std::int64_t found, bool stopped, std::chrono::nanoseconds time,
                             const TKrellerFunnel& funnel)
{
    TRunStatus status;
    status.Ran = true;
    status.Stopped = stopped;
    status.Found = found;
    status.Time = time;
    status.FailedKreller = funnel.FirstErrorKreller;
    status.FirstError = funnel.FirstError;
    for (const TFunnelStage& stage : funnel.Stages) {
        if (stage.Caption == funnel.FirstErrorKreller)
            status.FailedFiles += stage.Failed;
    }
    return status;
}

std::string FilesFoundText(std::int64_t found)
{
    return FilesText(found) + " found";
}

std::string RunStatusText(const TRunStatus& status)
{
    if (!status.Ran)
        return {};
    if (status.Running)
        return FilesFoundText(status.Found) + " so far";
    std::string text = status.Stopped ? "stopped after " + SecondsText(status.Time) + ": " + FilesFoundText(status.Found)
                                      : FilesFoundText(status.Found) + " in " + SecondsText(status.Time);
    if (status.FailedFiles > 0)
        text += "; " + ErrorsText(status);
    return text;
}

std::string RunTitleText(const TRunStatus& status)
{
    std::string text = "FileKreller";
    if (!status.Ran)
        return text;
    text += " - ";
    if (status.Running)
        return text + FilesFoundText(status.Found) + "...";
    if (status.Stopped)
        text += "stopped after " + SecondsText(status.Time) + ": " + FilesFoundText(status.Found);
    else
        text += FilesFoundText(status.Found) + " in " + SecondsText(status.Time);
    if (status.FailedFiles > 0)
        text += ", ended with errors: see summary";
    return text;
}

TIndicatorState IndicatorState(const TRunStatus& status)
{
    if (status.Stopped)
        return TIndicatorState::Stopped;
    return status.FailedFiles > 0 ? TIndicatorState::Warning : TIndicatorState::Normal;
}

std::string IndicatorToolTip(const TRunStatus& status)
{
    std::string tip = "Found stat";
    if (status.Stopped)
        tip += ": stopped";
    if (status.FailedFiles > 0)
        tip += ": " + ErrorsText(status);
    return tip;
}

std::string IndicatorWord(const TRunStatus& status)
{
    if (status.Stopped)
        return "stopped";
    return status.FailedFiles > 0 ? "errors" : "";
}

#include "krellers/context_condition.h"

#include "platform/Text.h"
#include "plugins/crtr_context.h"

#include <algorithm>
#include <cmath>

TKeywordCloud KeywordCloud(std::string_view keyword)
{
    std::string upper = platform::UpperCaseLocale(keyword);
    std::replace(upper.begin(), upper.end(), '\'', '`');
    return {std::string("Context:\"").append(keyword).append("\""), "EXISTS('" + upper + "')"};
}

void TCloudPlacement::AddKeyword(TCloudDiagram& diagram, std::string_view keyword)
{
    const TKeywordCloud cloud = KeywordCloud(keyword);
    diagram.AddCloud(cloud.Caption, cloud.Body, NextX + kCloudSize, NextY, kCloudSize * 3 / 2);
    NextX += 22;
    NextY += 11;
    AfterDiagramChange(diagram);
}

void TCloudPlacement::AfterDiagramChange(TCloudDiagram& diagram)
{
    if (diagram.CloudCount() == 1) {
        const TNOXlc& cloud = *diagram.CloudAt(0);
        const auto offset = static_cast<std::int32_t>(std::lround(kCloudSize / 4.0));
        NextX = cloud.X + offset;
        NextY = cloud.Y + offset;
        diagram.AddPin(NextX, NextY);
    }
    diagram.RemoveDuplicatePin();
    if (diagram.CloudCount() == 0) {
        diagram.DeletePin(diagram.PinAt(0));
        NextX = 22;
        NextY = 11;
    }
}

TConditionStrings ContextConditionLines(const TCloudDiagram& diagram)
{
    return SplitConditionText(diagram.SaveClouds());
}

void LoadContextConditionLines(TCloudDiagram& diagram, const TConditionStrings& lines)
{
    if (lines.empty()) {
        diagram.Activate();
        return;
    }
    std::string text;
    for (const std::string& line : lines) {
        if (&line != &lines.front())
            text += "\r\n";
        text += line;
    }
    diagram.LoadClouds(text);
}

namespace {

// A cartridge that hands its text over in a file is asked for the file, so that a long text is
// searched a piece at a time.
TCartridgeContext ContextOf(TNoxCrtr_context& cartridge, const std::string& path)
{
    std::optional<TContextFile> file = cartridge.GetContextFile(path);
    if (!file)
        return cartridge.GetContext(path);
    TCartridgeContext context;
    context.File = std::move(file->Path);
    context.Offset = file->Offset;
    context.Limit = file->Limit;
    return context;
}

} // namespace

TCartridgeText FirstAcceptingCartridge(std::vector<TNoxCrtr_context*> cartridges)
{
    return [cartridges = std::move(cartridges)](const std::string& path) -> std::optional<TCartridgeContext> {
        for (TNoxCrtr_context* cartridge : cartridges) {
            if (cartridge && cartridge->AcceptFile(path))
                return ContextOf(*cartridge, path);
        }
        return std::nullopt;
    };
}

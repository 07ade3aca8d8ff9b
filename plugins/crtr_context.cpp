#include "plugins/crtr_context.h"

#include <charconv>

std::string TDllCrtr_context::GetContext(const std::string& path) { return Answer(FGetContext, path); }

std::optional<TContextFile> TDllCrtr_context::GetContextFile(const std::string& path)
{
    if (!FGetContextFile)
        return std::nullopt;
    return ParseContextFileAnswer(Answer(FGetContextFile, path)).value_or(TContextFile{});
}

bool TDllCrtr_context::BindKindEntries()
{
    FGetContext = Bind(CRTR_GET_CONTEXT);
    FGetContextFile = Bind(CRTR_GET_CONTEXT_FILE);
    return FGetContext != nullptr;
}

bool TDllCrtr_context::ClearEntries()
{
    FGetContext = nullptr;
    FGetContextFile = nullptr;
    return TNoxCrtr::ClearEntries();
}

std::optional<TContextFile> ParseContextFileAnswer(const std::string& answer)
{
    if (answer.empty())
        return TContextFile{};
    const std::size_t first = answer.find('\n');
    const std::size_t second = first == std::string::npos ? first : answer.find('\n', first + 1);
    if (second == std::string::npos || second + 1 >= answer.size())
        return std::nullopt;
    TContextFile file;
    const std::string how = answer.substr(0, first);
    if (how == CRTR_TEXT_TIME_LIMIT)
        file.Limit = TTextLimit::Time;
    else if (how == CRTR_TEXT_SIZE_LIMIT)
        file.Limit = TTextLimit::Size;
    else if (how != CRTR_TEXT_WHOLE)
        return std::nullopt;
    const char* digits = answer.data() + first + 1;
    const auto [end, error] = std::from_chars(digits, answer.data() + second, file.Offset);
    if (error != std::errc() || end != answer.data() + second || end == digits)
        return std::nullopt;
    file.Path = answer.substr(second + 1);
    return file;
}

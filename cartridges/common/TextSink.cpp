#include "TextSink.h"

#include <algorithm>

void TextSink::Append(const char* data, std::size_t size)
{
    const std::size_t room = limit_ > text_.size() ? limit_ - text_.size() : 0;
    const std::size_t start = text_.size();
    text_.append(data, std::min(size, room));
    std::replace(text_.begin() + static_cast<std::ptrdiff_t>(start), text_.end(), '\0', ' ');
}

void TextSink::EnsureLineBreak()
{
    if (!text_.empty() && text_.back() != '\n')
        Append("\n", 1);
}

#include "TextSink.h"

#include "TextCache.h"

#include <algorithm>

std::uint64_t GrowthLimit(std::uint64_t documentBytes)
{
    const std::uint64_t byRatio =
        documentBytes > UINT64_MAX / kGrowthRatio ? UINT64_MAX : documentBytes * kGrowthRatio;
    return std::max(kGrowthFloorBytes, byRatio);
}

void TextSink::Append(const char* data, std::size_t size)
{
    const std::uint64_t room = limit_ > total_ ? limit_ - total_ : 0;
    const auto taken = static_cast<std::size_t>(std::min<std::uint64_t>(size, room));
    if (taken == 0)
        return;
    const std::size_t start = text_.size();
    text_.append(data, taken);
    std::replace(text_.begin() + static_cast<std::ptrdiff_t>(start), text_.end(), '\0', ' ');
    total_ += taken;
    last_ = text_.back();
    if (fd_ >= 0 && text_.size() >= kPieceBytes)
        Flush();
}

void TextSink::EnsureLineBreak()
{
    if (last_ != '\n')
        Append("\n", 1);
}

bool TextSink::Flush()
{
    if (fd_ < 0 || text_.empty())
        return true;
    const bool written = WriteAll(fd_, text_);
    text_.clear();
    if (!written)
        limit_ = total_;  // nothing more can arrive where the text goes
    return written;
}

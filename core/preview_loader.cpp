#include "core/preview_loader.h"

#include <system_error>

#include "platform/ContentFile.h"
#include "platform/FileFacts.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr std::size_t kReadStep = std::size_t{256} << 10;
// Whether a file is text is judged by this much of its start.
constexpr std::size_t kJudgedBytes = std::size_t{64} << 10;
// A character that crosses the limit is only known whole with the bytes after it.
constexpr std::size_t kCharacterTail = 3;

// Reads up to limit bytes (and the tail that tells whether a character crosses it) in steps.
template <typename ReadSome>
std::optional<std::string> ReadFirstPart(std::size_t limit, const TStaleCheck& stale, ReadSome&& readSome)
{
    std::string bytes;
    const std::size_t wanted = limit + kCharacterTail;
    while (bytes.size() < wanted) {
        if (stale && stale())
            return std::nullopt;
        if (readSome(bytes, std::min(kReadStep, wanted - bytes.size())) == 0)
            break;
    }
    bytes.resize(CutAtCharacter(bytes, limit));
    return bytes;
}

QString MegabytesText(std::uint64_t bytes)
{
    if (bytes >= 1000000000)
        return QString::number(static_cast<double>(bytes) / 1e9, 'f', 1) + " GB";
    if (bytes >= 1000000)
        return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1) + " MB";
    return QString::number(static_cast<double>(bytes) / 1e3, 'f', 1) + " KB";
}

} // namespace

std::optional<TPreviewHead> ReadPreviewHead(const std::string& path, std::size_t limit, const TStaleCheck& stale)
{
    platform::TFileReader file(path);
    std::optional<std::string> bytes = ReadFirstPart(limit, stale, [&file](std::string& into, std::size_t count) {
        return file.ReadSome(into, count);
    });
    if (!bytes)
        return std::nullopt;
    const auto size = std::max<std::uint64_t>(static_cast<std::uint64_t>(file.Size()), bytes->size());
    return TPreviewHead{std::move(*bytes), size};
}

std::optional<TPreviewHead> ConvertedTextHead(const TCartridgeContext& text, std::size_t limit, const TStaleCheck& stale)
{
    if (text.File.empty()) {
        const std::string_view whole(text.Text);
        return TPreviewHead{std::string(whole.substr(0, CutAtCharacter(whole, limit))), whole.size()};
    }
    platform::TContentFile file(text.File, text.Offset);
    std::optional<std::string> bytes = ReadFirstPart(limit, stale, [&file](std::string& into, std::size_t count) {
        const std::size_t start = into.size();
        into.resize(start + count);
        into.resize(start + file.Read(into.data() + start, count));
        return into.size() - start;
    });
    if (!bytes)
        return std::nullopt;
    const std::uint64_t size = std::max<std::uint64_t>(file.SizeWhenOpened(), bytes->size());
    return TPreviewHead{std::move(*bytes), size};
}

TPreviewContent TextPreview(const TPreviewHead& head, const std::vector<std::string>& keywords)
{
    TShownText shown = ShowableText(head.Bytes, FindKeywordHits(head.Bytes, keywords));
    TPreviewContent content;
    content.Kind = TPreviewKind::Text;
    content.Text = std::move(shown.Text);
    content.Hits = std::move(shown.Ranges);
    content.KeywordsLookedFor = !keywords.empty();
    content.Size = head.Size;
    content.FirstPartOnly = head.Cut();
    return content;
}

TPreviewContent DescribedPreview(const std::string& path, std::uint64_t size)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    TPreviewContent content;
    content.Kind = TPreviewKind::Described;
    content.Size = size;
    content.Text = QString::fromStdString(platform::TypeDescriptionForName(name, false)) + ", " +
                   QString::fromStdString(platform::GroupedNumber(static_cast<std::int64_t>(size))) +
                   (size == 1 ? " byte" : " bytes") + " - not shown as text";
    return content;
}

TPreviewContent FailedPreview(const std::string& message)
{
    TPreviewContent content;
    content.Kind = TPreviewKind::Failed;
    content.Text = QString::fromStdString(message);
    return content;
}

bool HeadLooksLikeText(const TPreviewHead& head)
{
    return LooksLikeText(std::string_view(head.Bytes).substr(0, CutAtCharacter(head.Bytes, kJudgedBytes)));
}

TPreviewContent TextOrDescription(const std::string& path, const TPreviewHead& head,
                                  const std::vector<std::string>& keywords)
{
    return HeadLooksLikeText(head) ? TextPreview(head, keywords) : DescribedPreview(path, head.Size);
}

QString FirstPartNote(const TPreviewContent& content)
{
    if (!content.FirstPartOnly)
        return {};
    // The bytes shown, not the UTF-16 units: the figure compares with the file's size.
    const auto shown = static_cast<std::uint64_t>(content.Text.toUtf8().size());
    return QString("Shows the first %1 of %2.").arg(MegabytesText(shown), MegabytesText(content.Size));
}

TPreviewWorker::~TPreviewWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void TPreviewWorker::Submit(TJob job)
{
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        waiting_ = std::move(job);
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { Run(); });
            } catch (const std::system_error&) {
                waiting_.reset();  // nothing will run it: the caller is told
                throw;
            }
        }
    }
    wake_.notify_all();
}

void TPreviewWorker::Abandon()
{
    std::lock_guard lock(mutex_);
    ++generation_;
    waiting_.reset();
}

void TPreviewWorker::WaitIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !waiting_ && !running_; });
}

void TPreviewWorker::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_)
            break;
        TJob job = std::move(*waiting_);
        waiting_.reset();
        running_ = true;
        const std::uint64_t generation = generation_;
        lock.unlock();
        try {
            job([this, generation] { return stopping_ || generation_ != generation; });
        } catch (...) {
            // A job tells its own failures; one that escapes must not end the thread.
        }
        lock.lock();
        running_ = false;
        idle_.notify_all();
    }
    running_ = false;
    idle_.notify_all();
}

#pragma once
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/preview_text.h"
#include "krellers/context_engine.h"

// What the preview pane reads of a file, and the thread it reads on.

// At most this much of a file is read for the preview: enough for many screens, and quick.
inline constexpr std::size_t kPreviewFirstPartBytes = std::size_t{1} << 20;

// The first part of a file or of a converted text: at most the limit, never cutting a character.
struct TPreviewHead {
    std::string Bytes;
    std::uint64_t Size = 0;  // of the whole file or text
    bool Cut() const { return Bytes.size() < Size; }
};

// Says whether the reading is still wanted; a newer selection makes it stale.
using TStaleCheck = std::function<bool()>;

// The first part of the file at path. Throws EFileError with the system's message for a file that
// cannot be read, ENotRegularFile for a FIFO, socket or device (which are never waited on).
// Nothing when stale() turned true meanwhile.
std::optional<TPreviewHead> ReadPreviewHead(const std::string& path, std::size_t limit, const TStaleCheck& stale);
// The first part of a cartridge's text, in memory or in its file.
std::optional<TPreviewHead> ConvertedTextHead(const TCartridgeContext& text, std::size_t limit, const TStaleCheck& stale);

enum class TPreviewKind {
    Text,       // Text holds the text, Hits where the keywords are in it
    Picture,    // shown by the pane
    Described,  // Text is a line that says what the file is
    Failed,     // Text is why the file cannot be shown
};

struct TPreviewContent {
    TPreviewKind Kind = TPreviewKind::Described;
    QString Text;
    std::vector<TTextRange> Hits;  // in UTF-16 units of Text
    bool KeywordsLookedFor = false; // without keywords there is nothing to count, not "no hits"
    std::uint64_t Size = 0;
    bool FirstPartOnly = false;    // the file goes on past the text shown
};

// The head shown as text with the keywords' hits.
TPreviewContent TextPreview(const TPreviewHead& head, const std::vector<std::string>& keywords);
// What a file that is no text is: "ELF executable, 16,234 bytes" (its type judged by its name).
TPreviewContent DescribedPreview(const std::string& path, std::uint64_t size);
TPreviewContent FailedPreview(const std::string& message);
// Whether the start of the head reads as text.
bool HeadLooksLikeText(const TPreviewHead& head);
// A file's head as text with its hits, or described when it does not look like text.
TPreviewContent TextOrDescription(const std::string& path, const TPreviewHead& head,
                                  const std::vector<std::string>& keywords);
// "Shows the first 1.0 MB of 3.2 GB." for a text shown in part; empty otherwise.
QString FirstPartNote(const TPreviewContent& content);

// One thread that runs the preview's work, the newest first: a job handed in while another waits
// replaces it, and the running one sees its stale check turn true, so it can stop early. The
// thread starts with the first job and ends (joined) with the worker.
class TPreviewWorker {
public:
    using TJob = std::function<void(const TStaleCheck& stale)>;

    TPreviewWorker() = default;
    ~TPreviewWorker();
    TPreviewWorker(const TPreviewWorker&) = delete;
    TPreviewWorker& operator=(const TPreviewWorker&) = delete;

    // Throws std::system_error, with the job dropped, when the system gives no thread to start.
    void Submit(TJob job);
    // Drops the waiting job and makes the running one stale.
    void Abandon();
    // Waits until no job waits or runs; for tests and for the benchmark.
    void WaitIdle();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<TJob> waiting_;
    std::atomic<std::uint64_t> generation_{0};  // counts Submit and Abandon calls
    std::atomic<bool> stopping_{false};
    bool running_ = false;
    std::thread thread_;
};

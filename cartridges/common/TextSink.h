#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// A document the converter cannot read; the helper reports it by its exit status.
class EConversion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How far a document of documentBytes on disk may grow while it is read, in inflated bytes and in
// text: every document may grow to the floor, and beyond it to a ratio of its size. An honest long
// document compresses far less than that, so it is read whole; a small file made to inflate
// without end (a zip bomb) is stopped early instead of at the time limit.
constexpr std::uint64_t kGrowthFloorBytes = std::uint64_t{64} << 20;
constexpr std::uint64_t kGrowthRatio = 200;
std::uint64_t GrowthLimit(std::uint64_t documentBytes);

// The text a converter makes, bounded so that a document crafted to expand without end still
// gives a text of reasonable size. It is kept in memory, or written to a file descriptor a piece at
// a time as it grows, so that a text of any length costs one piece of memory. NUL bytes become
// blanks: the text crosses the plug-in interface as a NUL-terminated string.
class TextSink {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t{64} << 20;
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

    // The text stays in memory, for Take.
    explicit TextSink(std::uint64_t limit = kDefaultLimit) : limit_(limit) {}
    // The text goes to fd in pieces; Flush writes the last one.
    TextSink(int fd, std::uint64_t limit) : limit_(limit), fd_(fd) {}

    void Append(const char* data, std::size_t size);
    void Append(const std::string& s) { Append(s.data(), s.size()); }
    // Starts a new line unless the text is empty or already ends one.
    void EnsureLineBreak();
    // The limit is reached (or the descriptor refused a write): further text is dropped.
    bool Full() const { return total_ >= limit_; }
    std::uint64_t Size() const { return total_; }
    // Writes what the descriptor has not had yet; false when a write failed.
    bool Flush();
    // The text kept in memory.
    std::string Take() { return std::move(text_); }

private:
    std::uint64_t limit_;
    int fd_ = -1;
    std::string text_;  // all of it, or the piece not yet written
    std::uint64_t total_ = 0;
    char last_ = '\n';  // the text's last byte; an empty text counts as ending a line
};

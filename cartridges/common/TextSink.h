#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>

// A document the converter cannot read; the helper reports it by its exit status.
class EConversion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text a converter collects, bounded so that a document crafted to expand without end still
// gives a text of reasonable size. NUL bytes become blanks: the text crosses the plug-in interface
// as a NUL-terminated string.
class TextSink {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t{64} << 20;

    explicit TextSink(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    void Append(const char* data, std::size_t size);
    void Append(const std::string& s) { Append(s.data(), s.size()); }
    // Starts a new line unless the text is empty or already ends one.
    void EnsureLineBreak();
    bool Full() const { return text_.size() >= limit_; }
    std::string Take() { return std::move(text_); }
    const std::string& Text() const { return text_; }

private:
    std::size_t limit_;
    std::string text_;
};

#pragma once
#include "cartridges/common/TextSink.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct zip;

// The parts of a zip container, read within one budget of inflated bytes for the whole document,
// so that a small file that inflates to gigabytes (a zip bomb) is stopped early. The budget of a
// document on disk comes from its size (GrowthLimit).
class ZipParts {
public:
    static constexpr std::uint64_t kDefaultBudget = kGrowthFloorBytes;

    // Throws EConversion when the data is not a readable zip container.
    static ZipParts OfFile(const std::string& path, std::uint64_t budget = kDefaultBudget);
    static ZipParts OfData(const char* data, std::size_t size, std::uint64_t budget = kDefaultBudget);
    ~ZipParts();
    ZipParts(ZipParts&& other) noexcept;
    ZipParts(const ZipParts&) = delete;
    ZipParts& operator=(const ZipParts&) = delete;
    ZipParts& operator=(ZipParts&&) = delete;

    bool Has(const std::string& name) const;
    std::vector<std::string> Names() const;
    // Hands the part's bytes to consume in pieces until the part ends, consume answers false, or the
    // budget runs out. False when the part is missing or unreadable.
    bool Stream(const std::string& name, const std::function<bool(const char*, std::size_t)>& consume);
    // The whole part, when it is at most maxBytes long; empty otherwise.
    std::string Read(const std::string& name, std::size_t maxBytes);
    // Whether the budget ran out with bytes left unread.
    bool Exhausted() const { return exhausted_; }

private:
    ZipParts(zip* archive, std::uint64_t budget) : archive_(archive), budget_(budget) {}

    zip* archive_;
    std::uint64_t budget_;
    bool exhausted_ = false;
};

#pragma once
#include <cstdint>
#include <string>

// A temporary directory for one test, removed with everything below it when the object dies.
// Paths handed in are relative to the root; Root() ends in '/'.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + relative; }

    std::string Dir(const std::string& relative) const;                                  // with parents
    std::string File(const std::string& relative, const std::string& content = "") const;  // with parents
    std::string SizedFile(const std::string& relative, std::int64_t size) const;           // sparse
    std::string Read(const std::string& relative) const;

private:
    std::string root_;
};

#include "TempTree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

TempTree::TempTree()
{
    std::string pattern = (fs::temp_directory_path() / "fk_test_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern + "/";
}

TempTree::~TempTree()
{
    std::error_code ignored;
    // Give back permissions that a test took away, so the tree can be removed.
    for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ignored);
}

std::string TempTree::Dir(const std::string& relative) const
{
    fs::create_directories(Path(relative));
    return Path(relative);
}

std::string TempTree::File(const std::string& relative, const std::string& content) const
{
    const fs::path path = Path(relative);
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path.string();
}

std::string TempTree::SizedFile(const std::string& relative, std::int64_t size) const
{
    const std::string path = File(relative);
    if (truncate(path.c_str(), size) != 0)
        throw std::runtime_error("truncate failed");
    return path;
}

std::string TempTree::Read(const std::string& relative) const
{
    std::ifstream in(Path(relative), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

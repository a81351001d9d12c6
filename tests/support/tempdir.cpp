#include "support/tempdir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "support/files.h"

namespace fs = std::filesystem;

namespace testenv {
namespace {

std::string makeFolder() {
    std::string pattern = (fs::temp_directory_path() / "orvelin-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw fs::filesystem_error("mkdtemp", pattern, std::error_code(errno, std::generic_category()));
    return pattern + "/";
}

}  // namespace

TempDir::TempDir() : path(makeFolder()) {}

TempDir::~TempDir() {
    // A test may have left a folder read-only; make every one writable again first.
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
}

std::string TempDir::at(std::string_view name) const { return path + std::string(name); }

std::string TempDir::file(std::string_view name, std::string_view content) const {
    std::string p = at(name);
    fs::create_directories(fs::path(p).parent_path());
    writeFile(p, content);
    return p;
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testenv

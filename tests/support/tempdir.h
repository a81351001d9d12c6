// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testenv {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, with a trailing slash.
    const std::string path;

    // Where `name` (which may hold subfolders) lies in the folder; nothing is written.
    std::string at(std::string_view name) const;
    // Writes `content` to `name`, making its subfolders; returns its path.
    std::string file(std::string_view name, std::string_view content = {}) const;
    // The names in the folder itself, sorted: to see that no temporary file stayed.
    std::vector<std::string> entries() const;
};

}  // namespace testenv

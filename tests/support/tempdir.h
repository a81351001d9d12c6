// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/files.h"

namespace testenv {

struct TempDir {
    std::string path;
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvelin-test-XXXXXX").string();
        path = common::withTrailingSlash(::mkdtemp(pattern.data()));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name, std::string_view content = {}) const {
        std::string p = path + name;
        common::makeDirectories(common::extractFilePath(p));
        std::FILE* f = std::fopen(p.c_str(), "wb");  // no sync: fixtures need speed, not safety
        if (f) {
            if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
            std::fclose(f);
        }
        return p;
    }
};

}  // namespace testenv

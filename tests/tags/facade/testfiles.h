// A temporary folder for test files, removed with everything in it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tags::testing {

struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/orvelin-facade-XXXXXX";
        path = ::mkdtemp(tmpl) ? tmpl : "";
        EXPECT_FALSE(path.empty());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
};

}  // namespace tags::testing

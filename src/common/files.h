// Small file helpers over the C library. Paths are UTF-8 with "/" separators.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

bool fileExists(const std::string& path);  // a regular file (links followed)
bool directoryExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be found.
int64_t fileSize(const std::string& path);

// nullopt with errno set when the file cannot be read.
std::optional<std::string> readFile(const std::string& path);

// Writes the whole content through a temporary file beside the target, then
// renames it over the target, so a crash or a full disk leaves the old file
// whole. Returns false (and removes the temporary file) on any failure, with
// errno telling the first thing that failed.
bool writeFileAtomic(const std::string& path, std::string_view content);

// True when the file exists and this process may replace it the way
// writeFileAtomic does: write the file, and create and rename in its folder.
bool canReplaceFile(const std::string& path);

// The names of the regular files in a folder (links followed), in the order
// the file system gives them; empty when the folder cannot be read.
std::vector<std::string> listFiles(const std::string& folder);

// Creates the folder and its missing parents.
bool makeDirectories(const std::string& path);

// Path pieces, on "/" separators. extractFilePath keeps the trailing "/".
std::string extractFileName(std::string_view path);
std::string extractFilePath(std::string_view path);
// The extension with its dot (".mp3"), or empty.
std::string extractFileExt(std::string_view path);
std::string changeFileExt(std::string_view path, std::string_view ext);
// Appends "/" unless the path already ends with one.
std::string withTrailingSlash(std::string_view path);

// A name for a temporary file in the same folder as path, not yet existing.
std::string siblingTempPath(const std::string& path);

}  // namespace common

// Small file helpers over the C library. Paths are UTF-8 with "/" separators.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

bool fileExists(const std::string& path);  // a regular file (links followed)
bool directoryExists(const std::string& path);
// Anything at all at the path, a link that leads nowhere included.
bool pathExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be found.
int64_t fileSize(const std::string& path);

// nullopt with errno set when the file cannot be read.
std::optional<std::string> readFile(const std::string& path);

// Writes the whole content through a ReplacementFile, so a crash, a kill or
// a full disk leaves the old file whole and no temporary file behind.
// Returns false on any failure, with errno telling the first thing that failed.
bool writeFileAtomic(const std::string& path, std::string_view content);

// True when the file exists and this process may replace it the way
// writeFileAtomic does: write the file, and create and rename in its folder.
bool canReplaceFile(const std::string& path);

// The names of the regular files in a folder (links followed), in the order
// the file system gives them; empty when the folder cannot be read.
std::vector<std::string> listFiles(const std::string& folder);

// A new file that takes the place of target only once it is complete. It is
// made without a name (O_TMPFILE) in target's folder and linked in under a
// name of ours only to be renamed over target at once, so a crash or a kill
// while it is written leaves nothing behind. Where the file system cannot do
// that, it has a name marking it as ours from the start (see
// temporaryPathFor); such names left by processes that died are removed by
// the next replacement of the same target.
class ReplacementFile {
public:
    // Null (errno set) when no file can be made in target's folder.
    static std::unique_ptr<ReplacementFile> create(const std::string& target);
    // Without commit the new file is dropped and target stays as it was.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Open for reading and writing; stays owned by this object.
    int fd() const { return fd_; }
    // Flushes the new file to disk, gives it target's permissions (and, where
    // allowed, its owner; 0644 for a new target) and puts it in target's
    // place. False leaves target as it was and drops the new file.
    bool commit();

private:
    ReplacementFile(std::string target, int fd, std::string named)
        : target_(std::move(target)), fd_(fd), named_(std::move(named)) {}
    std::string target_;
    int fd_;
    std::string named_;  // the fallback's name; empty while the file has none
};

// The hidden name ".orvelin-<name>.<pid>.<n>.tmp" beside target that a
// replacement by this process uses when its file needs a name.
std::string temporaryPathFor(const std::string& target);
// Removes, beside target, the temporary files of replacements of target by
// processes that are no longer running. Returns how many went.
int removeStaleTemporaries(const std::string& target);

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

}  // namespace common

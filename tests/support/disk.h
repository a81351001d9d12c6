// Saves that fail the way a full disk or a read-only file makes them fail;
// both work for root too, where permissions alone would not stop a write.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>

#include <string>

namespace testenv {

// While it lives, a write that takes a file of this process past `bytes`
// fails with EFBIG (SIGXFSZ is ignored meanwhile).
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 8);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

// While it lives, the file or folder has no write permission; its mode is
// restored afterwards. Code that checks the mode sees a read-only file even
// as root.
class ReadOnly {
public:
    explicit ReadOnly(std::string path);
    ~ReadOnly();
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

private:
    std::string path_;
    mode_t mode_ = 0;
    bool changed_ = false;
};

}  // namespace testenv

#include "support/disk.h"

#include <sys/stat.h>

namespace testenv {

FullDisk::FullDisk(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FullDisk::~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldHandler_);
}

ReadOnly::ReadOnly(std::string path) : path_(std::move(path)) {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return;
    mode_ = st.st_mode & 07777;
    changed_ = ::chmod(path_.c_str(), mode_ & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

ReadOnly::~ReadOnly() {
    if (changed_) ::chmod(path_.c_str(), mode_);
}

}  // namespace testenv

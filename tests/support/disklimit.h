// Makes writes beyond a few bytes fail, as on a full disk; works for root too,
// where folder permissions do not stop a write.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace testenv {

class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 8) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit old_{};
};

}  // namespace testenv

// Catches what is written to standard error (where every log line goes)
// while the object lives, with the log threshold set for the test. A header
// of its own: only the tests that link the log include it.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "common/log.h"
#include "support/files.h"
#include "support/tempdir.h"

namespace testenv {

class LogCapture {
public:
    explicit LogCapture(common::log::Level threshold = common::log::Level::warning)
        : old_(common::log::threshold()), saved_(::dup(STDERR_FILENO)) {
        int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
        common::log::setLevel(threshold);
    }
    ~LogCapture() { stop(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Ends the capture and returns what was written.
    std::string text() {
        stop();
        return readFile(file_);
    }

private:
    void stop() {
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
        common::log::setLevel(old_);
    }

    TempDir dir_;
    std::string file_ = dir_.at("stderr");
    common::log::Level old_;
    int saved_;
};

}  // namespace testenv

#include "player/copyfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "common/files.h"
#include "common/log.h"

namespace player {

namespace {

constexpr const char* kSource = "player.copy";

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // The close's own error counts: on some file systems a full disk shows only here.
    int close() {
        int error = 0;
        if (fd_ >= 0 && ::close(fd_) != 0) error = errno;
        fd_ = -1;
        return error;
    }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, size_t size, int& error) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;  // a write that takes nothing is a shortfall
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Puts the finished temporary file in place without replacing what is there.
int renameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // A hard link fails on an existing name; file systems without links get
    // the plain rename after a last look.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

TCopyResult CopyFileTo(const std::string& source, const std::string& target, bool replace,
                       const std::atomic<bool>& stop, const std::function<void(int64_t)>& progress, size_t blockSize) {
    TCopyResult result;
    if (IsSameFile(source, target)) {
        result.outcome = TCopyOutcome::SameFile;
        return result;
    }
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0) {
        result.error = errno;
        return result;
    }
    // Exclusively ours; the mode of the source, as far as the umask allows.
    std::string temp;
    int outFd = -1;
    for (int attempt = 0; attempt < 100 && outFd < 0; ++attempt) {
        temp = common::temporaryPathFor(target);
        outFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
        if (outFd < 0 && errno != EEXIST) break;
    }
    Fd out(outFd);
    if (out.get() < 0) {
        result.error = errno;
        return result;
    }

    std::vector<char> block(std::max<size_t>(blockSize, 1));
    int error = 0;
    bool cancelled = false;
    for (;;) {
        if (stop.load()) {
            cancelled = true;
            break;
        }
        ssize_t n = ::read(in.get(), block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) break;
        if (!writeAll(out.get(), block.data(), static_cast<size_t>(n), error)) break;
        result.bytes += n;
        if (progress) progress(result.bytes);
    }
    if (!error && !cancelled && ::fsync(out.get()) != 0) error = errno;
    if (int closeError = out.close(); closeError && !error) error = closeError;
    if (!error && !cancelled)
        error = replace ? (::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno) : renameNoReplace(temp, target);
    if (error || cancelled) {
        ::unlink(temp.c_str());
        result.outcome = cancelled ? TCopyOutcome::Cancelled : TCopyOutcome::Failed;
        result.error = error;
        if (error)
            common::log::warn(kSource, "cannot copy \"", source, "\" to \"", target,
                              "\": ", common::log::systemError(error));
        return result;
    }
    result.outcome = TCopyOutcome::Copied;
    return result;
}

TCopyFile::TCopyFile(ui::Dispatcher& ui, std::string source, std::string target, bool replace, OnProgress onProgress,
                     OnDone onDone, TOptions options)
    : ui_(ui), source_(std::move(source)), target_(std::move(target)), replace_(replace), options_(std::move(options)),
      shared_(std::make_shared<TShared>()) {
    shared_->onProgress = std::move(onProgress);
    shared_->onDone = std::move(onDone);
}

TCopyFile::~TCopyFile() {
    Cancel();
    Wait();
}

void TCopyFile::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] { Execute(); });
}

void TCopyFile::Cancel() { shared_->Cancel(); }

void TCopyFile::Wait() {
    if (thread_.joinable()) thread_.join();
}

void TCopyFile::Execute() {
    std::shared_ptr<TShared> shared = shared_;
    const int64_t total = common::fileSize(source_);
    auto progress = [&](int64_t done) {
        // One progress post waits at a time: a fast copy does not flood the UI thread.
        if (!shared->progressQueued.exchange(true)) {
            PostUnlessCancelled(ui_, shared, [shared, done, total] {
                shared->progressQueued = false;
                if (shared->onProgress) shared->onProgress(done, total);
            });
        }
        if (options_.afterBlock) options_.afterBlock(done);
    };
    TCopyResult result = CopyFileTo(source_, target_, replace_, shared->stop, progress, options_.blockSize);
    PostUnlessCancelled(ui_, shared, [shared, result] {
        if (shared->onDone) shared->onDone(result);
    });
}

}  // namespace player

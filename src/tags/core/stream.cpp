#include "tags/core/stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tags {

namespace {
constexpr int64_t kCopyBlock = 1 << 20;
}

int64_t TStream::GetSize() {
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

bool TStream::ReadBytes(std::string& out, int64_t count) {
    if (count <= 0) {
        out.clear();
        return count == 0;
    }
    // Never allocate more than the stream can still deliver: sizes in tag
    // headers lie.
    int64_t left = GetSize() - Position();
    if (left < 0) left = 0;
    out.resize(static_cast<size_t>(std::min(count, left)));
    int64_t got = out.empty() ? 0 : Read(out.data(), static_cast<int64_t>(out.size()));
    out.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
    return got == count;
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        if (!source.SetPosition(0)) return 0;
        count = source.GetSize();
    }
    std::vector<char> block(static_cast<size_t>(std::min(count, kCopyBlock)));
    int64_t done = 0;
    while (done < count) {
        int64_t want = std::min<int64_t>(count - done, static_cast<int64_t>(block.size()));
        int64_t got = source.Read(block.data(), want);
        if (got <= 0) break;
        int64_t put = Write(block.data(), got);
        done += std::max<int64_t>(put, 0);
        if (put != got) break;
    }
    return done;
}

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, TFileMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case TFileMode::fmOpenRead: flags |= O_RDONLY; break;
    case TFileMode::fmOpenReadWrite:
    case TFileMode::fmOpenReadWriteShared: flags |= O_RDWR; break;
    case TFileMode::fmCreate: flags |= O_RDWR | O_CREAT; break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    int lock = mode == TFileMode::fmOpenRead || mode == TFileMode::fmOpenReadWriteShared ? LOCK_SH : LOCK_EX;
    if (::flock(fd, lock | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        errno = err;
        return nullptr;
    }
    // Truncate only once the lock is ours, so a file in use is never emptied.
    if (mode == TFileMode::fmCreate && ::ftruncate(fd, 0) != 0) {
        int err = errno;
        ::close(fd);
        errno = err;
        return nullptr;
    }
    return std::unique_ptr<TFileStream>(new TFileStream(fd, path));
}

std::unique_ptr<TFileStream> TFileStream::Adopt(int fd, std::string path) {
    if (fd < 0) return nullptr;
    return std::unique_ptr<TFileStream>(new TFileStream(fd, std::move(path)));
}

TFileStream::~TFileStream() { ::close(fd_); }

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            good_ = false;
            break;
        }
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t TFileStream::GetSize() {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

bool TFileStream::SetSize(int64_t newSize) {
    if (newSize < 0 || ::ftruncate(fd_, static_cast<off_t>(newSize)) != 0) {
        good_ = false;
        return false;
    }
    if (Position() > newSize) Seek(newSize, TSeekOrigin::soBeginning);
    return true;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t size = GetSize();
    if (count <= 0 || pos_ >= size) return 0;
    int64_t n = std::min(count, size - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (pos_ + count > GetSize()) data_.resize(static_cast<size_t>(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? pos_ : GetSize();
    int64_t target = base + offset;
    if (target < 0) return -1;
    // As with files, the position may lie beyond the end; a write there fills
    // the gap with zeros.
    pos_ = target;
    return pos_;
}

bool TMemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0) return false;
    data_.resize(static_cast<size_t>(newSize));
    if (pos_ > newSize) pos_ = newSize;
    return true;
}

bool TMemoryStream::LoadFromStream(TStream& source) {
    if (!source.SetPosition(0)) return false;
    int64_t size = source.GetSize();
    if (size < 0) return false;
    data_.resize(static_cast<size_t>(size));
    pos_ = 0;
    int64_t got = size ? source.Read(data_.data(), size) : 0;
    data_.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
    return got == size;
}

bool TMemoryStream::LoadFromFile(const std::string& path) {
    auto f = TFileStream::Open(path, TFileMode::fmOpenRead);
    return f && LoadFromStream(*f);
}

bool TMemoryStream::SaveToStream(TStream& target) const { return target.WriteBuffer(data_.data(), GetSizeConst()); }

bool TMemoryStream::SaveToFile(const std::string& path) const {
    auto f = TFileStream::Open(path, TFileMode::fmCreate);
    return f && SaveToStream(*f) && f->Good();
}

}  // namespace tags

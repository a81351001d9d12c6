#include "tags/core/filetail.h"

#include "common/files.h"
#include "tags/core/replacefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace tags {

bool ReadAt(TStream& stream, int64_t pos, void* buffer, int64_t count) {
    if (pos < 0 || count < 0) return false;
    int64_t size = stream.Size();
    if (size < 0 || pos > size || count > size - pos) return false;
    return stream.SetPosition(pos) && stream.ReadBuffer(buffer, count);
}

bool BytesAt(TStream& stream, int64_t pos, std::string_view expected) {
    std::string got(expected.size(), '\0');
    return ReadAt(stream, pos, got.data(), static_cast<int64_t>(got.size())) && got == expected;
}

bool HasID3v1At(TStream& stream, int64_t end) {
    if (!BytesAt(stream, end - kID3v1BlockSize, "TAG")) return false;
    // An APE tag of 131 bytes that ends the file has the "TAG" of its
    // "APETAGEX" header there; a footer at the very end rules an ID3v1 tag out.
    unsigned char footer[12];
    if (!ReadAt(stream, end - 32, footer, 12) || std::memcmp(footer, "APETAGEX", 8) != 0) return true;
    uint32_t version = GetLE32(footer + 8);
    return version != 1000 && version != 2000;
}

int64_t Lyrics3BlockSizeAt(TStream& stream, int64_t end) {
    if (!BytesAt(stream, end - 9, "LYRICS200")) return 0;
    char digits[6];
    if (!ReadAt(stream, end - 15, digits, 6)) return 0;
    int64_t size = ParseDecimal(std::string_view(digits, 6));
    if (size < 11 || !BytesAt(stream, end - 15 - size, "LYRICSBEGIN")) return 0;
    return size + 15;
}

int64_t ParseDecimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 18) return -1;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string TrimTagText(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return std::string(text.substr(b, e - b));
}

uint32_t GetLE32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLE32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool ApplyTailPlan(TStream& stream, const TTailPlan& plan) {
    int64_t tailSize = static_cast<int64_t>(plan.Tail.size());
    return plan.Keep >= 0 && stream.SetPosition(plan.Keep) && stream.WriteBuffer(plan.Tail.data(), tailSize) &&
           stream.SetSize(plan.Keep + tailSize);
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

namespace {

void restoreTimes(const std::string& path, const struct stat& st) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Writes head bytes of source followed by tail into a new file beside target
// and renames it over target.
bool replaceThroughTemp(const std::string& target, TStream* source, int64_t head, const std::string& tail,
                        const struct stat* original, bool preserveTime) {
    int result = ReplaceFileThroughTemp(target, [&](TFileStream& out) {
        bool ok = true;
        if (head > 0) ok = source && source->SetPosition(0) && out.CopyFrom(*source, head) == head;
        return ok && out.WriteBuffer(tail.data(), static_cast<int64_t>(tail.size())) ? 0 : -1;
    });
    if (result == 0 && original && preserveTime) restoreTimes(target, *original);
    return result == 0;
}

}  // namespace

TTailStatus RewriteFileTail(const std::string& path, const TTailOptions& options, const TTailPlanner& planner,
                            int& planResult) {
    planResult = 0;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (!options.CreateIfMissing) return TTailStatus::tsMissing;
        TMemoryStream empty;
        TTailPlan plan;
        planResult = planner(empty, plan);
        if (planResult != 0) return TTailStatus::tsPlanRefused;
        return replaceThroughTemp(path, nullptr, 0, plan.Tail, nullptr, false) ? TTailStatus::tsDone
                                                                               : TTailStatus::tsWriteFailed;
    }
    if (IsReadOnlyFile(path)) return TTailStatus::tsReadOnly;

    // Replace the file a symbolic link points to, not the link.
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    // A save of ours that was killed may have left its new file behind.
    common::removeStaleTemporaries(target);
    auto file = TFileStream::Open(target, TFileMode::fmOpenReadWrite);
    if (!file) return TTailStatus::tsOpenFailed;
    int64_t size = file->Size();
    TTailPlan plan;
    planResult = planner(*file, plan);
    if (planResult != 0) return TTailStatus::tsPlanRefused;
    if (size < 0 || plan.Keep < 0 || plan.Keep > size) return TTailStatus::tsWriteFailed;

    int64_t tailSize = static_cast<int64_t>(plan.Tail.size());
    if (plan.Keep + tailSize == size) {
        std::string old;
        if (!file->SetPosition(plan.Keep) || !file->ReadBytes(old, tailSize)) return TTailStatus::tsWriteFailed;
        if (old == plan.Tail) return TTailStatus::tsDone;
        bool ok = file->SetPosition(plan.Keep) && file->WriteBuffer(plan.Tail.data(), tailSize) && file->Good();
        if (!ok) {
            // The room is already allocated, so putting the old bytes back
            // should succeed where the new ones did not.
            if (file->SetPosition(plan.Keep)) file->WriteBuffer(old.data(), tailSize);
            return TTailStatus::tsWriteFailed;
        }
        file.reset();
        if (options.PreserveFileDateTime) restoreTimes(target, st);
        return TTailStatus::tsDone;
    }
    // The original stays open (and locked) until the new file has replaced it.
    return replaceThroughTemp(target, file.get(), plan.Keep, plan.Tail, &st, options.PreserveFileDateTime)
               ? TTailStatus::tsDone
               : TTailStatus::tsWriteFailed;
}

}  // namespace tags

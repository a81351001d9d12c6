// Saving: the INFO list, "bext" and "cart" are written again after "WAVE"
// (after "ds64" in RF64); every other chunk follows as it was.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/files.h"
#include "tags/core/bytes.h"
#include "tags/core/replacefile.h"
#include "tags/wav/wavlayout.h"
#include "tags/wav/wavtaglibrary.h"

namespace tags {

using namespace wav;

namespace {

bool Replaced(const TRiffChunk& c) {
    return c.Id == "bext" || c.Id == "cart" || (c.Id == "LIST" && c.ListType == "INFO");
}

bool Copy(TStream& from, TStream& to, int64_t at, int64_t count) {
    return count <= 0 || (from.SetPosition(at) && to.CopyFrom(from, count) == count);
}

// The whole new file into out.
int WriteWav(TStream& src, const TRiffLayout& l, const std::string& chunks, TStream& out) {
    const int64_t end = src.Size();
    uint64_t riff = 4 + chunks.size();
    size_t first = 0;
    if (l.RF64 && !l.Chunks.empty() && l.Chunks[0].Id == "ds64") {
        riff += uint64_t(std::min(l.Chunks[0].End, end) - l.Chunks[0].Header);
        first = 1;
    }
    for (size_t i = first; i < l.Chunks.size(); ++i)
        if (!Replaced(l.Chunks[i])) riff += uint64_t(std::min(l.Chunks[i].End, end) - l.Chunks[i].Header);
    if (!l.RF64 && riff > 0xFFFFFFFFu) return WAVTAGLIBRARY_ERROR_SIZE_OVERFLOW;

    if (!Copy(src, out, 0, l.Start + 12)) return WAVTAGLIBRARY_ERROR;
    if (first) {
        if (!Copy(src, out, l.Chunks[0].Header, std::min(l.Chunks[0].End, end) - l.Chunks[0].Header))
            return WAVTAGLIBRARY_ERROR;
    }
    char size[8];
    WriteLE64(size, riff);
    if (!out.SetPosition(l.Start + (l.RF64 ? 20 : 4)) || !out.WriteBuffer(size, l.RF64 ? 8 : 4) ||
        !out.Seek(0, TSeekOrigin::soEnd) || !out.WriteBuffer(chunks.data(), int64_t(chunks.size())))
        return WAVTAGLIBRARY_ERROR_WRITING_FILE;
    for (size_t i = first; i < l.Chunks.size(); ++i) {
        const TRiffChunk& c = l.Chunks[i];
        if (!Replaced(c) && !Copy(src, out, c.Header, std::min(c.End, end) - c.Header)) return WAVTAGLIBRARY_ERROR;
    }
    // Whatever follows the RIFF body stays after it.
    if (!Copy(src, out, l.WalkEnd, end - l.WalkEnd)) return WAVTAGLIBRARY_ERROR;
    return WAVTAGLIBRARY_SUCCESS;
}

}  // namespace

int TWAVTag::SaveToFile(const std::string& Name) {
    try {
        char* real = ::realpath(Name.c_str(), nullptr);
        const std::string path = real ? real : Name;
        std::free(real);
        struct stat st {};
        const bool exists = ::stat(path.c_str(), &st) == 0;
        if (exists && (st.st_mode & 0222) == 0) return WAVTAGLIBRARY_ERROR_READ_ONLY;
        if (exists) common::removeStaleTemporaries(path);
        RemoveEmptyFrames();
        const std::string chunks = CreateTagChunks();
        if (!exists) {
            // A new file holds the chunks alone.
            int rc = ReplaceFileThroughTemp(path, [&](TFileStream& out) {
                std::string riff = "RIFF";
                AppendLE32(riff, uint32_t(4 + chunks.size()));
                riff += "WAVE" + chunks;
                return out.WriteBuffer(riff.data(), int64_t(riff.size())) ? 0 : -1;
            });
            return rc == 0 ? WAVTAGLIBRARY_SUCCESS : WAVTAGLIBRARY_ERROR_WRITING_FILE;
        }
        auto file = TFileStream::Open(path, TFileMode::fmOpenReadWrite);
        if (!file)
            return errno == EWOULDBLOCK || errno == EAGAIN ? WAVTAGLIBRARY_ERROR_NEED_EXCLUSIVE_ACCESS
                                                           : WAVTAGLIBRARY_ERROR_OPENING_FILE;
        const TRiffLayout l = WalkRiff(*file);
        if (l.Result != WAVTAGLIBRARY_SUCCESS) return l.Result;
        int rc = ReplaceFileThroughTemp(path, [&](TFileStream& out) { return WriteWav(*file, l, chunks, out); });
        if (rc < 0) return WAVTAGLIBRARY_ERROR_WRITING_FILE;
        if (rc == WAVTAGLIBRARY_SUCCESS && PreserveFileDateTime) {
            const timespec times[2] = {st.st_atim, st.st_mtim};
            ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        }
        return rc;
    } catch (...) {
        return WAVTAGLIBRARY_ERROR;
    }
}

int TWAVTag::SaveToStream(TStream& Stream) {
    try {
        RemoveEmptyFrames();
        const std::string chunks = CreateTagChunks();
        TMemoryStream whole;
        if (Stream.Size() == 0) {
            std::string riff = "RIFF";
            AppendLE32(riff, uint32_t(4 + chunks.size()));
            whole.Bytes() = riff + "WAVE" + chunks;
        } else {
            const TRiffLayout l = WalkRiff(Stream);
            if (l.Result != WAVTAGLIBRARY_SUCCESS) return l.Result;
            if (int rc = WriteWav(Stream, l, chunks, whole); rc != WAVTAGLIBRARY_SUCCESS) return rc;
        }
        if (!Stream.SetPosition(0) || !whole.SaveToStream(Stream) || !Stream.SetSize(whole.GetSizeConst()))
            return WAVTAGLIBRARY_ERROR_WRITING_FILE;
        Stream.SetPosition(0);
        return WAVTAGLIBRARY_SUCCESS;
    } catch (...) {
        return WAVTAGLIBRARY_ERROR;
    }
}

int RemoveWAVTagFromFile(const std::string& FileName, bool PreserveFileDateTime) {
    if (!common::fileExists(FileName)) return WAVTAGLIBRARY_ERROR_OPENING_FILE;
    TWAVTag empty;
    empty.PreserveFileDateTime = PreserveFileDateTime;
    return empty.SaveToFile(FileName);
}

}  // namespace tags

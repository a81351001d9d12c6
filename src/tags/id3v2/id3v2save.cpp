// Saving a tag into a file or a whole-file stream, and removing it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "common/files.h"
#include "tags/core/bufferedstream.h"
#include "tags/core/replacefile.h"
#include "tags/id3v2/id3v2bytes.h"
#include "tags/id3v2/id3v2container.h"
#include "tags/id3v2/id3v2library.h"

namespace tags {

using namespace id3v2;

namespace {

bool StreamGood(TStream& s) {
    auto* f = dynamic_cast<TFileStream*>(&s);
    return !f || f->Good();
}

// Restores the file's modification time when the scope ends, however it ends.
class ModificationTimeKeeper {
public:
    ModificationTimeKeeper(std::string path, bool keep) : path_(std::move(path)) {
        struct stat st {};
        active_ = keep && ::stat(path_.c_str(), &st) == 0;
        if (active_) time_ = st.st_mtim;
    }
    ~ModificationTimeKeeper() {
        if (!active_) return;
        struct timespec times[2] = {{0, UTIME_OMIT}, time_};
        ::utimensat(AT_FDCWD, path_.c_str(), times, 0);
    }

private:
    std::string path_;
    bool active_ = false;
    struct timespec time_ {};
};

// No write permission at all, or none for us.
bool IsReadOnly(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Replacing goes to the file a link points at, so the link stays a link.
std::string ResolvedPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

// Writes head, then source's bytes from `from` to its end, into a new file
// beside target and renames it over target. Target is untouched on failure.
int ReplaceFile(const std::string& target, TStream& source, int64_t from, const std::function<int(TStream&)>& head) {
    int rc = ReplaceFileThroughTemp(target, [&](TFileStream& out) {
        int r = head(out);
        if (r != ID3V2LIBRARY_SUCCESS) return r;
        int64_t count = source.Size() - from;
        if (count > 0 && (!source.SetPosition(from) || out.CopyFrom(source, count) != count))
            return ID3V2LIBRARY_ERROR_WRITING_FILE;
        return ID3V2LIBRARY_SUCCESS;
    });
    return rc < 0 ? ID3V2LIBRARY_ERROR_WRITING_FILE : rc;
}

// Whether a container's tag can be cut out: a tag there, sizes that fit.
int RemovalCheck(const TContainerTag& at) {
    if (at.Result == ID3V2LIBRARY_ERROR_NOT_SUPPORTED_FORMAT) return at.Result;
    if (at.ChunkStart < 0) return ID3V2LIBRARY_ERROR_EMPTY_TAG;
    return at.Result;
}

}  // namespace

namespace id3v2 {

TSourceFileType DetectContainer(TStream& s, int64_t at) {
    const int64_t pos = s.Position();
    char h[16]{};
    bool got = s.SetPosition(at) && s.Read(h, 16) >= 4;
    s.SetPosition(pos);
    if (!got) return sftUnknown;
    if (std::memcmp(h, "RIFF", 4) == 0) return sftWAVE;
    if (std::memcmp(h, "RF64", 4) == 0) return sftRF64;
    if (std::memcmp(h, "FORM", 4) == 0) return sftAIFF;
    if (std::memcmp(h, "DSD ", 4) == 0) return sftDSF;
    if (std::memcmp(h, "FRM8", 4) == 0 && std::memcmp(h + 12, "DSD ", 4) == 0) return sftDFF;
    return sftUnknown;
}

int64_t ExistingTagSize(TStream& s, int64_t at) {
    const int64_t pos = s.Position();
    uint8_t h[10];
    bool got = s.SetPosition(at) && s.ReadBuffer(h, 10);
    s.SetPosition(pos);
    if (!got || std::memcmp(h, "ID3", 3) != 0) return 0;
    // A footer is never written back, so it goes with the old tag.
    return int64_t(ReadSynchsafe(h + 6)) + 10 + (h[3] == 4 && (h[5] & 0x10) ? 10 : 0);
}

}  // namespace id3v2

int TID3v2Tag::WriteTagMaybeBuffered(TStream& Stream, const std::string& body, uint32_t padding, bool buffered) {
    if (!buffered) return WriteTag(Stream, body, padding);
    TBufferedStream wrapper(Stream);
    int rc = WriteTag(wrapper, body, padding);
    if (rc == ID3V2LIBRARY_SUCCESS && (!wrapper.Flush() || !wrapper.Good())) rc = ID3V2LIBRARY_ERROR_WRITING_FILE;
    return rc;
}

int TID3v2Tag::PrepareSave() {
    if (Frames.empty()) return ID3V2LIBRARY_ERROR_EMPTY_TAG;
    // Writing a tag loaded without its pictures would silently drop them.
    for (const auto& f : Frames)
        if (f->FDataSkipped) return ID3V2LIBRARY_ERROR;
    if (MajorVersion == 2) MajorVersion = 3;
    if (WriteVersion == sfid3v23) MajorVersion = 3;
    if (WriteVersion == sfid3v24) MajorVersion = 4;
    if (MajorVersion != 3 && MajorVersion != 4) return ID3V2LIBRARY_ERROR_NOT_SUPPORTED_VERSION;
    return -1;
}

int TID3v2Tag::SaveIntoContainer(TStream& file, const std::string* target, bool exclusive, const std::string& body,
                                 bool buffered) {
    const TContainerTag at = LocateContainerTag(file, 0);
    // Another form type behind "FORM" or "RIFF" is no file of ours to restructure.
    if (at.Result == ID3V2LIBRARY_ERROR_NOT_SUPPORTED_FORMAT) return ID3V2LIBRARY_ERROR;
    if (at.Result != ID3V2LIBRARY_SUCCESS) return at.Result;
    const int64_t newSize = 10 + int64_t(body.size());
    if (at.ChunkStart >= 0 && at.Room >= newSize && at.Room - newSize <= int64_t(PaddingToWrite)) {
        if (!file.SetPosition(at.TagStart)) return ID3V2LIBRARY_ERROR_READING_FILE;
        int w = WriteTagMaybeBuffered(file, body, uint32_t(at.Room - newSize), buffered);
        return w == ID3V2LIBRARY_SUCCESS && !StreamGood(file) ? ID3V2LIBRARY_ERROR_WRITING_FILE : w;
    }
    // Chunks get room to grow in; DSF and DFF tags are written as they are.
    uint32_t padding = at.Type == sftDSF || at.Type == sftDFF ? 0 : PaddingToWrite;
    if ((newSize + padding) & 1 && at.Type != sftDSF && at.Type != sftDFF) ++padding;
    TMemoryStream rendered;
    if (int w = WriteTag(rendered, body, padding); w != ID3V2LIBRARY_SUCCESS) return w;
    const std::string& tag = rendered.Bytes();
    if (target) {
        if (!exclusive) return ID3V2LIBRARY_ERROR_NEED_EXCLUSIVE_ACCESS;
        int rc = ReplaceFileThroughTemp(*target, [&](TFileStream& out) { return WriteContainer(file, at, tag, out); });
        return rc < 0 ? ID3V2LIBRARY_ERROR_WRITING_FILE : rc;
    }
    TMemoryStream whole;
    if (int w = WriteContainer(file, at, tag, whole); w != ID3V2LIBRARY_SUCCESS) return w;
    if (!file.SetPosition(0) || !whole.SaveToStream(file) || !file.SetSize(whole.GetSizeConst()))
        return ID3V2LIBRARY_ERROR_WRITING_FILE;
    return ID3V2LIBRARY_SUCCESS;
}

int TID3v2Tag::SaveToFile(const std::string& FileName, bool Buffered) {
    if (int rc = PrepareSave(); rc >= 0) return rc;
    if (CalculateTotalFramesSize() == 0) return StripID3v2TagFromFile(FileName, PreserveFileDateTime);

    const std::string target = ResolvedPath(FileName);
    const bool exists = common::fileExists(target);
    ModificationTimeKeeper keeper(target, PreserveFileDateTime && exists);
    if (exists && IsReadOnly(target)) return ID3V2LIBRARY_ERROR_READ_ONLY;
    // A save of ours that was killed may have left its new file behind.
    if (exists) common::removeStaleTemporaries(target);

    std::unique_ptr<TStream> file;
    bool exclusive = true;
    if (exists) {
        file = TFileStream::Open(target, TFileMode::fmOpenReadWrite);
        if (!file) {
            file = TFileStream::Open(target, TFileMode::fmOpenReadWriteShared);
            exclusive = false;
        }
    } else {
        file = TFileStream::Open(target, TFileMode::fmCreate);
    }
    if (!file) return ID3V2LIBRARY_ERROR_OPENING_FILE;

    int rc = [&] {
        std::string body;
        if (!RenderBody(body)) return ID3V2LIBRARY_ERROR_WRITING_FILE;
        const int64_t newSize = 10 + int64_t(body.size());
        if (DetectContainer(*file, 0) != sftUnknown)
            return SaveIntoContainer(*file, &target, exclusive, body, Buffered);
        const int64_t fileSize = file->Size();
        if (fileSize < 0) return ID3V2LIBRARY_ERROR_READING_FILE;
        const int64_t oldSize = ExistingTagSize(*file, 0);
        // A tag claiming more bytes than the file has: overwriting or
        // skipping that room would destroy whatever really follows the tag.
        if (oldSize > fileSize) return ID3V2LIBRARY_ERROR_CORRUPT;
        const bool rewrite = oldSize == 0 || oldSize < newSize || oldSize - newSize > int64_t(PaddingToWrite);
        if (!rewrite) {
            if (!file->SetPosition(0)) return ID3V2LIBRARY_ERROR_READING_FILE;
            int w = WriteTagMaybeBuffered(*file, body, uint32_t(oldSize - newSize), Buffered);
            return w == ID3V2LIBRARY_SUCCESS && !StreamGood(*file) ? ID3V2LIBRARY_ERROR_WRITING_FILE : w;
        }
        if (!exclusive) return ID3V2LIBRARY_ERROR_NEED_EXCLUSIVE_ACCESS;
        return ReplaceFile(target, *file, oldSize,
                           [&](TStream& out) { return WriteTagMaybeBuffered(out, body, PaddingToWrite, Buffered); });
    }();
    file.reset();
    if (rc != ID3V2LIBRARY_SUCCESS && !exists) ::unlink(target.c_str());
    return rc;
}

int TID3v2Tag::SaveToStream(TStream& Stream, bool Buffered) {
    if (int rc = PrepareSave(); rc >= 0) return rc;
    int rc = [&] {
        if (CalculateTotalFramesSize() == 0) return StripID3v2TagFromStream(Stream);
        std::string body;
        if (!RenderBody(body)) return ID3V2LIBRARY_ERROR_WRITING_FILE;
        const int64_t newSize = 10 + int64_t(body.size());
        if (DetectContainer(Stream, 0) != sftUnknown) return SaveIntoContainer(Stream, nullptr, true, body, Buffered);
        const int64_t size = Stream.Size();
        if (size < 0) return ID3V2LIBRARY_ERROR_READING_FILE;
        const int64_t oldSize = ExistingTagSize(Stream, 0);
        if (oldSize > size) return ID3V2LIBRARY_ERROR_CORRUPT;
        const bool rewrite = oldSize == 0 || oldSize < newSize || oldSize - newSize > int64_t(PaddingToWrite);
        if (!rewrite) {
            if (!Stream.SetPosition(0)) return ID3V2LIBRARY_ERROR_READING_FILE;
            return WriteTagMaybeBuffered(Stream, body, uint32_t(oldSize - newSize), Buffered);
        }
        TMemoryStream whole;
        int w = WriteTag(whole, body, PaddingToWrite);
        if (w != ID3V2LIBRARY_SUCCESS) return w;
        if (size > oldSize &&
            (!Stream.SetPosition(oldSize) || whole.CopyFrom(Stream, size - oldSize) != size - oldSize))
            return ID3V2LIBRARY_ERROR_READING_FILE;
        if (!Stream.SetPosition(0) || !whole.SaveToStream(Stream) || !Stream.SetSize(whole.GetSizeConst()))
            return ID3V2LIBRARY_ERROR_WRITING_FILE;
        return ID3V2LIBRARY_SUCCESS;
    }();
    Stream.SetPosition(0);
    return rc;
}

int StripID3v2TagFromFile(const std::string& FileName, bool PreserveFileDateTime) {
    const std::string target = ResolvedPath(FileName);
    if (!common::fileExists(target)) return ID3V2LIBRARY_ERROR_OPENING_FILE;
    ModificationTimeKeeper keeper(target, PreserveFileDateTime);
    if (IsReadOnly(target)) return ID3V2LIBRARY_ERROR_READ_ONLY;
    common::removeStaleTemporaries(target);
    auto file = TFileStream::Open(target, TFileMode::fmOpenRead);
    if (!file) return ID3V2LIBRARY_ERROR_OPENING_FILE;
    if (DetectContainer(*file, 0) != sftUnknown) {
        const TContainerTag at = LocateContainerTag(*file, 0);
        if (int rc = RemovalCheck(at); rc != ID3V2LIBRARY_SUCCESS) return rc;
        int rc = ReplaceFileThroughTemp(target, [&](TFileStream& out) { return WriteContainer(*file, at, {}, out); });
        return rc < 0 ? ID3V2LIBRARY_ERROR_WRITING_FILE : rc;
    }
    const int64_t tagSize = ExistingTagSize(*file, 0);
    if (tagSize == 0) return ID3V2LIBRARY_ERROR_EMPTY_TAG;
    if (tagSize > file->Size()) return ID3V2LIBRARY_ERROR_CORRUPT;
    return ReplaceFile(target, *file, tagSize, [](TStream&) { return ID3V2LIBRARY_SUCCESS; });
}

int StripID3v2TagFromStream(TStream& Stream) {
    const int64_t size = Stream.Size();
    if (size <= 0) return ID3V2LIBRARY_ERROR;
    if (DetectContainer(Stream, 0) != sftUnknown) {
        const TContainerTag at = LocateContainerTag(Stream, 0);
        if (int rc = RemovalCheck(at); rc != ID3V2LIBRARY_SUCCESS) return rc;
        TMemoryStream whole;
        if (int rc = WriteContainer(Stream, at, {}, whole); rc != ID3V2LIBRARY_SUCCESS) return rc;
        if (!Stream.SetPosition(0) || !whole.SaveToStream(Stream) || !Stream.SetSize(whole.GetSizeConst()))
            return ID3V2LIBRARY_ERROR_WRITING_FILE;
        Stream.SetPosition(0);
        return ID3V2LIBRARY_SUCCESS;
    }
    const int64_t tagSize = ExistingTagSize(Stream, 0);
    if (tagSize == 0) return ID3V2LIBRARY_ERROR_EMPTY_TAG;
    if (tagSize > size) return ID3V2LIBRARY_ERROR_CORRUPT;
    TMemoryStream tail;
    if (size > tagSize && (!Stream.SetPosition(tagSize) || tail.CopyFrom(Stream, size - tagSize) != size - tagSize))
        return ID3V2LIBRARY_ERROR_READING_FILE;
    if (!Stream.SetPosition(0) || !tail.SaveToStream(Stream) || !Stream.SetSize(tail.GetSizeConst()))
        return ID3V2LIBRARY_ERROR_WRITING_FILE;
    Stream.SetPosition(0);
    return ID3V2LIBRARY_SUCCESS;
}

}  // namespace tags

// The tag library's stream base: a seekable byte stream with file and memory
// implementations. Readers and writers of every tag format work on TStream so
// that the same code runs on files, memory blocks and test bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tags {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Return the number of bytes actually transferred (0 at the end or on error).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position, or -1 when the stream cannot seek there.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t GetSize();
    // Truncates or extends; false when the stream cannot change its size.
    virtual bool SetSize(int64_t newSize) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    bool SetPosition(int64_t pos) { return Seek(pos, TSeekOrigin::soBeginning) == pos; }
    int64_t Size() { return GetSize(); }

    // All-or-nothing forms: true only when exactly count bytes moved.
    bool ReadBuffer(void* buffer, int64_t count) { return count <= 0 || Read(buffer, count) == count; }
    bool WriteBuffer(const void* buffer, int64_t count) { return count <= 0 || Write(buffer, count) == count; }
    bool ReadBytes(std::string& out, int64_t count);  // out resized to what was read

    // Copies count bytes from source's current position in 1 MiB blocks; a
    // count of 0 copies the whole source from its beginning. Returns the
    // number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

enum class TFileMode {
    fmOpenRead,       // others may read but not write (shared advisory lock)
    fmOpenReadWrite,  // exclusive access (exclusive advisory lock)
    // Read-write while others keep reading (shared advisory lock): enough to
    // overwrite bytes in place while another program plays the file.
    fmOpenReadWriteShared,
    fmCreate,  // created or truncated, exclusive access
};

class TFileStream final : public TStream {
public:
    // Returns null when the file cannot be opened or the lock is held by
    // another opener; errno tells why.
    static std::unique_ptr<TFileStream> Open(const std::string& path, TFileMode mode);
    // Takes over an open descriptor (closed with the stream); null for -1.
    static std::unique_ptr<TFileStream> Adopt(int fd, std::string path);
    ~TFileStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override;
    bool SetSize(int64_t newSize) override;

    const std::string& FileName() const { return path_; }
    // False once a write or flush failed (a full disk, say); callers saving a
    // file check it before they rename the result over the original.
    bool Good() const { return good_; }

private:
    TFileStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
    bool good_ = true;
};

// A growable stream held in memory; owns its bytes.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return GetSizeConst(); }
    int64_t GetSizeConst() const { return static_cast<int64_t>(data_.size()); }
    bool SetSize(int64_t newSize) override;

    void Clear() { data_.clear(), pos_ = 0; }
    const char* Memory() const { return data_.data(); }
    const std::string& Bytes() const { return data_; }
    std::string& Bytes() { return data_; }

    // Replaces the content with the whole of source (from its beginning).
    bool LoadFromStream(TStream& source);
    bool LoadFromFile(const std::string& path);
    // Writes the whole content at the target's current position.
    bool SaveToStream(TStream& target) const;
    bool SaveToFile(const std::string& path) const;

private:
    std::string data_;
    int64_t pos_ = 0;
};

}  // namespace tags

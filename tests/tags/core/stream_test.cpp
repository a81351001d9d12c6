#include "tags/core/stream.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

using namespace tags;

namespace {
// A file in a folder of its own.
struct TempFile {
    testenv::TempDir dir;
    std::string path = dir.file("file");
};
}  // namespace

TEST(FileStream, ReadWriteSeekAndSize) {
    TempFile tmp;
    {
        auto f = TFileStream::Open(tmp.path, TFileMode::fmCreate);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->Write("hello world", 11), 11);
        EXPECT_EQ(f->Size(), 11);
        EXPECT_EQ(f->Seek(-5, TSeekOrigin::soEnd), 6);
        std::string tail;
        EXPECT_TRUE(f->ReadBytes(tail, 5));
        EXPECT_EQ(tail, "world");
        EXPECT_TRUE(f->SetSize(5));
        EXPECT_EQ(f->Position(), 5);
        EXPECT_TRUE(f->Good());
    }
    auto f = TFileStream::Open(tmp.path, TFileMode::fmOpenRead);
    ASSERT_TRUE(f);
    std::string all;
    EXPECT_FALSE(f->ReadBytes(all, 1000));  // asks more than there is
    EXPECT_EQ(all, "hello");
}

TEST(FileStream, ReadersExcludeWriters) {
    TempFile tmp;
    auto reader = TFileStream::Open(tmp.path, TFileMode::fmOpenRead);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(TFileStream::Open(tmp.path, TFileMode::fmOpenRead));
    EXPECT_FALSE(TFileStream::Open(tmp.path, TFileMode::fmOpenReadWrite));
    reader.reset();
    EXPECT_TRUE(TFileStream::Open(tmp.path, TFileMode::fmOpenReadWrite));
    EXPECT_FALSE(TFileStream::Open(tmp.path + ".missing", TFileMode::fmOpenRead));
}

TEST(MemoryStream, GrowsOnWriteAndCopiesInBlocks) {
    TMemoryStream m;
    m.Seek(4, TSeekOrigin::soBeginning);
    m.Write("ab", 2);
    EXPECT_EQ(m.Bytes(), std::string("\0\0\0\0ab", 6));
    EXPECT_EQ(m.Seek(-1, TSeekOrigin::soBeginning), -1);

    std::string big(3 << 20, 'x');
    big[(3 << 20) - 1] = 'y';
    TMemoryStream src(big), dst;
    src.Seek(100, TSeekOrigin::soBeginning);
    EXPECT_EQ(dst.CopyFrom(src, 0), static_cast<int64_t>(big.size()));  // 0 = whole source
    EXPECT_EQ(dst.Bytes(), big);
    src.Seek(-3, TSeekOrigin::soEnd);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(src, 10), 3);  // stops at the source's end
}

TEST(MemoryStream, ReadBytesDoesNotTrustLyingSizes) {
    TMemoryStream m(std::string("abc"));
    std::string out;
    EXPECT_FALSE(m.ReadBytes(out, int64_t(1) << 40));
    EXPECT_EQ(out, "abc");
}

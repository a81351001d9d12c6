#include "tags/core/bufferedstream.h"

#include <gtest/gtest.h>

#include <random>

#include "support/tempdir.h"

using namespace tags;

namespace {

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
    return s;
}

// Counts what reaches the wrapped stream; can refuse writes.
class SpyStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    int reads = 0, writes = 0, seeks = 0;
    bool failWrites = false;
    int64_t Read(void* b, int64_t n) override {
        ++reads;
        return TMemoryStream::Read(b, n);
    }
    int64_t Write(const void* b, int64_t n) override {
        ++writes;
        return failWrites ? 0 : TMemoryStream::Write(b, n);
    }
    int64_t Seek(int64_t o, TSeekOrigin origin) override {
        if (!(o == 0 && origin == TSeekOrigin::soCurrent)) ++seeks;
        return TMemoryStream::Seek(o, origin);
    }
};

}  // namespace

TEST(BufferedStream, ByteByByteReadOfAFile) {
    testenv::TempDir dir;
    std::string path = dir.at("file");
    std::string data = Pattern(1500);
    {
        auto f = TFileStream::Open(path, TFileMode::fmCreate);
        ASSERT_TRUE(f && f->WriteBuffer(data.data(), 1500));
    }
    auto f = TFileStream::Open(path, TFileMode::fmOpenRead);
    ASSERT_TRUE(f);
    std::string got;
    {
        TBufferedStream b(*f);
        char c;
        for (int i = 0; i < 2000; ++i)
            if (b.Read(&c, 1) == 1) got += c;
        EXPECT_EQ(b.Read(&c, 1), 0);
        EXPECT_EQ(b.Position(), 1500);
    }
    EXPECT_EQ(got, data);
}

TEST(BufferedStream, SeeksAreClampedAndServedFromTheBuffer) {
    std::string data = Pattern(1500);
    SpyStream inner(data);
    TBufferedStream b(inner);
    EXPECT_EQ(b.Size(), 1500);

    EXPECT_EQ(b.Seek(-10, TSeekOrigin::soEnd), 1490);
    char tail[10];
    EXPECT_EQ(b.Read(tail, 10), 10);
    EXPECT_EQ(std::string(tail, 10), data.substr(1490));
    EXPECT_EQ(b.Seek(5000, TSeekOrigin::soBeginning), 1500);
    EXPECT_EQ(b.Seek(-5000, TSeekOrigin::soCurrent), 0);

    // Moving about inside what was read ahead does not touch the file.
    char c;
    b.Read(&c, 1);
    int reads = inner.reads, seeks = inner.seeks;
    EXPECT_EQ(b.Seek(700, TSeekOrigin::soBeginning), 700);
    EXPECT_EQ(b.Read(&c, 1), 1);
    EXPECT_EQ(c, data[700]);
    EXPECT_EQ(b.Seek(-300, TSeekOrigin::soCurrent), 401);
    EXPECT_EQ(b.Read(&c, 1), 1);
    EXPECT_EQ(c, data[401]);
    EXPECT_EQ(inner.reads, reads);
    EXPECT_EQ(inner.seeks, seeks);
}

TEST(BufferedStream, WritesLandWhereTheLogicalPositionIs) {
    {  // Overwrite inside the write buffer, flushed by the destructor.
        TMemoryStream inner;
        {
            TBufferedStream b(inner);
            b.Write("0123456789", 10);
            b.Seek(-5, TSeekOrigin::soCurrent);
            b.Write("ab", 2);
            EXPECT_EQ(inner.Size(), 0);  // still buffered
            EXPECT_EQ(b.Size(), 10);
        }
        EXPECT_EQ(inner.Bytes(), "01234ab789");
    }
    {  // A large write after a small read goes to the read position.
        std::string data = Pattern(3000);
        TMemoryStream inner(data);
        {
            TBufferedStream b(inner);
            char head[10];
            b.Read(head, 10);
            std::string big(2000, 'x');
            EXPECT_EQ(b.Write(big.data(), 2000), 2000);
            EXPECT_EQ(b.Position(), 2010);
        }
        EXPECT_EQ(inner.Bytes(), data.substr(0, 10) + std::string(2000, 'x') + data.substr(2010));
    }
    {  // A large write after seeking back inside the write buffer.
        TMemoryStream inner;
        {
            TBufferedStream b(inner);
            b.Write("0123456789", 10);
            b.Seek(5, TSeekOrigin::soBeginning);
            std::string big(2000, 'y');
            b.Write(big.data(), 2000);
        }
        EXPECT_EQ(inner.Bytes(), "01234" + std::string(2000, 'y'));
    }
}

TEST(BufferedStream, SetSizeAndFailedFlushes) {
    TMemoryStream inner(Pattern(100));
    {
        TBufferedStream b(inner);
        b.Write("abc", 3);
        EXPECT_TRUE(b.SetSize(50));  // flushes first
        EXPECT_EQ(b.Position(), 50);
        EXPECT_EQ(b.Size(), 50);
    }
    EXPECT_EQ(inner.Bytes().substr(0, 3), "abc");
    EXPECT_EQ(inner.Size(), 50);

    SpyStream refusing;
    refusing.failWrites = true;
    TBufferedStream b(refusing);
    EXPECT_EQ(b.Write("abc", 3), 3);  // only buffered so far
    EXPECT_TRUE(b.Good());
    EXPECT_FALSE(b.Flush());
    EXPECT_FALSE(b.Good());
}

// Any mix of reads, writes and seeks gives what the same operations give on
// a plain memory stream.
TEST(BufferedStream, BehavesLikeAnUnbufferedStream) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 40; ++round) {
        std::string start = Pattern(rng() % 5000);
        TMemoryStream plain(start), inner(start);
        {
            TBufferedStream b(inner);
            for (int op = 0; op < 200; ++op) {
                int64_t n = rng() % 3 == 0 ? rng() % 3000 : rng() % 64;
                switch (rng() % 3) {
                case 0: {
                    std::string x(static_cast<size_t>(n), '\0'), y(static_cast<size_t>(n), '\0');
                    int64_t gotPlain = plain.Read(x.data(), n);
                    ASSERT_EQ(b.Read(y.data(), n), gotPlain) << round << "/" << op;
                    ASSERT_EQ(x.substr(0, gotPlain), y.substr(0, gotPlain));
                    break;
                }
                case 1: {
                    std::string x = Pattern(static_cast<size_t>(n) + op).substr(op);
                    plain.Write(x.data(), n);
                    ASSERT_EQ(b.Write(x.data(), n), n);
                    break;
                }
                default: {
                    int64_t to = plain.Size() ? rng() % (plain.Size() + 1) : 0;
                    plain.Seek(to, TSeekOrigin::soBeginning);
                    ASSERT_EQ(b.Seek(to - b.Position(), TSeekOrigin::soCurrent), to);
                }
                }
                ASSERT_EQ(b.Position(), plain.Position());
                ASSERT_EQ(b.Size(), plain.Size());
            }
        }
        ASSERT_EQ(inner.Bytes(), plain.Bytes()) << round;
    }
}

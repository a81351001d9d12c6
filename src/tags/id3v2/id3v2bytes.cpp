#include "tags/id3v2/id3v2bytes.h"

#include <zlib.h>

#include <algorithm>

#include "tags/core/stream.h"

namespace tags::id3v2 {

std::string RemoveUnsync(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    bool afterFF = false;
    for (char c : in) {
        auto b = static_cast<uint8_t>(c);
        if (afterFF && b == 0x00) {
            afterFF = false;
            continue;
        }
        out.push_back(c);
        afterFF = b == 0xFF;
    }
    return out;
}

std::string ApplyUnsync(std::string_view in) {
    std::string out;
    out.reserve(in.size() + in.size() / 64 + 1);
    for (size_t i = 0; i < in.size(); ++i) {
        out.push_back(in[i]);
        if (static_cast<uint8_t>(in[i]) == 0xFF && i + 1 < in.size()) {
            auto next = static_cast<uint8_t>(in[i + 1]);
            if (next == 0x00 || (next & 0xE0) != 0) out.push_back('\0');
        }
    }
    return out;
}

bool Deflate(std::string_view in, std::string& out) {
    if (in.empty()) return false;
    uLongf len = compressBound(static_cast<uLong>(in.size()));
    std::string buf(len, '\0');
    if (compress2(reinterpret_cast<Bytef*>(buf.data()), &len, reinterpret_cast<const Bytef*>(in.data()),
                  static_cast<uLong>(in.size()), Z_BEST_COMPRESSION) != Z_OK ||
        len == 0)
        return false;
    buf.resize(len);
    out = std::move(buf);
    return true;
}

bool Inflate(std::string_view in, std::string& out, size_t limit) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    std::string buf;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    char chunk[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        buf.append(chunk, sizeof chunk - zs.avail_out);
        if (buf.size() > limit) {
            rc = Z_MEM_ERROR;
            break;
        }
        // No progress possible: the input ended before the stream did.
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
            rc = Z_DATA_ERROR;
            break;
        }
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) return false;
    out = std::move(buf);
    return true;
}

int64_t BytesLeft(TStream& s) {
    int64_t pos = s.Position();
    int64_t size = s.Size();
    return pos < 0 || size < pos ? 0 : size - pos;
}

}  // namespace tags::id3v2

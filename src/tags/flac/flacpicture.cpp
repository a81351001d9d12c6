#include "tags/flac/flacpicture.h"

#include "common/text.h"
#include "tags/core/bytes.h"

namespace tags {

namespace {

struct Cursor {
    const std::string& d;
    size_t pos = 0;
    bool ok = true;
    uint32_t U32() {
        if (!ok || d.size() - pos < 4) return ok = false, 0;
        uint32_t v = ReadBE32(d.data() + pos);
        pos += 4;
        return v;
    }
    std::string Bytes(uint32_t n) {
        if (!ok || d.size() - pos < n) return ok = false, std::string();
        std::string s = d.substr(pos, n);
        pos += n;
        return s;
    }
};

}  // namespace

bool ParsePictureBlock(const std::string& data, TFlacTagCoverArtInfo& info, size_t* pictureOffset) {
    info = {};
    Cursor c{data};
    info.PictureType = c.U32();
    // The MIME type is ASCII by definition; read it byte for byte.
    info.MIMEType = common::latin1ToUtf8(c.Bytes(c.U32()));
    std::string desc = c.Bytes(c.U32());
    info.Description = desc;
    if (!common::isValidUtf8(desc)) {
        info.Description.clear();
        for (size_t p = 0; p < desc.size();) common::appendUtf8(info.Description, common::decodeUtf8(desc, p));
    }
    info.Width = c.U32();
    info.Height = c.U32();
    info.ColorDepth = c.U32();
    info.NoOfColors = c.U32();
    info.SizeOfPictureData = c.U32();
    if (!c.ok || data.size() - c.pos < info.SizeOfPictureData) {
        info = {};
        return false;
    }
    if (pictureOffset) *pictureOffset = c.pos;
    return true;
}

std::string BuildPictureBlock(const TFlacTagCoverArtInfo& info, const std::string& picture) {
    std::string out;
    AppendBE32(out, info.PictureType);
    // Lengths are byte counts, so a MIME type with a non-ASCII character
    // still yields a block that parses.
    AppendBE32(out, static_cast<uint32_t>(info.MIMEType.size()));
    out += info.MIMEType;
    AppendBE32(out, static_cast<uint32_t>(info.Description.size()));
    out += info.Description;
    AppendBE32(out, info.Width);
    AppendBE32(out, info.Height);
    AppendBE32(out, info.ColorDepth);
    AppendBE32(out, info.NoOfColors);
    AppendBE32(out, static_cast<uint32_t>(picture.size()));
    return out + picture;
}

}  // namespace tags

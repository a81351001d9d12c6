#include "tags/mp4/mp4boxes.h"

#include "tags/core/bytes.h"

namespace tags::mp4 {

bool ParseBoxes(const std::string& buf, size_t begin, size_t end, std::vector<TBox>& out) {
    out.clear();
    if (end > buf.size() || begin > end) return false;
    for (size_t pos = begin; pos < end;) {
        // QuickTime may end a list of user data with four zero bytes.
        if (end - pos == 4 && ReadBE32(buf.data() + pos) == 0) break;
        if (end - pos < 8) return false;
        TBox b;
        b.Offset = pos;
        b.Type = buf.substr(pos + 4, 4);
        uint64_t size = ReadBE32(buf.data() + pos);
        if (size == 1) {
            if (end - pos < 16) return false;
            size = ReadBE64(buf.data() + pos + 8);
            b.Header = 16;
        }
        // A size of 0 ("to the end of the file") is for the last top-level
        // atom only; inside another it would swallow what follows.
        if (size < b.Header || size > end - pos) return false;
        b.Size = static_cast<size_t>(size);
        out.push_back(b);
        pos += b.Size;
    }
    return true;
}

const TBox* FindBox(const std::vector<TBox>& boxes, const char* type) {
    for (const TBox& b : boxes)
        if (b.Type == type) return &b;
    return nullptr;
}

std::string MakeBox(const std::string& type, const std::string& content) {
    std::string out;
    const uint64_t size = 8 + content.size();
    if (size <= 0xFFFFFFFFu) {
        AppendBE32(out, static_cast<uint32_t>(size));
        out += type;
    } else {
        AppendBE32(out, 1);
        out += type;
        AppendBE64(out, size + 8);
    }
    return out + content;
}

std::vector<TTopAtom> ReadTopLevel(TStream& s, bool& Damaged) {
    std::vector<TTopAtom> atoms;
    Damaged = false;
    const int64_t size = s.Size();
    for (int64_t pos = 0; pos < size;) {
        uint8_t h[16];
        if (size - pos < 8 || !s.SetPosition(pos) || !s.ReadBuffer(h, 8)) {
            Damaged = true;
            break;
        }
        TTopAtom a;
        a.Offset = pos;
        a.Type.assign(reinterpret_cast<const char*>(h + 4), 4);
        uint64_t n = ReadBE32(h);
        if (n == 1) {
            if (size - pos < 16 || !s.ReadBuffer(h + 8, 8)) {
                Damaged = true;
                break;
            }
            n = ReadBE64(h + 8);
            a.Header = 16;
        } else if (n == 0) {
            n = static_cast<uint64_t>(size - pos);
        }
        if (n < static_cast<uint64_t>(a.Header)) {
            Damaged = true;
            break;
        }
        if (n > static_cast<uint64_t>(size - pos)) {
            a.Size = size - pos;
            a.Truncated = true;
            atoms.push_back(a);
            break;
        }
        a.Size = static_cast<int64_t>(n);
        atoms.push_back(a);
        pos += a.Size;
    }
    return atoms;
}

}  // namespace tags::mp4

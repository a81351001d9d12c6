// Atom headers, in a byte buffer and at the top level of a stream. Internal
// to the MP4 unit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/core/stream.h"

namespace tags::mp4 {

// One atom inside a buffer.
struct TBox {
    std::string Type;
    size_t Offset = 0;  // of its header
    size_t Header = 8;  // 8, or 16 with a 64-bit size
    size_t Size = 0;    // header included
    size_t ContentBegin() const { return Offset + Header; }
    size_t End() const { return Offset + Size; }
};

// The atoms between begin and end of buf, in order (four zero bytes may end
// the list). False when one is shorter than its header (a size of 0
// included) or runs past end.
bool ParseBoxes(const std::string& buf, size_t begin, size_t end, std::vector<TBox>& out);
// The first atom of that type among boxes, or null.
const TBox* FindBox(const std::vector<TBox>& boxes, const char* type);

// An atom around content, with a 64-bit size only when it needs one.
std::string MakeBox(const std::string& type, const std::string& content);

// One atom at the top level of a file.
struct TTopAtom {
    std::string Type;
    int64_t Offset = 0;
    int64_t Header = 8;
    int64_t Size = 0;
    bool Truncated = false;  // ran past the end of the file: cut there
    int64_t End() const { return Offset + Size; }
};

// The top-level atoms from the start of the stream. The walk ends at the end
// of the stream, at an atom that runs past it (kept, cut and marked), or at
// bytes that are no atom header (Damaged).
std::vector<TTopAtom> ReadTopLevel(TStream& s, bool& Damaged);

}  // namespace tags::mp4

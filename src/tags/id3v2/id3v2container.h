// Where a tag sits in a file, private to ID3v2Library.
#pragma once

#include <cstdint>
#include <string>

#include "tags/id3v2/id3v2library.h"

namespace tags::id3v2 {

// The containers that keep their tag in a chunk; sftUnknown for anything
// else, including a stream that starts with "ID3". The position is restored.
TSourceFileType DetectContainer(TStream& s, int64_t at);

// Bytes taken by the tag that starts at the position (header, body and an
// ID3v2.4 footer), 0 when no tag starts there. The position is restored.
int64_t ExistingTagSize(TStream& s, int64_t at);

// The tag of a WAV, RF64, AIFF, DSF or DFF file and the size fields that
// change with it.
struct TContainerTag {
    TSourceFileType Type = sftUnknown;
    // ID3V2LIBRARY_ERROR_CORRUPT when the sizes do not fit the stream (the
    // tag found before the fault still loads), ..._NOT_SUPPORTED_FORMAT when
    // the form type is not the container's.
    int Result = ID3V2LIBRARY_SUCCESS;
    int64_t ChunkStart = -1;      // the tag chunk's header (DSF: the tag itself); -1 without a tag
    int64_t ChunkEnd = 0;         // past the chunk and its pad byte
    int64_t TagStart = 0;         // the first byte of the tag
    int64_t Room = 0;             // bytes the tag may fill where it is
    int64_t Append = 0;           // where a new tag chunk goes
    bool AppendAfterPad = false;  // the last chunk lacks its pad byte: a new chunk writes it first
    int SizeField = 4;            // offset of the RIFF, FORM, FRM8 or DSF total size
    int SizeWidth = 4;            // its width in bytes
    bool BigEndian = false;
};

// Walks the container that starts at `base`; the position is restored.
TContainerTag LocateContainerTag(TStream& s, int64_t base);

// Writes the container that starts at offset 0 of src into out with `tag`
// (a whole ID3v2 tag, or empty to remove it) in place of the old tag, and
// with every size field updated. Result: an ID3v2Library code.
int WriteContainer(TStream& src, const TContainerTag& at, const std::string& tag, TStream& out);

}  // namespace tags::id3v2

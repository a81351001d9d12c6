// The blocks that live at the end of a file (APEv2, Lyrics3 v2, ID3v1) and the
// one way the end-of-file tag units rewrite a file's end.
#pragma once

#include "tags/core/stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tags {

inline constexpr int64_t kID3v1BlockSize = 128;

// Exactly count bytes at pos; false when they are not all there.
bool ReadAt(TStream& stream, int64_t pos, void* buffer, int64_t count);
bool BytesAt(TStream& stream, int64_t pos, std::string_view expected);

// True when the 128 bytes that end at end start with "TAG" and are not the
// end of an APE tag.
bool HasID3v1At(TStream& stream, int64_t end);

// Size, markers included, of a well-formed Lyrics3 v2 block ending at end
// ("LYRICS200", its six size digits and a "LYRICSBEGIN" where they point);
// 0 when there is none.
int64_t Lyrics3BlockSizeAt(TStream& stream, int64_t end);

// Value of a run of ASCII decimal digits; -1 when it is empty or holds
// anything else.
int64_t ParseDecimal(std::string_view digits);

// Tag text as users expect it: without leading and trailing blanks and control
// characters.
std::string TrimTagText(std::string_view text);

// Byte-order helpers for little-endian 32-bit fields.
uint32_t GetLE32(const unsigned char* p);
void PutLE32(std::string& out, uint32_t value);

// How a file should end: its first Keep bytes, then Tail.
struct TTailPlan {
    int64_t Keep = 0;
    std::string Tail;
};

// Applies a plan to a stream held in memory or opened by the caller.
bool ApplyTailPlan(TStream& stream, const TTailPlan& plan);

// Called on the file opened for exclusive access (an empty stream for a file
// about to be created): fills the plan and returns 0, or returns the unit's
// result code to stop without writing.
using TTailPlanner = std::function<int(TStream& file, TTailPlan& plan)>;

enum class TTailStatus { tsDone, tsPlanRefused, tsMissing, tsReadOnly, tsOpenFailed, tsWriteFailed };

struct TTailOptions {
    bool CreateIfMissing = false;
    bool PreserveFileDateTime = false;
};

// A file without any write permission bit counts as read-only, even for root,
// as it does in a file manager.
bool IsReadOnlyFile(const std::string& path);

// Makes the file hold its first plan.Keep bytes followed by plan.Tail. A tail
// that fits exactly in the old room is overwritten in place (and put back if
// the write fails); any other change is written to a temporary file beside
// the original and renamed over it only after every byte was written, so a
// failure never costs the audio or leaves a half-written file.
TTailStatus RewriteFileTail(const std::string& path, const TTailOptions& options, const TTailPlanner& planner,
                            int& planResult);

}  // namespace tags

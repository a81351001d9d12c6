// The rules every format's converters share, kept in one place so that the
// formats agree: track and disc numbers with their totals, list values and
// the MIME type a picture is written with.
#pragma once

#include "tags/facade/tagtypes.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tags {

class TTag;
class TTags;

// Track and disc numbers, and the totals that go with them.
enum class TNumberKind { None, Track, Disc };

// "TRACKNUMBER" and "TRACK" are track numbers, "DISCNUMBER" and "DISC" disc
// numbers (ignoring case).
TNumberKind NumberKindOf(const std::string& name);
// "TOTALTRACKS" and "TRACKTOTAL" total the track numbers, "TOTALDISCS" and
// "DISCTOTAL" the disc numbers.
TNumberKind TotalKindOf(const std::string& name);
// The entry name of the number and of the total a split "n/total" gives.
const char* NumberName(TNumberKind kind);
const char* TotalName(TNumberKind kind);

// "3/12" as number and total, split at the first "/"; nothing for a value
// without one.
std::optional<std::pair<std::string, std::string>> SplitNumber(const std::string& value);

// The value of the first number entry of this kind, if there is one.
const TTag* NumberEntry(const TTags& tags, TNumberKind kind);
// A number the user typed with its total ("3/12") carries that total: it is
// written as it is, never joined again, and the total entries beside it are
// not written (the number's own total outranks them).
bool NumberHoldsTotal(const TTags& tags, TNumberKind kind);
// The text of a native item that holds number and total together: the
// number as it is when it holds its own total, else joined with the first
// non-empty total entry ("0" standing in for an empty number).
std::string NumberWithTotal(const TTags& tags, const std::string& number, TNumberKind kind);

// A list value ("role=person" items) as the facade holds it, lines each
// ended by CR LF.
std::string ListToLines(const std::vector<std::string>& items);

// The MIME type a picture is written with: its own, else the one of its
// format, detected from the bytes when unknown; TIFF gets none.
std::string MIMETypeToWrite(const std::string& mimeType, TTagPictureFormat format, const std::string& data);

}  // namespace tags

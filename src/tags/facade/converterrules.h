// The rules every format's converters share, kept in one place so that the
// formats agree: track and disc numbers with their totals, list values and
// the MIME type a picture is written with.
#pragma once

#include "tags/facade/formattag.h"
#include "tags/facade/tagtypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tags {

class TCoverArt;
class TTag;
class TTags;
struct TFlacTagCoverArtInfo;

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

// The entries a format's items give, in the order a load adds them: every
// "n/total" track number (and, when the format says so, disc number) split
// into a number and a total, the total replacing the first entry of its
// name; a total the format also stores on its own (ID3v2 writes it to TXXX
// as well) is kept but not shown twice.
struct TShownEntry {
    TUnifiedEntry Entry;
    bool Total = false;  // the second half of a split number
    bool Shown = true;   // false: repeats a total shown before
};
std::vector<TShownEntry> ShowEntries(std::vector<TUnifiedEntry> entries, bool splitsDiscNumbers);

// How a save brings a format whose items each hold one field (APEv2, Vorbis
// comments) in line with the entries. A name whose entries show exactly what
// a load of the items shows is left alone, so untouched items keep their
// bytes; the items of any other name that has entries go and are written
// again from them. An item goes as a whole, so every name it shows under
// (the number and the total of "3/12") is written again with it.
class TItemListPlan {
public:
    // native: the format's items as GetUnifiedTags gives them, each entry
    // with its item.
    TItemListPlan(const TTags& tags, TUnifiedTags native);
    bool Rewrites(int64_t item) const { return FRewritten.count(item) > 0; }
    // name: any case.
    bool Writes(const std::string& name) const;

private:
    std::set<int64_t> FRewritten;
    std::set<std::string> FNames;  // upper case
};

// The items (indices, from the last) that show an entry of this name: what
// deleting the entry deletes, so that no save brings it back.
std::vector<int64_t> ItemsShowing(TUnifiedTags native, const std::string& name);

// Whether the facade's pictures are exactly those of the format, so that a
// save can leave the format's own picture items as they are.
bool SamePictures(const TTags& tags, const TUnifiedTags& native);

// A list value ("role=person" items) as the facade holds it, lines each
// ended by CR LF.
std::string ListToLines(const std::vector<std::string>& items);
// "TIPL" and "TMCL" (any case): the names whose values are such lists.
bool IsListName(const std::string& name);

// Formats whose items are NAME=value fields (FLAC and Ogg comments): the
// fields of every name a save must write again go (deleteField, by index,
// from the last), and addField writes each of its entries again, with its
// list items for a list name (null otherwise). A total is not written beside
// a number that holds its own. native: the fields as GetUnifiedTags gives
// them, fieldCount: how many fields there are.
void PrepareFields(const TTags& tags, TUnifiedTags native, int fieldCount, const std::function<void(int)>& deleteField,
                   const std::function<void(const TTag&, const std::vector<std::string>* list)>& addField);

// A facade picture as a FLAC PICTURE structure describes it, its MIME type
// filled in when it has none; and back, as a picture of the format.
TFlacTagCoverArtInfo PictureInfoOf(const TCoverArt& picture);
TUnifiedPicture UnifiedPictureOf(const TFlacTagCoverArtInfo& info, std::string data, std::string name);

// The MIME type a picture is written with: its own, else the one of its
// format, detected from the bytes when unknown; TIFF gets none.
std::string MIMETypeToWrite(const std::string& mimeType, TTagPictureFormat format, const std::string& data);

}  // namespace tags

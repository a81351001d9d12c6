// One unified entry of a TTags list: a field name ("ARTIST", or a name a
// format spells its own way) and its value.
#pragma once

#include "tags/facade/tagtypes.h"

#include <string>
#include <vector>

namespace tags {

class TTags;

class TTag {
public:
    explicit TTag(TTags* parent) : Parent(parent) {}

    std::string Name;
    std::string Value;  // lines separated by CR LF
    std::string SortWith;
    std::string Language;
    std::string Description;
    TExtTagType ExtTagType = ettUnknown;
    TTags* Parent;  // not owned
    bool AlreadyParsed = false;

    // Position in the parent's list, -1 when not in it.
    int GetIndex() const;
    // Both destroy this entry: Remove only takes it off the list, Delete also
    // removes its native counterparts from the parent's format objects.
    bool Remove();
    bool Delete();
    void Clear();
    // Copies Name, Value, Language and Description.
    void Assign(const TTag& source);

    // A list of "name=value" items stored as alternating lines: name, value.
    bool SetAsList(const std::vector<std::string>& list);
    bool GetList(std::vector<std::string>& list) const;
};

// Splits at CR LF, LF or CR; a line break at the very end adds no line.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace tags

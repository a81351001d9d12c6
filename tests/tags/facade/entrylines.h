// "NAME=value" for every entry of a facade, in list order: what most facade
// tests compare.
#pragma once

#include "tags/facade/tagslibrary.h"

#include <string>
#include <vector>

namespace tags::testing {

inline std::vector<std::string> Entries(const TTags& t) {
    std::vector<std::string> out;
    for (const auto& e : t.Tags) out.push_back(e->Name + "=" + e->Value);
    return out;
}

}  // namespace tags::testing

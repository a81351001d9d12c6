// Helpers for the facade's lists of owned entries and pictures.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace tags::detail {

// -1 when item is not in the list.
template <typename T>
int IndexOf(const std::vector<std::unique_ptr<T>>& list, const T* item) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == item) return static_cast<int>(i);
    return -1;
}

// False, changing nothing, when index is out of range.
template <typename T>
bool EraseAt(std::vector<std::unique_ptr<T>>& list, int index) {
    if (index < 0 || static_cast<size_t>(index) >= list.size()) return false;
    list.erase(list.begin() + index);
    return true;
}

// Frees every element and gives the list back its starting capacity.
template <typename T>
void ResetList(std::vector<std::unique_ptr<T>>& list, size_t capacity) {
    std::vector<std::unique_ptr<T>>().swap(list);
    list.reserve(capacity);
}

}  // namespace tags::detail

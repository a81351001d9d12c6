#include "player/randomorder.h"

#include <vector>

namespace player {

TLines BuildRandomOrder(int rows, std::mt19937& random) {
    TLines order;
    if (rows <= 0) return order;
    order.reserve(size_t(rows));
    std::vector<bool> taken(size_t(rows), false);
    std::uniform_int_distribution<int> draw(0, rows - 1);
    for (int i = 0; i < rows; ++i) {
        int r;
        do r = draw(random);
        while (taken[size_t(r)]);
        taken[size_t(r)] = true;
        order.push_back(std::to_string(r + 1));
    }
    return order;
}

std::optional<int> AdvanceRandomOrder(TLines& order) {
    if (order.empty()) return std::nullopt;
    order.erase(order.begin());
    if (order.empty()) return std::nullopt;
    return RowNumber(order.front());
}

std::optional<int> RandomOrderNext(const TLines& order) {
    if (order.size() < 2) return std::nullopt;
    return RowNumber(order[1]);
}

}  // namespace player

#include "app/version.h"

namespace app {

std::string NormalizeVersionText(std::string_view raw) {
    std::string out;
    for (char c : raw) {
        if (c == ' ') continue;
        if (c >= '0' && c <= '9') {
            out.push_back(c);
        } else if (c == ',' || c == '.') {
            if (!out.empty() && out.back() != '.') out.push_back('.');
        } else {
            break;
        }
    }
    if (!out.empty() && out.back() == '.') out.pop_back();
    return out;
}

std::string FileVersionText(platform::System& system, const std::string& path) {
    return NormalizeVersionText(system.FileVersionText(path));
}

std::string BuildWidthText() {
    std::string text = std::to_string(sizeof(void*) * 8);
    text.insert(0, 1, '(');
    text.append("-bit)");
    return text;
}

}  // namespace app

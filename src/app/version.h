// The version text shown in the caption and the tray menu.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace app {

// A file's version as digits and single dots: blanks are skipped, "," and "."
// become one ".", anything else ends the text; no trailing dot.
std::string NormalizeVersionText(std::string_view raw);
std::string FileVersionText(platform::System& system, const std::string& path);
// "(64-bit)" or "(32-bit)": the width of this build.
std::string BuildWidthText();

}  // namespace app

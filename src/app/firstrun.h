// The settings a first start writes when there is no settings file yet.
#pragma once

#include <string>
#include <vector>

namespace app {

// The 77 lines, in file order.
const std::vector<std::string>& FirstRunTemplate();
// Writes them to the file as UTF-16LE with a byte-order mark.
bool WriteFirstRunTemplate(const std::string& path);

}  // namespace app

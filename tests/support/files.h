// Whole files as bytes.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace testenv {

// Every byte of the file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file with `bytes`; false when it cannot be written. No sync:
// fixtures need speed, not safety.
bool writeFile(const std::string& path, std::string_view bytes);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Sets the file's access and modification times to `seconds` since the epoch.
bool setModificationTime(const std::string& path, time_t seconds);
// Whole seconds since the epoch; -1 when the file is not there.
time_t modificationTime(const std::string& path);

}  // namespace testenv

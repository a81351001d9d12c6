// The commands that write: set, remove and add-picture. Each returns the
// exit status (0 done, 1 failed, 2 usage error) and reports on stderr.
#pragma once

#include <string>
#include <vector>

namespace tags::cli {

int SetCommand(const std::vector<std::string>& args);
int RemoveCommand(const std::vector<std::string>& args);
int AddPictureCommand(const std::vector<std::string>& args);

// Prints the message and the usage text; returns 2.
int UsageError(const std::string& message);

}  // namespace tags::cli

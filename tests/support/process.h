// Running the independent tools the tests compare with (ffmpeg, mutagen,
// the encoders), all installed by the bootstrap.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testenv {

struct Output {
    int status = -1;  // the exit status; -1 when the command could not run or was killed
    std::string out, err;
};

// s in single quotes, safe in a shell command line.
std::string shellQuote(const std::string& s);
// Runs a shell command line with no input, collecting both its outputs.
Output run(const std::string& command);
// Runs "ffmpeg -nostdin -v error -y ARGS"; true on success.
bool ffmpeg(const std::string& args);
// The same with several outputs at once: (file, options) pairs.
bool ffmpegMany(const std::string& input, const std::vector<std::pair<std::string, std::string>>& outputs);
// The Python interpreter that has mutagen (Debian's belongs to the system
// interpreter, which may not be the first python3 on PATH); empty when none has.
const std::string& mutagenPython();

}  // namespace testenv

// Runs the built orvelin-tags and checks its JSON with Python's parser.
#pragma once

#include <string>
#include <vector>

#include "support/process.h"
#include "support/tempdir.h"

namespace tags::testing {

using testenv::Output;
using testenv::shellQuote;
using testenv::TempDir;

inline Output RunTool(const std::vector<std::string>& args) {
    std::string command = shellQuote(ORVELIN_BINARY_DIR "/src/tags/cli/orvelin-tags");
    for (const std::string& a : args) command += " " + shellQuote(a);
    return testenv::run(command);
}

// Parses every line as JSON and prints, per line, the values of the
// comma-separated `expression` (over the object d) joined by "|"; a parse
// error fails the run.
inline Output QueryJsonLines(const TempDir& dir, const std::string& lines, const std::string& expression) {
    std::string input = dir.file(".json", lines);
    std::string script =
        "import json,os,sys\nfor l in open(sys.argv[1], encoding='utf-8'):\n"
        "    d = json.loads(l)\n    print(*(" +
        expression + ",), sep='|')\n";
    return testenv::run("python3 -c " + shellQuote(script) + " " + shellQuote(input));
}

}  // namespace tags::testing

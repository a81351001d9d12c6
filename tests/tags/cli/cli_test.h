// Runs the built orvelin-tags and checks its JSON with Python's parser.
#pragma once

#include "tags/facade/testfiles.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tags::testing {

struct RunResult {
    int status = -1;
    std::string out, err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline RunResult RunCommand(const TempDir& dir, const std::string& command) {
    std::string out = dir.path + "/.stdout", err = dir.path + "/.stderr";
    int raw = std::system((command + " >" + ShellQuote(out) + " 2>" + ShellQuote(err)).c_str());
    RunResult r;
    r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
}

inline RunResult RunTool(const TempDir& dir, const std::vector<std::string>& args) {
    std::string command = ShellQuote(ORVELIN_BINARY_DIR "/src/tags/cli/orvelin-tags");
    for (const std::string& a : args) command += " " + ShellQuote(a);
    return RunCommand(dir, command);
}

// Parses every line as JSON and prints, per line, the values of the
// comma-separated `expression` (over the object d) joined by "|"; a parse
// error fails the run.
inline RunResult QueryJsonLines(const TempDir& dir, const std::string& lines, const std::string& expression) {
    std::string input = dir.Write(".json", lines);
    std::string script =
        "import json,os,sys\nfor l in open(sys.argv[1], encoding='utf-8'):\n"
        "    d = json.loads(l)\n    print(*(" +
        expression + ",), sep='|')\n";
    return RunCommand(dir, "python3 -c " + ShellQuote(script) + " " + ShellQuote(input));
}

}  // namespace tags::testing

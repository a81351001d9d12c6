// orvelin-tags: the tag library's command-line face.
#include "common/log.h"
#include "tags/cli/dump.h"
#include "tags/cli/edit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: orvelin-tags dump [--native] FILE...\n"
    "       orvelin-tags set FILE NAME=VALUE...\n"
    "       orvelin-tags remove FILE [--type NAME]\n"
    "       orvelin-tags add-picture FILE IMAGE [--type N] [--description TEXT]\n"
    "\n"
    "  dump         print one JSON object per file and line: the entries, pictures,\n"
    "               stream properties and audio format the tag library finds\n"
    "    --native   also list the items of every tag format found, as that format\n"
    "               names them\n"
    "  set          set each field (an empty VALUE deletes it) and save the file's\n"
    "               tags\n"
    "  remove       remove every tag, or only NAME: ID3v1, ID3v2, APEv2, FLAC\n"
    "  add-picture  add IMAGE as a picture of type N (default 3, front cover)\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be read or written,\n"
    "2 on a usage error.\n";

}  // namespace

namespace tags::cli {

int UsageError(const std::string& message) {
    std::fprintf(stderr, "orvelin-tags: %s\n\n%s", message.c_str(), kUsage);
    return 2;
}

}  // namespace tags::cli

namespace {

using tags::cli::UsageError;

int Dump(const std::vector<std::string>& args) {
    bool native = false, options = true;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (options && a == "--") options = false;
        else if (options && a == "--native") native = true;
        else if (options && a.size() > 1 && a[0] == '-') return UsageError("unknown option " + a);
        else files.push_back(a);
    }
    if (files.empty()) return UsageError("dump needs at least one file");
    tags::TTags tags;
    int status = 0;
    for (const std::string& f : files) {
        tags::cli::DumpLine line = tags::cli::DumpFile(tags, f, native);
        std::fwrite(line.Json.data(), 1, line.Json.size(), stdout);
        std::fputc('\n', stdout);
        if (line.Result != tags::trSuccess) status = 1;
    }
    return std::fflush(stdout) == 0 ? status : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Every refused save is reported with its code already; the log adds only faults.
    common::log::setLevelFromEnvironment(common::log::Level::error);
    std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "dump") return Dump(args);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "set") return tags::cli::SetCommand(args);
    if (command == "remove") return tags::cli::RemoveCommand(args);
    if (command == "add-picture") return tags::cli::AddPictureCommand(args);
    if (command.empty()) return UsageError("no command given");
    return UsageError(("unknown command '" + command + "'").c_str());
}

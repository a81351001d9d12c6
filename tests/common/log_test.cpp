#include "common/log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/files.h"
#include "support/env.h"
#include "support/logcapture.h"
#include "support/tempdir.h"

namespace logging = common::log;
using logging::Level;

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

std::vector<std::string> linesOf(const std::string& path) { return splitLines(common::readFile(path).value_or("")); }

// What follows the time stamp.
std::string withoutTime(const std::string& line) {
    static const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
    std::smatch m;
    return std::regex_search(line, m, stamp) ? m.suffix().str() : "no time stamp: " + line;
}

class Log : public ::testing::Test {
protected:
    void SetUp() override { file = dir.path + "orvelin.log"; }
    void TearDown() override {
        logging::setFile("");
        logging::setLevel(threshold);
    }
    const Level threshold = logging::threshold();
    testenv::TempDir dir;
    std::string file;
};

}  // namespace

TEST_F(Log, OnlyLevelsAtOrAboveTheThresholdAreWritten) {
    struct Case {
        Level threshold;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {Level::debug, {"debug t: 1", "info t: 2", "warning t: 3", "error t: 4"}},
        {Level::info, {"info t: 2", "warning t: 3", "error t: 4"}},
        {Level::warning, {"warning t: 3", "error t: 4"}},
        {Level::error, {"error t: 4"}},
        {Level::off, {}},
    };
    testenv::LogCapture err;  // keeps standard error quiet
    for (const Case& c : cases) {
        std::string path = dir.path + std::string(logging::levelName(c.threshold)) + ".log";
        logging::setFile(path);
        logging::setLevel(c.threshold);
        logging::debug("t", 1);
        logging::info("t", 2);
        logging::warn("t", 3);
        logging::error("t", 4);
        std::vector<std::string> got;
        for (const std::string& line : linesOf(path)) got.push_back(withoutTime(line));
        EXPECT_EQ(got, c.written) << "threshold " << logging::levelName(c.threshold);
    }
}

TEST_F(Log, LevelNamesAndTheEnvironment) {
    EXPECT_EQ(logging::parseLevel("debug"), Level::debug);
    EXPECT_EQ(logging::parseLevel(" Warn "), Level::warning);
    EXPECT_EQ(logging::parseLevel("ERROR"), Level::error);
    EXPECT_EQ(logging::parseLevel("off"), Level::off);
    EXPECT_EQ(logging::parseLevel("verbose"), std::nullopt);
    EXPECT_EQ(logging::parseLevel(""), std::nullopt);

    testenv::EnvVar variable("ORVELIN_LOG", "Debug");
    logging::setLevelFromEnvironment(Level::error);
    EXPECT_EQ(logging::threshold(), Level::debug);
    variable.set("loud");
    logging::setLevelFromEnvironment(Level::error);
    EXPECT_EQ(logging::threshold(), Level::error);
    variable.set(std::nullopt);
    logging::setLevelFromEnvironment();
    EXPECT_EQ(logging::threshold(), Level::warning);
}

TEST_F(Log, OneEntryIsOneLineWithItsPartsPutTogether) {
    testenv::LogCapture err(Level::debug);
    logging::setFile(file);
    logging::warn("player.m3u", "cannot save \"", std::string("a\nb\r.m3u"), "\": ", -5, ' ', 7u, " after ", 1.5, "s");
    std::string line = "warning player.m3u: cannot save \"a b .m3u\": -5 7 after 1.5s";
    std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(withoutTime(lines[0]), line);
    EXPECT_EQ(withoutTime(err.text()), line + "\n");
}

TEST_F(Log, CaughtNamesTheException) {
    testenv::LogCapture err(Level::error);
    logging::setFile(file);
    try {
        throw std::length_error("frame too long");
    } catch (...) {
        logging::caught("tags.apev2", "reading the tag");
    }
    try {
        throw 42;
    } catch (...) {
        logging::caught("ui", "saving at exit");
    }
    std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(withoutTime(lines[0]), "error tags.apev2: reading the tag: frame too long");
    EXPECT_EQ(withoutTime(lines[1]), "error ui: saving at exit: an unknown exception");
}

TEST_F(Log, TheFileRotatesIntoOnePreviousFile) {
    // 70 bytes already there and lines of 47: the limit of 200 is passed at the third line.
    ASSERT_TRUE(common::writeFileAtomic(file, std::string(69, 'o') + "\n"));
    logging::setFile(file, 200);
    testenv::LogCapture err(Level::info);
    for (int i = 10; i < 30; ++i) logging::info("rotation", "line ", i);
    std::vector<std::string> current = linesOf(file), previous = linesOf(file + ".1");
    ASSERT_FALSE(current.empty());
    ASSERT_FALSE(previous.empty());
    EXPECT_LE(common::fileSize(file), 200);
    EXPECT_LE(common::fileSize(file + ".1"), 200);
    EXPECT_FALSE(common::fileExists(file + ".2"));
    // The newest lines, in order and without a gap across the two files.
    std::vector<std::string> all = previous;
    all.insert(all.end(), current.begin(), current.end());
    for (size_t k = 0; k < all.size(); ++k)
        EXPECT_EQ(withoutTime(all[all.size() - 1 - k]), "info rotation: line " + std::to_string(29 - k));
    // Standard error got every line.
    EXPECT_EQ(splitLines(err.text()).size(), 20u);
}

TEST_F(Log, ConcurrentWritersProduceWholeLines) {
    constexpr int kWriters = 8, kLines = 200;
    const std::string filler(100, 'x');
    testenv::LogCapture err(Level::info);
    logging::setFile(file, 1 << 24);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < kLines; ++i) logging::info("test.thread", "writer ", w, " line ", i, ' ', filler);
        });
    for (std::thread& t : writers) t.join();

    const std::regex entry("info test\\.thread: writer (\\d+) line (\\d+) " + filler);
    auto check = [&](const std::vector<std::string>& lines, const char* where) {
        std::set<std::pair<int, int>> seen;
        for (const std::string& line : lines) {
            std::smatch m;
            std::string rest = withoutTime(line);
            ASSERT_TRUE(std::regex_match(rest, m, entry)) << where << ": " << line;
            seen.insert({std::stoi(m[1]), std::stoi(m[2])});
        }
        EXPECT_EQ(lines.size(), size_t{kWriters * kLines}) << where;
        EXPECT_EQ(seen.size(), size_t{kWriters * kLines}) << where;
    };
    check(linesOf(file), "file");
    check(splitLines(err.text()), "stderr");
}

TEST_F(Log, AnUnwritableLogFileLeavesStandardErrorWritten) {
    // A regular file where the folder should be: no permission setting helps, even for root.
    std::string notAFolder = dir.file("settings");
    logging::setFile(notAFolder + "/orvelin.log");
    testenv::LogCapture err(Level::warning);
    logging::error("app.settings", "cannot save Option.ini");
    logging::warn("player.m3u", "cannot save default.m3u");
    std::vector<std::string> lines = splitLines(err.text());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(withoutTime(lines[0]), "error app.settings: cannot save Option.ini");
    // Said once, not at every line.
    EXPECT_EQ(withoutTime(lines[1]),
              "warning common.log: cannot write the log file \"" + notAFolder + "/orvelin.log\": Not a directory");
    EXPECT_EQ(withoutTime(lines[2]), "warning player.m3u: cannot save default.m3u");
}

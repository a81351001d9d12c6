// orvelin-tags dump over a folder of files made by Debian's encoders.
#include "tags/cli/cli_test.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace tags::testing;
using namespace testenv;

TEST(SampleFolder, EveryFileDumpsWithItsFormat) {
    TempDir dir;
    Output made =
        run("bash " + shellQuote(ORVELIN_SOURCE_DIR "/tests/tags/cli/make_samples.sh") + " " + shellQuote(dir.path));
    ASSERT_EQ(made.status, 0) << made.err;
    std::map<std::string, int> expected;
    std::vector<std::string> args = {"dump", "--native"};
    std::istringstream lines(made.out);
    std::string name;
    int code;
    while (lines >> name >> code) {
        expected[name] = code;
        args.push_back(dir.path + name);
    }
    ASSERT_GE(expected.size(), 14u);

    Output r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    Output q = QueryJsonLines(dir, r.out, "d['file'].rsplit('/', 1)[1], d['format'], d['result']");
    ASSERT_EQ(q.status, 0) << q.err << r.out;
    std::istringstream got(q.out);
    std::map<std::string, int> found;
    for (std::string line; std::getline(got, line);) {  // sample.wav|9|0
        size_t a = line.find('|'), b = line.rfind('|');
        ASSERT_NE(a, b) << line;
        found[line.substr(0, a)] = std::stoi(line.substr(a + 1, b - a - 1));
        EXPECT_EQ(line.substr(b + 1), "0") << line;  // every load succeeded
    }
    EXPECT_EQ(found, expected);
}

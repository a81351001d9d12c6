// orvelin-tags dump over a folder of files made by Debian's encoders.
#include "support/files.h"
#include "tags/cli/cli_test.h"
#include "tags/facade/tagslibrary.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>

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

// Untagged MPEG audio from LAME and ffmpeg, whole and cut at every offset of
// its first frames (a stream capture starts mid-frame), is MPEG audio: the
// header-less old Musepack guess must never win over frame sync, or an
// automatic save would give the file an APEv2 tag.
TEST(SampleFolder, UntaggedMPEGAudioIsNeverTakenForMusepack) {
    TempDir dir;
    const std::string tone = "-f lavfi -i sine=frequency=440:duration=1 -map_metadata -1 ";
    const std::string ff = "ffmpeg -nostdin -v error -y " + tone;
    struct Made {
        const char* name;
        std::string command;
        bool mpeg;  // frame sync the scan knows; ADTS AAC is not among it
    };
    const Made made[] = {
        {"lame.mp3",
         ff + "-f wav " + shellQuote(dir.at("tone.wav")) + " && lame --silent " + shellQuote(dir.at("tone.wav")) + " " +
             shellQuote(dir.at("lame.mp3")),
         true},
        {"ffmpeg.mp3", ff + "-c:a libmp3lame -write_xing 0 -id3v2_version 0 " + shellQuote(dir.at("ffmpeg.mp3")), true},
        {"ffmpeg.mp2", ff + "-c:a mp2 " + shellQuote(dir.at("ffmpeg.mp2")), true},
        {"ffmpeg.aac", ff + "-c:a aac -f adts " + shellQuote(dir.at("ffmpeg.aac")), false},
    };
    for (const Made& m : made) {
        SCOPED_TRACE(m.name);
        Output r = run(m.command);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string bytes = readFile(dir.at(m.name));
        ASSERT_GT(bytes.size(), 2000u);
        tags::TMemoryStream whole(bytes);
        int format = tags::GetAudioFormat(whole);
        EXPECT_NE(format, tags::afMusepack);
        if (!m.mpeg) continue;
        EXPECT_EQ(format, tags::afMPEG);
        std::vector<size_t> misnamed;
        for (size_t cut = 1; cut < 1000; ++cut) {
            tags::TMemoryStream s(bytes.substr(cut));
            if (tags::GetAudioFormat(s) != tags::afMPEG) misnamed.push_back(cut);
        }
        EXPECT_TRUE(misnamed.empty()) << misnamed.size() << " cuts not taken for MPEG audio, the first at "
                                      << misnamed[0];
    }
}

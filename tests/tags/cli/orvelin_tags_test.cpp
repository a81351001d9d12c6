#include "tags/cli/cli_test.h"
#include "tags/mp4/mp4bytes.h"
#include "tags/ogg/oggbytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "support/files.h"

using namespace tags::testing;
using namespace testenv;

TEST(OrvelinTags, UsageErrors) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    for (const Case& c :
         {Case{{}, "no command"}, Case{{"dump"}, "at least one file"},
          Case{{"dump", "--bogus", "x"}, "unknown option --bogus"}, Case{{"frobnicate"}, "unknown command"},
          Case{{"set", "f.mp3"}, "set needs a file and at least one NAME=VALUE"},
          Case{{"set", "f.mp3", "TITLE"}, "'TITLE' is not NAME=VALUE"},
          Case{{"set", "f.mp3", "=x"}, "'=x' is not NAME=VALUE"}, Case{{"remove"}, "remove needs exactly one file"},
          Case{{"remove", "f.mp3", "--type", "Lyrics9"}, "unknown tag type 'Lyrics9'"},
          Case{{"remove", "f.mp3", "--type"}, "--type needs a value"},
          Case{{"add-picture", "f.mp3"}, "add-picture needs a file and an image"},
          Case{{"add-picture", "f.mp3", "i.png", "--type", "21"}, "picture type from 0 to 20"},
          Case{{"add-picture", "f.mp3", "i.png", "--size", "2"}, "unknown option --size"}}) {
        Output r = RunTool(c.args);
        EXPECT_EQ(r.status, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Usage: orvelin-tags dump"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    Output help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: orvelin-tags dump [--native] FILE..."), std::string::npos);
}

TEST(OrvelinTags, DumpPrintsOneJsonObjectPerFile) {
    TempDir dir;
    std::string wav = dir.file("a.wav", std::string("RIFF\0\0\0\0WAVE", 12));
    std::string flac = dir.file("b \"quoted\" \\ name.flac", "fLaC" + std::string(40, '\0'));
    std::string odd = dir.file("c\x01\xFF.bin", "");  // not UTF-8, with a control character
    std::string missing = dir.at("missing.mp3");

    Output r = RunTool({"dump", wav, flac, odd, missing});
    EXPECT_EQ(r.status, 1);  // the missing file did not load
    Output q = QueryJsonLines(dir, r.out,
                              "os.path.basename(d['file']), d['result'], d['format'], d['loaded'], len(d['entries']), "
                              "len(d['pictures']), sorted(d['audio']), 'native' in d");
    ASSERT_EQ(q.status, 0) << q.err << r.out;
    std::string rest =
        "|False|0|0|['bitrate', 'bits_per_sample', 'channels', 'duration', 'sample_count', "
        "'sample_rate']|False\n";
    // A RIFF WAVE without chunks loads: its INFO list is empty.
    std::string loaded = "|True" + rest.substr(6);
    EXPECT_EQ(q.out, "a.wav|0|9" + loaded + "b \"quoted\" \\ name.flac|0|2" + rest + "c\x01\xEF\xBF\xBD.bin|0|0" +
                         rest + "missing.mp3|5|0" + rest);

    Output native = RunTool({"dump", "--native", "--", wav});
    EXPECT_EQ(native.status, 0);
    Output n = QueryJsonLines(dir, native.out, "d['native'], d['audio']['duration']");
    ASSERT_EQ(n.status, 0) << n.err;
    EXPECT_EQ(n.out, "{'WAV': []}|0\n");
}

TEST(OrvelinTags, DumpsEveryTrackOfTheBundledSampleFolder) {
    TempDir dir;
    const std::map<std::string, int> formatOf = {{".mp3", 4},  {".flac", 2}, {".ogg", 7},
                                                 {".opus", 6}, {".m4a", 5},  {".wav", 9}};
    std::vector<std::string> args = {"dump", "--native"};
    std::string expected;
    std::vector<std::filesystem::path> tracks;
    for (const auto& e : std::filesystem::directory_iterator(ORVELIN_SOURCE_DIR "/resources/samples"))
        if (formatOf.count(e.path().extension().string())) tracks.push_back(e.path());
    std::sort(tracks.begin(), tracks.end());
    ASSERT_GE(tracks.size(), 6u);
    for (const auto& t : tracks) {
        args.push_back(t.string());
        expected += t.filename().string() + "|0|" + std::to_string(formatOf.at(t.extension().string())) + "\n";
    }
    Output r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    Output q = QueryJsonLines(dir, r.out, "os.path.basename(d['file']), d['result'], d['format']");
    ASSERT_EQ(q.status, 0) << q.err;
    EXPECT_EQ(q.out, expected);
}

TEST(OrvelinTags, SetRemoveAndAddPictureEditTheFile) {
    TempDir dir;
    std::string audio = "\xFF\xFB\x90\x00" + std::string(2000, '\x55');
    std::string mp3 = dir.file("a.mp3", audio);
    std::string png = dir.file("cover.png", "\x89PNG\r\n\x1A\n" + std::string(30, 'p'));
    std::string text = dir.file("notes.txt", "not an image");

    Output set = RunTool({"set", mp3, "ARTIST=Someone", "TITLE=A=B", "ALBUM="});
    ASSERT_EQ(set.status, 0) << set.err;
    Output pic = RunTool({"add-picture", mp3, png, "--type", "4", "--description", "back side"});
    ASSERT_EQ(pic.status, 0) << pic.err;
    Output dump = RunTool({"dump", mp3});
    Output q = QueryJsonLines(dir, dump.out,
                              "[e['name'] + '=' + e['value'] for e in d['entries']], "
                              "[(p['type'], p['mime'], p['description'], p['size']) for p in d['pictures']]");
    ASSERT_EQ(q.status, 0) << q.err;
    EXPECT_EQ(q.out, "['ARTIST=Someone', 'TITLE=A=B']|[(4, 'image/png', 'back side', 38)]\n");

    Output bad = RunTool({"add-picture", mp3, text});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("not a JPEG, PNG, GIF, BMP or TIFF image"), std::string::npos) << bad.err;
    Output missing = RunTool({"set", dir.at("missing.mp3"), "TITLE=x"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing.mp3: Error opening file."), std::string::npos) << missing.err;

    Output removed = RunTool({"remove", mp3, "--type", "id3v2"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(readFile(mp3), audio);
    Output again = RunTool({"remove", mp3});
    EXPECT_EQ(again.status, 0) << again.err;
    Output gone = RunTool({"remove", dir.at("missing.mp3")});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.err.find("Specified file not found."), std::string::npos) << gone.err;
}

TEST(OrvelinTags, OggAndMP4ItemsAsTheirFormatsNameThem) {
    TempDir dir;
    std::string png = dir.file("cover.png", "\x89PNG\r\n\x1A\n" + std::string(30, 'p'));
    std::string opus = dir.file("a.opus", oggtest::OpusFile({"ARTIST=Ann", "title=Song"}));
    mp4test::Layout l;
    l.udta = mp4test::Box(
        "udta", mp4test::Meta(
                    mp4test::Text("\xA9nam", "Title") +
                    mp4test::Box("trkn", mp4test::Data(0, mp4test::BE(3, 4) + mp4test::BE(12, 2) + mp4test::BE(0, 2))) +
                    mp4test::Freeform("iTunSMPB", "gapless")));
    std::string m4a = dir.file("b.m4a", mp4test::File(l));

    Output set = RunTool({"set", opus, "ALBUM=Record"});
    ASSERT_EQ(set.status, 0) << set.err;
    Output pic = RunTool({"add-picture", opus, png});
    ASSERT_EQ(pic.status, 0) << pic.err;
    set = RunTool({"set", m4a, "ARTIST=Bob", "GENRE=Jazz"});
    ASSERT_EQ(set.status, 0) << set.err;
    Output dump = RunTool({"dump", "--native", opus, m4a});
    ASSERT_EQ(dump.status, 0) << dump.err;
    Output q = QueryJsonLines(
        dir, dump.out,
        "[(f, i['id'], i['value'], i['description']) for f, items in d['native'].items() for i in items]");
    ASSERT_EQ(q.status, 0) << q.err;
    EXPECT_EQ(q.out,
              "[('Ogg', 'ARTIST', 'Ann', ''), ('Ogg', 'TITLE', 'Song', ''), ('Ogg', 'ALBUM', 'Record', ''), "
              "('Ogg', 'METADATA_BLOCK_PICTURE', 'image/png', '')]\n"
              "[('MP4', '©nam', 'Title', ''), ('MP4', 'trkn', '3/12', ''), "
              "('MP4', '----', 'gapless', 'com.apple.iTunes:iTunSMPB'), ('MP4', '©ART', 'Bob', ''), "
              "('MP4', 'gnre', 'Jazz', '')]\n");

    for (const auto& [file, type] : {std::pair{opus, "ogg"}, std::pair{m4a, "MP4"}}) {
        Output removed = RunTool({"remove", file, "--type", type});
        ASSERT_EQ(removed.status, 0) << removed.err;
    }
    dump = RunTool({"dump", "--native", opus, m4a});
    q = QueryJsonLines(dir, dump.out, "d['native']");
    EXPECT_EQ(q.out,
              "{'Ogg': []}\n{'MP4': [{'id': '----', 'value': 'gapless', 'description': "
              "'com.apple.iTunes:iTunSMPB', 'language': ''}]}\n");
}

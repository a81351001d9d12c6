// orvelin-tags set and add-picture on files made by Debian's encoders, read
// back by independent tools (mutagen, ffprobe, metaflac, flac), and a save
// that runs out of room.
#include "tags/cli/cli_test.h"
#include "tags/readback.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/files.h"

using namespace tags::testing;
using namespace testenv;

namespace {

Output Must(const std::string& command) {
    Output r = run(command);
    EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    return r;
}

std::string Mutagen(const TempDir& dir, const std::string& script, const std::string& file) {
    std::string path = dir.file(".mutagen.py", "import sys, mutagen\n" + script + "\n");
    return Must("PYTHONIOENCODING=utf-8 " + mutagenPython() + " " + shellQuote(path) + " " + shellQuote(file)).out;
}

std::string FFprobeTags(const std::string& file) {
    return Must("ffprobe -v error -show_entries format_tags -of default=noprint_wrappers=1 " + shellQuote(file)).out;
}

std::string Tone(const TempDir& dir, const std::string& name, const std::string& codecArgs) {
    std::string path = dir.path + name;
    Must("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 " + codecArgs +
         " -metadata title=Old -metadata artist=Old " + shellQuote(path));
    return path;
}

const std::vector<std::string> kFields = {"ARTIST=Ann Artist", "TITLE=Новая песня", "ALBUM=First Album", "YEAR=2004",
                                          "GENRE=Jazz",        "COMMENT=Says hi",   "TRACKNUMBER=3/12"};

std::vector<std::string> SetArgs(const std::string& file) {
    std::vector<std::string> args = {"set", file};
    args.insert(args.end(), kFields.begin(), kFields.end());
    return args;
}

std::string WritePNG(const TempDir& dir) {
    std::string png = dir.at("cover.png");
    Must("ffmpeg -nostdin -v error -y -f lavfi -i color=c=red:s=8x8 -frames:v 1 " + shellQuote(png));
    return png;
}

}  // namespace

TEST(SetInterop, IndependentReadersSeeWhatSetWroteIntoAnMP3) {
    TempDir dir;
    for (const char* version : {"3", "4"}) {
        std::string mp3 = Tone(dir, std::string("v") + version + ".mp3",
                               std::string("-c:a libmp3lame -id3v2_version ") + version + " -write_id3v1 1");
        const std::string audio = readback::AudioOf(mp3);
        std::string png = WritePNG(dir);

        Output set = RunTool(SetArgs(mp3));
        ASSERT_EQ(set.status, 0) << set.err;
        readback::ExpectSaved(mp3, audio);
        Output pic = RunTool({"add-picture", mp3, png, "--description", "front"});
        ASSERT_EQ(pic.status, 0) << pic.err;
        readback::ExpectSaved(mp3, audio);

        std::string bytes = readFile(mp3);
        EXPECT_EQ(bytes.substr(bytes.size() - 128, 3), "TAG");

        std::string seen = Mutagen(dir,
                                   "from mutagen.id3 import ID3\n"
                                   "t = ID3(sys.argv[1])\n"
                                   "for k in ('TPE1', 'TIT2', 'TALB', 'TDRC', 'TCON', 'TRCK'): print(k, t[k].text[0])\n"
                                   "print('COMM', t.getall('COMM')[0].text[0])\n"
                                   "a = t.getall('APIC')[0]\n"
                                   "print('APIC', int(a.type), a.mime, a.desc, len(a.data))",
                                   mp3);
        EXPECT_EQ(seen,
                  "TPE1 Ann Artist\nTIT2 Новая песня\nTALB First Album\nTDRC 2004\nTCON Jazz\nTRCK 3/12\n"
                  "COMM Says hi\nAPIC 3 image/png front " +
                      std::to_string(readFile(png).size()) + "\n")
            << "ID3v2." << version;
        std::string probed = FFprobeTags(mp3);
        for (const char* line : {"TAG:artist=Ann Artist\n", "TAG:title=Новая песня\n", "TAG:album=First Album\n",
                                 "TAG:genre=Jazz\n", "TAG:track=3/12\n", "TAG:date=2004\n", "TAG:comment=Says hi\n"})
            EXPECT_NE(probed.find(line), std::string::npos) << line << probed;
        // The ID3v1 tag was rewritten too.
        std::string v1 = Mutagen(dir,
                                 "from mutagen.id3 import ParseID3v1\n"
                                 "d = open(sys.argv[1], 'rb').read()[-128:]\n"
                                 "f = ParseID3v1(d)\n"
                                 "print(f['TPE1'].text[0], f['TRCK'].text[0], f['TCON'].genres[0])",
                                 mp3);
        EXPECT_EQ(v1, "Ann Artist 3 Jazz\n");
    }
}

TEST(SetInterop, TheYearOfAnID3v24TagIsItsRecordingDate) {
    TempDir dir;
    std::string mp3 = dir.at("dated.mp3");
    Must(
        "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame "
        "-id3v2_version 4 -metadata date=1999-02-03 " +
        shellQuote(mp3));
    auto tdrc = [&] {
        return Mutagen(dir,
                       "from mutagen.id3 import ID3\n"
                       "t = ID3(sys.argv[1])\n"
                       "print(t['TDRC'].text[0] if 'TDRC' in t else '-', 'TYER' in t)",
                       mp3);
    };
    EXPECT_NE(RunTool({"dump", mp3}).out.find("{\"name\":\"YEAR\",\"value\":\"1999\""), std::string::npos);
    const std::string audio = readback::AudioOf(mp3);

    // Another change keeps the full date; a new year replaces it.
    ASSERT_EQ(RunTool({"set", mp3, "ALBUM=Later"}).status, 0);
    readback::ExpectSaved(mp3, audio);
    EXPECT_EQ(tdrc(), "1999-02-03 False\n");
    ASSERT_EQ(RunTool({"set", mp3, "YEAR=2004"}).status, 0);
    readback::ExpectSaved(mp3, audio);
    EXPECT_EQ(tdrc(), "2004 False\n");
    EXPECT_NE(FFprobeTags(mp3).find("TAG:date=2004\n"), std::string::npos);
}

TEST(SetInterop, IndependentReadersSeeWhatSetWroteIntoAFlac) {
    TempDir dir;
    std::string flac = Tone(dir, "a.flac", "-c:a flac");
    const std::string audio = readback::AudioOf(flac);
    std::string png = WritePNG(dir);

    Output set = RunTool(SetArgs(flac));
    ASSERT_EQ(set.status, 0) << set.err;
    readback::ExpectSaved(flac, audio);
    Output pic = RunTool({"add-picture", flac, png, "--type", "4"});
    ASSERT_EQ(pic.status, 0) << pic.err;
    readback::ExpectSaved(flac, audio);

    // The number keeps its total as typed; the second save left it alone.
    std::string tags = Must("metaflac --export-tags-to=- " + shellQuote(flac)).out;
    for (const std::string& field : kFields)
        EXPECT_NE(tags.find(field + "\n"), std::string::npos) << field << "\n" << tags;
    EXPECT_EQ(tags.find("TITLE=Old"), std::string::npos);
    std::string picture = Must("metaflac --list --block-type=PICTURE " + shellQuote(flac)).out;
    EXPECT_NE(picture.find("type: 4"), std::string::npos) << picture;
    EXPECT_NE(picture.find("MIME type: image/png"), std::string::npos) << picture;
    Must("metaflac --export-picture-to=" + shellQuote(dir.at("out.png")) + " " + shellQuote(flac));
    EXPECT_EQ(readFile(dir.at("out.png")), readFile(png));

    std::string seen = Mutagen(
        dir, "f = mutagen.File(sys.argv[1])\nprint(f['artist'][0], f['tracknumber'][0], 'totaltracks' in f)", flac);
    EXPECT_EQ(seen, "Ann Artist 3/12 False\n");
    std::string probed = FFprobeTags(flac);
    EXPECT_NE(probed.find("TAG:ALBUM=First Album\n"), std::string::npos) << probed;

    // An empty value deletes the field.
    ASSERT_EQ(RunTool({"set", flac, "ALBUM="}).status, 0);
    readback::ExpectSaved(flac, audio);
    EXPECT_EQ(Must("metaflac --show-tag=ALBUM " + shellQuote(flac)).out, "");
}

// A WavPack file tagged by its encoder: the APEv2 track item holds number and
// total; one typed with its total is written as it is, never joined again.
TEST(SetInterop, ATrackNumberWithItsTotalIsWrittenAsItIsIntoAPEv2) {
    TempDir dir;
    std::string wv = dir.at("a.wv");
    Must("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 -c:a wavpack -metadata track=1/12 " +
         shellQuote(wv));
    const std::string audio = readback::AudioOf(wv);
    auto track = [&] { return Mutagen(dir, "print(mutagen.File(sys.argv[1])['Track'])", wv); };
    ASSERT_EQ(track(), "1/12\n");
    for (const char* value : {"3/12", "4", "5/15"}) {
        ASSERT_EQ(RunTool({"set", wv, std::string("TRACKNUMBER=") + value}).status, 0);
        readback::ExpectSaved(wv, audio);
        // A number alone takes the total the file has.
        EXPECT_EQ(track(), std::string(value) == "4" ? "4/12\n" : std::string(value) + "\n");
    }
    // An empty value deletes the item.
    ASSERT_EQ(RunTool({"set", wv, "ALBUM=Kept", "COMMENT=x"}).status, 0);
    ASSERT_EQ(RunTool({"set", wv, "ALBUM="}).status, 0);
    readback::ExpectSaved(wv, audio);
    EXPECT_EQ(Mutagen(dir, "print('Album' in mutagen.File(sys.argv[1]))", wv), "False\n");
}

TEST(SetInterop, ASaveThatRunsOutOfRoomLeavesTheFileAsItWas) {
    TempDir dir;
    std::string mp3 = Tone(dir, "a.mp3", "-c:a libmp3lame -id3v2_version 3");
    std::string flac = Tone(dir, "a.flac", "-c:a flac");
    std::string comment = "COMMENT=" + std::string(20000, 'c');  // too large for any padding
    for (const std::string& file : {mp3, flac}) {
        std::string before = readFile(file);
        ASSERT_GT(before.size(), 8 * 1024u);
        // Writes past 8 KiB fail as on a full disk (EFBIG instead of ENOSPC).
        std::string tool = shellQuote(ORVELIN_BINARY_DIR "/src/tags/cli/orvelin-tags");
        Output r = run("bash -c " + shellQuote("trap '' XFSZ; ulimit -f 8; exec " + tool + " set " + shellQuote(file) +
                                               " " + shellQuote(comment)));
        EXPECT_EQ(r.status, 1) << file << r.err;
        EXPECT_NE(r.err.find("Error"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(file), before) << file;
    }
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path)) files += e.path().filename().string()[0] != '.';
    EXPECT_EQ(files, 2u) << "a temporary file was left behind";
}

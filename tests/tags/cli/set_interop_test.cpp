// orvelin-tags set and add-picture on files made by Debian's encoders, read
// back by independent tools (mutagen, ffprobe, metaflac, flac), and a save
// that runs out of room.
#include "tags/cli/cli_test.h"
#include "tags/readback.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/bytes.h"
#include "support/files.h"
#include "tags/core/bytes.h"

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

namespace {

// Two channels of 1-bit DSD, one block each.
std::string DsfBytes() {
    std::string data(4096 * 2, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char((i * 37 + 11) & 0xFF);
    const std::string fmt = "fmt " + le(52, 8) + le(1, 4) + le(0, 4) + le(2, 4) + le(2, 4) + le(2822400, 4) + le(1, 4) +
                            le(4096 * 8, 8) + le(4096, 4) + le(0, 4);
    const std::string chunk = "data" + le(12 + data.size(), 8) + data;
    return "DSD " + le(28, 8) + le(28 + fmt.size() + chunk.size(), 8) + le(0, 8) + fmt + chunk;
}

// Artist, title, album, year and track as mutagen reads them, WMA attributes
// or ID3v2 frames alike; with "write", it first tags the file itself.
constexpr const char* kFiveFields = R"PY(
from mutagen.asf import ASF
from mutagen.id3 import TPE1, TIT2, TALB, TDRC, TRCK
f = mutagen.File(sys.argv[1])
asf = isinstance(f, ASF)
keys = ("Author", "Title", "WM/AlbumTitle", "WM/Year", "WM/TrackNumber") if asf else ("TPE1", "TIT2", "TALB", "TDRC", "TRCK")
if len(sys.argv) > 2:
    values = ("Исполнитель", "Песня", "Альбом", "1999", "4/10")
    if asf:
        for k, v in zip(keys, values): f.tags[k] = [v]
    else:
        if f.tags is None: f.add_tags()
        for frame, v in zip((TPE1, TIT2, TALB, TDRC, TRCK), values): f.tags.add(frame(encoding=3, text=[v]))
    f.save()
print("|".join(str(f.tags[k][0]) if asf else str(f.tags[k].text[0]) for k in keys))
)PY";

std::string Fields(const TempDir& dir, const std::string& file, bool write = false) {
    std::string path = dir.file(".five.py", std::string("import sys, mutagen\n") + kFiveFields);
    return Must("PYTHONIOENCODING=utf-8 " + mutagenPython() + " " + shellQuote(path) + " " + shellQuote(file) +
                (write ? " write" : ""))
        .out;
}

// What the facade shows, in the same order.
std::string Dumped(const TempDir& dir, const std::string& file) {
    Output dump = RunTool({"dump", file});
    EXPECT_EQ(dump.status, 0) << dump.err;
    Output q =
        QueryJsonLines(dir, dump.out,
                       "*(lambda e: (e['ARTIST'], e['TITLE'], e['ALBUM'], e.get('YEAR', e.get('RECORDINGDATE')), "
                       "e['TRACKNUMBER'] + '/' + e['TOTALTRACKS']))"
                       "({x['name']: x['value'] for x in reversed(d['entries'])})");
    EXPECT_EQ(q.status, 0) << q.err << dump.out;
    return q.out;
}

// The sound: the chunk or packet bytes and what ffmpeg decodes.
std::string Sound(const std::string& file) {
    std::string b = readFile(file);
    if (b.compare(0, 4, "\x30\x26\xB2\x75") == 0) b = b.substr(size_t(tags::ReadLE64(b.data() + 16)));
    else b = readback::AudioOf(file);
    return b + readback::Decoded(file);
}

}  // namespace

TEST(SetInterop, DumpShowsWhatMutagenSeesAndSetIsReadBackInWmaWavAiffAndDsf) {
    TempDir dir;
    const std::string meta =
        "-metadata artist=Исполнитель -metadata title=Песня -metadata album=Альбом "
        "-metadata date=1999 -metadata track=4/10 ";
    auto tone = [&](const std::string& name, const std::string& args) {
        Must("ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 -fflags +bitexact " + args + " " +
             shellQuote(dir.at(name)));
        return dir.at(name);
    };
    const std::vector<std::string> files = {
        tone("a.wma", "-c:a wmav2 -b:a 64k"),
        tone("b.wav", "-c:a pcm_s16le -write_bext 1 -metadata originator=Studio " + meta),
        tone("c.aiff", "-c:a pcm_s16be"),
        dir.file("d.dsf", DsfBytes()),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        EXPECT_EQ(Fields(dir, file, true), "Исполнитель|Песня|Альбом|1999|4/10\n");
        EXPECT_EQ(Dumped(dir, file), "Исполнитель|Песня|Альбом|1999|4/10\n");

        const std::string sound = Sound(file);
        Output set = RunTool({"set", file, "ARTIST=Ann Artist", "TITLE=Новая песня", "ALBUM=First Album", "YEAR=2004",
                              "TRACKNUMBER=3/12"});
        ASSERT_EQ(set.status, 0) << set.err;
        EXPECT_EQ(Fields(dir, file), "Ann Artist|Новая песня|First Album|2004|3/12\n");
        EXPECT_EQ(Dumped(dir, file), "Ann Artist|Новая песня|First Album|2004|3/12\n");
        EXPECT_EQ(Sound(file), sound);
        EXPECT_EQ(Must("ffmpeg -nostdin -v error -i " + shellQuote(file) + " -f null - 2>&1").out, "");
    }
}

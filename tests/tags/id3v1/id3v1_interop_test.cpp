// ID3v1 tags against mutagen and the id3v2 tool, on MP3 and WavPack files made
// by Debian's encoders.
#include "tags/id3v1/id3v1library.h"
#include "tags/id3v1/interoptools.h"
#include "tags/readback.h"

#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/files.h"

using namespace tags;
using namespace fixtures;
using namespace testenv;

namespace {

// The ID3v1 fields as mutagen maps them, values as hex of their UTF-8.
const char* kDumpID3v1 = R"(import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
if t.version[0] != 1:
    sys.exit('not an ID3v1 tag')
for k in ['TIT2', 'TPE1', 'TALB', 'TDRC', 'TRCK', 'TCON']:
    print(k + '\t' + (str(t[k]) if k in t else '').encode('utf-8').hex())
comm = t.getall('COMM')
print('COMM\t' + (comm[0].text[0] if comm else '').encode('utf-8').hex())
)";

}  // namespace

TEST(ID3v1Interop, MutagenReadsWhatWeWriteOnMp3AndWavPack) {
    for (int variant = 0; variant < 4; ++variant) {
        bool withLyrics = variant & 1, wavPack = variant & 2;
        SCOPED_TRACE(variant);
        TempDir dir;
        std::string path = wavPack ? MakeWavPack(dir, "song.wv") : MakeMp3(dir, "song.mp3");
        const std::string audio = readFile(path);
        TID3v1Tag tag;
        tag.Title = "Café del Mar";
        tag.Artist = "Señor Coconut";
        tag.Album = "Élan";
        tag.Year = "1999";
        tag.Comment = "naïve";
        tag.Track = 12;
        tag.Genre = "Jazz";
        if (withLyrics) tag.SetLyrics("la la la");
        ASSERT_EQ(tag.SaveToFile(path, withLyrics), ID3V1_SUCCESS);
        readback::ExpectSaved(path, audio);

        auto fields = ParseLines(RunPython(dir, kDumpID3v1, shellQuote(path)));
        EXPECT_EQ(fields["TIT2"], hex("Café del Mar"));
        EXPECT_EQ(fields["TPE1"], hex("Señor Coconut"));
        EXPECT_EQ(fields["TALB"], hex("Élan"));
        EXPECT_EQ(fields["TDRC"], hex("1999"));
        EXPECT_EQ(fields["TRCK"], hex("12"));
        EXPECT_EQ(fields["TCON"], hex("Jazz"));
        EXPECT_EQ(fields["COMM"], hex("naïve"));

        ASSERT_EQ(RemoveID3v1TagFromFile(path, false), ID3V1_SUCCESS);
        readback::ExpectSaved(path, audio);
        EXPECT_EQ(readFile(path), audio);
    }
}

TEST(ID3v1Interop, WeReadWhatId3v2ToolAndMutagenWrite) {
    TempDir dir;
    std::string path = MakeMp3(dir, "tool.mp3");
    const std::string audio = readFile(path);
    ASSERT_EQ(run("id3v2 -1 -a " + shellQuote("Artíst") + " -t Title -A Album -y 1987 -c Comment -T 7 -g 17 " +
                  shellQuote(path))
                  .status,
              0);
    TID3v1Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), ID3V1_SUCCESS);
    EXPECT_EQ(tag.Title, "Title");
    EXPECT_EQ(tag.Artist, "Artíst");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1987");
    EXPECT_EQ(tag.Comment, "Comment");
    EXPECT_TRUE(tag.Revision1);
    EXPECT_EQ(tag.Track, 7);
    EXPECT_EQ(tag.Genre, "Rock");
    EXPECT_EQ(readFile(path).substr(0, audio.size()), audio);

    // mutagen writes ID3v1 beside the ID3v2 tag it puts in front.
    const char* write = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TRCK, TCON, TDRC
t = ID3()
t.add(TIT2(text='Ça plane'))
t.add(TPE1(text='Plastic Bertrand'))
t.add(TRCK(text='3/10'))
t.add(TCON(text='Punk'))
t.add(TDRC(text='1977'))
t.save(sys.argv[1], v1=2)
)";
    std::string other = MakeMp3(dir, "mutagen.mp3");
    RunPython(dir, write, shellQuote(other));
    ASSERT_EQ(tag.LoadFromFile(other), ID3V1_SUCCESS);
    EXPECT_EQ(tag.Title, "Ça plane");
    EXPECT_EQ(tag.Artist, "Plastic Bertrand");
    EXPECT_EQ(tag.Year, "1977");
    EXPECT_EQ(tag.Track, 3);
    EXPECT_EQ(tag.Genre, "Punk");
}

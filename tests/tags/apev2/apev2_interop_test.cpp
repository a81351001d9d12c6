// APEv2 tags against mutagen and WavPack's own tagger, on MP3 and WavPack
// files made by Debian's encoders.
#include "tags/apev2/apev2library.h"
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

// Every item as key -> "kind:hex of the value bytes".
const char* kDumpApe = R"(import sys, mutagen.apev2 as A
kinds = {0: 'text', 1: 'binary', 2: 'external'}
for k, v in A.APEv2(sys.argv[1]).items():
    raw = v.value if v.kind == 1 else str(v).encode('utf-8')
    print(k + '\t' + kinds[v.kind] + ':' + raw.hex())
)";

const std::string kCover = std::string("front.jpg") + '\0' + "\xFF\xD8\xFF\xE0 picture bytes";

std::string TextItem(std::string_view value) { return "text:" + hex(value); }

struct Media {
    const char* name;
    bool wavPack;
};
const Media kMedia[] = {{"song.mp3", false}, {"song.wv", true}};

std::string MakeAudio(const TempDir& dir, const Media& m) {
    return m.wavPack ? MakeWavPack(dir, m.name) : MakeMp3(dir, m.name);
}

}  // namespace

TEST(APEv2Interop, MutagenReadsWhatWeWriteBesideLyricsAndID3v1) {
    const std::string lyrics = Lyrics3Block({{"IND", "100"}, {"LYR", "words"}});
    const std::string id3 = ID3v1Block("v1 title", "v1 artist");
    // mutagen finds an APE tag in front of ID3v1 and of Lyrics3 + ID3v1.
    const std::string tails[] = {"", id3, lyrics + id3};
    for (const auto& m : kMedia) {
        for (const auto& tail : tails) {
            SCOPED_TRACE(std::string(m.name) + " tail " + std::to_string(tail.size()));
            TempDir dir;
            std::string path = MakeAudio(dir, m);
            const std::string audio = readFile(path);
            ASSERT_FALSE(audio.empty());
            writeFile(path, audio + tail);

            TAPEv2Tag tag;
            tag.AddTextFrame("Title", "Café ♪ 日本");
            tag.AddTextFrame("Artist", "Sigur Rós");
            tag.SetList("TIPL", {{"producer", "Ann"}});
            TMemoryStream cover(kCover.substr(10));
            tag.AddCoverArtFrame("Cover Art (Front)", cover, "front.jpg");
            ASSERT_EQ(tag.SaveToFile(path), APEV2_SUCCESS);
            readback::ExpectSaved(path, audio);

            auto items = ParseLines(RunPython(dir, kDumpApe, shellQuote(path)));
            EXPECT_EQ(items.size(), 4u);
            EXPECT_EQ(items["Title"], TextItem("Café ♪ 日本"));
            EXPECT_EQ(items["Artist"], TextItem("Sigur Rós"));
            EXPECT_EQ(items["TIPL"], TextItem("producer\r\nAnn\r\n"));
            EXPECT_EQ(items["Cover Art (Front)"], "binary:" + hex(kCover));

            std::string tagged = readFile(path);
            EXPECT_EQ(tagged.substr(0, audio.size()), audio);
            EXPECT_EQ(tagged.substr(tagged.size() - tail.size()), tail);
            ASSERT_EQ(RemoveAPEv2TagFromFile(path, false), APEV2_SUCCESS);
            readback::ExpectSaved(path, audio);
            EXPECT_EQ(readFile(path), audio + tail);
        }
    }
}

TEST(APEv2Interop, WeReadWhatMutagenWritesAndItReadsOurEdits) {
    const char* write = R"(import sys, mutagen.apev2 as A
t = A.APEv2()
t['Title'] = 'Ünïcode ♪'
t['Genre'] = 'Jazz'
t['Cover Art (Front)'] = A.APEValue(b'c.png\x00\x89PNG data', A.BINARY)
t.save(sys.argv[1])
)";
    for (const auto& m : kMedia) {
        SCOPED_TRACE(m.name);
        TempDir dir;
        std::string path = MakeAudio(dir, m);
        const std::string audio = readFile(path);
        RunPython(dir, write, shellQuote(path));

        TAPEv2Tag tag;
        ASSERT_EQ(tag.LoadFromFile(path), APEV2_SUCCESS);
        EXPECT_EQ(tag.Version, 2000u);
        EXPECT_EQ(tag.Count(), 3);
        EXPECT_EQ(tag.GetText("title"), "Ünïcode ♪");
        EXPECT_EQ(tag.GetText("GENRE"), "Jazz");
        ASSERT_EQ(tag.CoverArtCount(), 1);
        TMemoryStream picture;
        TAPEv2PictureFormat format;
        std::string description;
        ASSERT_TRUE(tag.GetCoverArtFromFrame(tag.GetFrameIndexOfCoverArtIndex(0), picture, format, description));
        EXPECT_EQ(format, pfPNG);
        EXPECT_EQ(description, "c.png");
        EXPECT_EQ(picture.Bytes(), "\x89PNG data");

        // Our edit, then mutagen's reading of it; and an ID3v1 tag added
        // behind keeps both readable.
        tag.SetText("Genre", "");
        tag.SetText("Album", "Ágætis byrjun");
        ASSERT_EQ(tag.SaveToFile(path), APEV2_SUCCESS);
        TID3v1Tag v1;
        v1.Title = "v1";
        ASSERT_EQ(v1.SaveToFile(path, false), ID3V1_SUCCESS);
        readback::ExpectSaved(path, audio);
        auto items = ParseLines(RunPython(dir, kDumpApe, shellQuote(path)));
        EXPECT_EQ(items.size(), 3u);
        EXPECT_EQ(items["Title"], TextItem("Ünïcode ♪"));
        EXPECT_EQ(items["Album"], TextItem("Ágætis byrjun"));
        EXPECT_EQ(items.count("Genre"), 0u);
        EXPECT_EQ(readFile(path).substr(0, audio.size()), audio);
    }
}

TEST(APEv2Interop, WavPackTaggerAndDecoderAgreeWithUs) {
    TempDir dir;
    std::string wav;
    std::string path = MakeWavPack(dir, "song.wv", &wav);
    const std::string original = readFile(wav);
    std::string bare = readFile(path);
    // WavPack's encoder writes its own APEv2 tag.
    std::string tagged = dir.at("tagged.wv");
    ASSERT_EQ(run("wavpack -q -y -w " + shellQuote("Artist=Björk") + " -w " + shellQuote("Title=Jóga") + " " +
                  shellQuote(wav) + " -o " + shellQuote(tagged))
                  .status,
              0);
    TAPEv2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(tagged), APEV2_SUCCESS);
    EXPECT_EQ(tag.GetText("Artist"), "Björk");
    EXPECT_EQ(tag.GetText("Title"), "Jóga");

    // Our tag with every trailing block: the decoder still checks out the
    // audio and gives back the very same WAV.
    tag.AddTextFrame("Comment", std::string(5000, 'c'));
    ASSERT_EQ(tag.SaveToFile(path), APEV2_SUCCESS);
    TID3v1Tag v1;
    v1.Title = "Jóga";
    v1.SetLyrics("words");
    ASSERT_EQ(v1.SaveToFile(path, true), ID3V1_SUCCESS);
    readback::ExpectSaved(path, bare);
    EXPECT_EQ(DecodeWavPack(dir, path), original);
    EXPECT_EQ(readFile(path).substr(0, bare.size()), bare);

    ASSERT_EQ(RemoveID3v1TagFromFile(path, false), ID3V1_SUCCESS);
    ASSERT_EQ(RemoveAPEv2TagFromFile(path, false), APEV2_SUCCESS);
    readback::ExpectSaved(path, bare);
    EXPECT_EQ(readFile(path), bare);
}

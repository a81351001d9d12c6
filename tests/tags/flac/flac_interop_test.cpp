// What we write must play, verify and read back the same in independent
// tools: flac, metaflac, ogginfo, ffprobe and mutagen.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "common/files.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/wav.h"
#include "tags/flac/flacbytes.h"
#include "tags/flac/flactaglibrary.h"
#include "tags/readback.h"

using namespace tags;
using namespace flactest;
using namespace testenv;

namespace {

// Runs a tool with its error output joined to its standard output: the
// checks below look for warnings in both.
Output Shell(const std::string& command) { return run(command + " 2>&1"); }

// The script goes through a file, away from shell quoting.
std::string Mutagen(const std::string& script, const std::string& path) {
    std::string file = path + ".py";
    writeFile(file, "import sys, mutagen\n" + script + "\n");
    std::string out =
        Shell("PYTHONIOENCODING=utf-8 " + mutagenPython() + " " + shellQuote(file) + " " + shellQuote(path)).out;
    std::remove(file.c_str());
    return out;
}

// Half a second of a stereo sine.
std::string SineWav() {
    WavFormat format{44100, 2, 16};
    return wavBytes(format, pcm(format, format.rate / 2, [](int64_t i, int channel) {
                        return 0.25 * std::sin(2 * M_PI * (channel ? 660.0 : 440.0) * double(i) / 44100);
                    }));
}

void AddJpeg(TFlacTag& tag, size_t size, const std::string& description) {
    TMemoryStream picture(std::string(size, 'j'));
    TFlacTagCoverArtInfo info;
    info.PictureType = 3;
    info.MIMEType = "image/jpeg";
    info.Description = description;
    tag.AddMetaDataCoverArt(nullptr, 0);
    EXPECT_TRUE(tag.SetCoverArt(tag.CoverArtCount() - 1, picture, info));
}

class FlacInterop : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir.at("sine.wav"), SineWav());
        ASSERT_EQ(Shell("flac -s -f -o " + shellQuote(native) + " " + shellQuote(dir.at("sine.wav"))).status, 0);
        ASSERT_EQ(Shell("flac -s -f --ogg -o " + shellQuote(ogg) + " " + shellQuote(dir.at("sine.wav"))).status, 0);
        writeFile(png, std::string("\x89PNG\r\n\x1a\n", 8) + std::string(200, 'p'));
    }

    static void ExpectVerifies(const std::string& path) {
        Output t = Shell("flac -t -s " + shellQuote(path));
        EXPECT_EQ(t.status, 0) << t.out;
    }

    static void ExpectOggAccepted(const std::string& path) {
        Output info = Shell("ogginfo " + shellQuote(path));
        EXPECT_EQ(info.status, 0) << info.out;
        EXPECT_EQ(info.out.find("WARNING"), std::string::npos) << info.out;
        std::string bytes = readFile(path);
        for (const OggPage& p : Pages(bytes)) EXPECT_TRUE(p.checksumOk) << "page " << p.header.PageNumber;
    }

    static std::string NativeAudio(const std::string& path) {
        TFlacTag tag;
        EXPECT_EQ(tag.LoadFromFile(path), flacSuccess);
        std::string bytes = readFile(path);
        // Audio starts with a frame sync code.
        EXPECT_EQ(static_cast<uint8_t>(bytes[tag.FAudioOffset]), 0xFF);
        EXPECT_EQ(static_cast<uint8_t>(bytes[tag.FAudioOffset + 1]) & 0xFC, 0xF8);
        return bytes.substr(static_cast<size_t>(tag.FAudioOffset));
    }

    TempDir dir;
    std::string native = dir.at("sine.flac");
    std::string ogg = dir.at("sine.oga");
    std::string png = dir.at("cover.png");
};

TEST_F(FlacInterop, ReadsWhatMetaflacWrote) {
    ASSERT_EQ(Shell("metaflac --no-utf8-convert --set-tag=ARTIST=Мастер --set-tag=title=Песня --set-tag=GENRE=One "
                    "--set-tag=GENRE=Two "
                    "--import-picture-from=" +
                    shellQuote("3|image/png|Обложка|16x16x24|" + png) + " " + shellQuote(native))
                  .status,
              0);
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(native), flacSuccess);
    EXPECT_EQ(tag.GetText("ARTIST"), "Мастер");
    EXPECT_EQ(tag.GetText("TITLE"), "Песня");
    std::vector<std::string> genres;
    EXPECT_TRUE(tag.GetMultipleValues("GENRE", genres));
    EXPECT_EQ(genres, (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(tag.VendorString,
              Shell("metaflac --show-vendor-tag " + shellQuote(native)).out.substr(0, tag.VendorString.size()));

    ASSERT_EQ(tag.CoverArtCount(), 1);
    TMemoryStream pic;
    TFlacTagCoverArtInfo info;
    ASSERT_TRUE(tag.GetCoverArt(0, pic, info));
    EXPECT_EQ(pic.Bytes(), readFile(png));
    EXPECT_EQ(info.MIMEType, "image/png");
    EXPECT_EQ(info.Description, "Обложка");
    EXPECT_EQ(info.Width, 16u);

    auto show = [&](const char* what) {
        return std::stoll(Shell(std::string("metaflac --show-") + what + " " + shellQuote(native)).out);
    };
    EXPECT_EQ(tag.FSampleRate, show("sample-rate"));
    EXPECT_EQ(tag.FChannels, show("channels"));
    EXPECT_EQ(tag.FBitsPerSample, show("bps"));
    EXPECT_EQ(tag.FSamples, show("total-samples"));
    EXPECT_DOUBLE_EQ(tag.Playtime(), 0.5);
    EXPECT_EQ(tag.aMetaBlockOther.size(), 1u);  // the seek table flac writes
}

TEST_F(FlacInterop, NativeInPlaceAndRewriteKeepTheAudio) {
    const std::string audio = NativeAudio(native);
    const int64_t size = common::fileSize(native);
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(native), flacSuccess);
    tag.SetText("ARTIST", "Мастер");
    tag.SetMultipleValues("GENRE", {"Rock", "Jazz"});
    tag.SetText("comment", "line one\r\nline two");
    struct stat before {
    }, after{};
    ::stat(native.c_str(), &before);
    ASSERT_EQ(tag.SaveToFile(native), flacSuccess);
    readback::ExpectSaved(native, audio);
    ::stat(native.c_str(), &after);
    EXPECT_EQ(common::fileSize(native), size) << "fits the padding";
    EXPECT_EQ(after.st_ino, before.st_ino) << "patched, not replaced";
    ExpectVerifies(native);
    EXPECT_EQ(NativeAudio(native), audio);
    EXPECT_EQ(Shell("metaflac --no-utf8-convert --export-tags-to=- " + shellQuote(native)).out,
              "ARTIST=Мастер\nGENRE=Rock\nGENRE=Jazz\nCOMMENT=line one\r\nline two\n");

    AddJpeg(tag, 20000, "front");
    tag.PaddingSizeToWrite = 4096;
    ASSERT_EQ(tag.SaveToFile(native), flacSuccess);
    readback::ExpectSaved(native, audio);
    ::stat(native.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino) << "rewritten through a temporary file";
    EXPECT_EQ(dir.entries().size(), 4u) << "no temporary file left";
    ExpectVerifies(native);
    EXPECT_EQ(NativeAudio(native), audio);
    Output list = Shell("metaflac --list --block-type=PADDING,PICTURE " + shellQuote(native));
    EXPECT_NE(list.out.find("length: 4096"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("description: front"), std::string::npos) << list.out;

    std::string py = Mutagen(
        "f = mutagen.File(sys.argv[1])\n"
        "print(f['artist'][0], '|'.join(f['genre']), len(f.pictures), f.pictures[0].mime, len(f.pictures[0].data))",
        native);
    EXPECT_EQ(py, "Мастер Rock|Jazz 1 image/jpeg 20000\n");
}

TEST_F(FlacInterop, ReadsWhatMutagenWrote) {
    Mutagen(
        "from mutagen.flac import Picture\n"
        "f = mutagen.File(sys.argv[1])\n"
        "f['album'] = 'Альбом'; f['tracknumber'] = ['7']\n"
        "p = Picture(); p.type = 4; p.mime = 'image/gif'; p.desc = 'back'; p.data = b'GIF89a'\n"
        "f.add_picture(p); f.save()",
        native);
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(native), flacSuccess);
    EXPECT_EQ(tag.GetText("ALBUM"), "Альбом");
    EXPECT_EQ(tag.GetText("TRACKNUMBER"), "7");
    TMemoryStream pic;
    TFlacTagCoverArtInfo info;
    ASSERT_TRUE(tag.GetCoverArt(0, pic, info));
    EXPECT_EQ(pic.Bytes(), "GIF89a");
    EXPECT_EQ(info.PictureType, 4u);
    EXPECT_EQ(info.Description, "back");
}

TEST_F(FlacInterop, OggInPlaceAndRewriteStayValid) {
    const std::string audio = OggAudio(readFile(ogg));
    const int64_t size = common::fileSize(ogg);
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(ogg), flacSuccess);
    EXPECT_EQ(tag.StreamType, fstOggFlac);
    EXPECT_EQ(tag.FSamples, 22050);
    tag.SetText("ARTIST", "Мастер");
    tag.SetText("TITLE", "Ogg");
    tag.PaddingSizeToWrite = 10000;  // room to grow a padding packet that fills the old pages
    ASSERT_EQ(tag.SaveToFile(ogg), flacSuccess);
    readback::ExpectSaved(ogg, audio);
    EXPECT_EQ(common::fileSize(ogg), size);
    ExpectOggAccepted(ogg);
    ExpectVerifies(ogg);
    EXPECT_EQ(OggAudio(readFile(ogg)), audio);

    AddJpeg(tag, 12000, "");  // spans several pages
    tag.PaddingSizeToWrite = 4096;
    ASSERT_EQ(tag.SaveToFile(ogg), flacSuccess);
    readback::ExpectSaved(ogg, audio);
    EXPECT_NE(common::fileSize(ogg), size);
    ExpectOggAccepted(ogg);
    ExpectVerifies(ogg);
    EXPECT_EQ(OggAudio(readFile(ogg)), audio);

    Output probe = Shell("ffprobe -v error -show_entries stream_tags=ARTIST,TITLE -of default=nw=1 " + shellQuote(ogg));
    EXPECT_NE(probe.out.find("ARTIST=Мастер"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("TITLE=Ogg"), std::string::npos) << probe.out;
    std::string py = Mutagen(
        "f = mutagen.File(sys.argv[1])\n"
        "print(type(f).__name__, f['artist'][0], f['title'][0])",
        ogg);
    EXPECT_EQ(py, "OggFLAC Мастер Ogg\n");
}

TEST_F(FlacInterop, RemoveLeavesPlayableFiles) {
    ASSERT_EQ(Shell("metaflac --no-utf8-convert --set-tag=ARTIST=x --import-picture-from=" +
                    shellQuote("3|image/png||16x16x24|" + png) + " " + shellQuote(native))
                  .status,
              0);
    for (const std::string& path : {native, ogg}) {
        const std::string audio = readback::AudioOf(path);
        EXPECT_EQ(RemoveFlacTagFromFile(path, 0, false), flacSuccess) << path;
        readback::ExpectSaved(path, audio);
        ExpectVerifies(path);
        TFlacTag tag;
        ASSERT_EQ(tag.LoadFromFile(path), flacSuccess) << path;
        EXPECT_EQ(tag.Count(), 0) << path;
        EXPECT_EQ(tag.CoverArtCount(), 0) << path;
    }
    EXPECT_EQ(Shell("metaflac --no-utf8-convert --export-tags-to=- " + shellQuote(native)).out, "");
    ExpectOggAccepted(ogg);
}

}  // namespace

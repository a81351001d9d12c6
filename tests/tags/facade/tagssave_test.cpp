// Which formats a save writes, what it returns, and copying and merging;
// the format objects are the hand-built fakes.
#include "tags/facade/tagslibrary.h"

#include "tags/facade/entrylines.h"
#include "tags/facade/fakeformattag.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/files.h"
#include "support/logcapture.h"
#include "support/tempdir.h"

using namespace tags;
using testenv::TempDir;
using namespace tags::testing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::string Zeros(size_t n) { return std::string(n, '\0'); }
std::string MPEGFrames() { return "\xFF\xFB\x90\x00" + Zeros(413) + "\xFF\xFB\x90\x00" + Zeros(413); }

struct SaveTest : ::testing::Test {
    Fakes fakes;
    TTags tags{fakes.Factory()};
    TempDir dir;

    // "FORMAT:what" for every save of every format, in the order of kFormatLoadOrder.
    std::vector<std::string> Saves() {
        std::vector<std::string> out;
        for (TTagType type : kFormatLoadOrder)
            for (const std::string& s : fakes[type].saves)
                out.push_back(std::string(fakes[type].FormatName()) + ":" + s);
        return out;
    }
    void ForgetSaves() {
        for (TTagType type : kFormatLoadOrder) fakes[type].saves.clear();
    }
};

}  // namespace

TEST_F(SaveTest, AutomaticRewritesTheFormatsTheFileWasLoadedWith) {
    std::string mp3 = dir.file("a.mp3", MPEGFrames());
    fakes[ttID3v2].fileItems = {{"TITLE", "t"}};
    fakes[ttAPEv2].fileItems = {{"ALBUM", "a"}};
    fakes[ttID3v1].fileItems = {{"ARTIST", "x"}};
    ASSERT_EQ(tags.LoadFromFile(mp3), trSuccess);
    EXPECT_EQ(tags.SaveToFile(mp3, ttAutomatic), trSuccess);
    EXPECT_THAT(Saves(), ElementsAre("APEv2:file:a.mp3", "ID3v1:file:a.mp3", "ID3v2:file:a.mp3"));
    EXPECT_EQ(fakes[ttID3v2].prepares, 1);

    // The name is compared ignoring case.
    ForgetSaves();
    std::string upper = dir.at("A.MP3");
    EXPECT_EQ(tags.SaveToFile(upper, ttAutomatic), trSuccess);
    EXPECT_THAT(Saves(), ElementsAre("APEv2:file:A.MP3", "ID3v1:file:A.MP3", "ID3v2:file:A.MP3"));

    // A failing format is reported even when another one was written, and logged with its code and text.
    ForgetSaves();
    fakes[ttID3v2].saveResult = 11;  // ID3v2's "needs exclusive access"
    testenv::LogCapture log;
    EXPECT_EQ(tags.SaveToFile(mp3, ttAutomatic), trFileLocked);
    EXPECT_THAT(log.text(), ::testing::EndsWith(" warning tags.save: ID3v2 tag not saved to \"" + mp3 +
                                                "\": " + std::to_string(trFileLocked) + " (" +
                                                ErrorCodeToText(trFileLocked) + ")\n"));
}

TEST_F(SaveTest, AutomaticOnAnotherFileGoesByContentThenByExtension) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> saves;
    };
    const std::vector<Case> cases = {
        {"song.dat", MPEGFrames(), {"ID3v2:file:song.dat"}},
        {"song.mp3", "wvpk" + Zeros(28), {"APEv2:file:song.mp3"}},
        {"song.wav", "RIFF" + Zeros(4) + "WAVE", {"ID3v2:file:song.wav", "WAV:file:song.wav"}},
        {"song.ogg", "fLaC" + Zeros(40), {"FLAC:file:song.ogg"}},
        {"song.opus", Zeros(64), {"Ogg:file:song.opus"}},
        {"song.m4b", Zeros(64), {"MP4:file:song.m4b"}},
        {"song.WV", Zeros(64), {"APEv2:file:song.WV"}},
        {"song.asf", Zeros(64), {"WMA:file:song.asf"}},
        {"song.aif", Zeros(64), {"ID3v2:file:song.aif"}},
        {"song.xyz", Zeros(64), {"APEv2:file:song.xyz"}},
    };
    for (const Case& c : cases) {
        std::string path = dir.file(c.name, c.bytes);
        ForgetSaves();
        EXPECT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess) << c.name;
        EXPECT_EQ(Saves(), c.saves) << c.name;
    }

    // When the content's format fails, the extension gets its turn.
    fakes[ttID3v2].saveResult = 9;
    std::string mp3 = dir.file("x.ape", MPEGFrames());
    ForgetSaves();
    EXPECT_EQ(tags.SaveToFile(mp3, ttAutomatic), trSuccess);
    EXPECT_THAT(Saves(), ElementsAre("APEv2:file:x.ape", "ID3v2:file:x.ape"));
}

TEST_F(SaveTest, ExplicitTypesSaveOneFormatAndTranslateItsCode) {
    std::string f = dir.file("a.bin", Zeros(16));
    EXPECT_EQ(tags.SaveToFile(f, ttLyrics2), trSuccess);
    EXPECT_THAT(Saves(), ElementsAre("ID3v1:file:a.bin"));
    for (TTagType none : {ttNone, ttMP4Xtra, ttMKV, static_cast<TTagType>(42)}) {
        ForgetSaves();
        EXPECT_EQ(tags.SaveToFile(f, none), trUnknownError);
        EXPECT_THAT(Saves(), IsEmpty());
    }
    struct Case {
        TTagType type;
        int code, expected;
    };
    for (Case c :
         {Case{ttFlac, 9, trFileLocked}, Case{ttFlac, 7, trUnsupportedTagVersion}, Case{ttID3v2, 10, trTagDoesNotFit},
          Case{ttID3v1, 3, trErrorOpeningFile}, Case{ttID3v1, 1, trUnknownError},
          Case{ttAPEv2, 9, trUnsupportedFileFormat}, Case{ttMP4, 12, trMP4co64UpdateFailed},
          Case{ttOpusVorbis, 10, trFileLocked}, Case{ttWMA, 1, trFileNotFound}, Case{ttWAV, 13, trUnknownError},
          Case{ttAPEv2, 0xFFFF, trUnknownError}, Case{ttAPEv2, -1, trUnknownError}}) {
        fakes[c.type].saveResult = c.code;
        EXPECT_EQ(tags.SaveToFile(f, c.type), c.expected) << c.type << " " << c.code;
        EXPECT_EQ(TranslateResult(c.type, c.code), c.expected);
        fakes[c.type].saveResult = 0;
    }
}

TEST_F(SaveTest, StreamSavesClassifyTheContent) {
    TMemoryStream mpeg(MPEGFrames());
    mpeg.SetPosition(100);
    EXPECT_EQ(tags.SaveToStream(mpeg, true, ttAutomatic), trSuccess);
    EXPECT_THAT(Saves(), ElementsAre("ID3v2:stream+b"));

    ForgetSaves();
    TMemoryStream unknown(Zeros(64));
    EXPECT_EQ(tags.SaveToStream(unknown, false, ttAutomatic), trUnknownError);
    EXPECT_EQ(tags.SaveToStream(unknown, false, ttWMA), trUnsupportedFileFormat);
    EXPECT_EQ(tags.SaveToStream(unknown, false, ttFlac), trSuccess);
    EXPECT_THAT(Saves(), ElementsAre("FLAC:stream"));
}

TEST_F(SaveTest, PreserveFileDateTimeKeepsTheModificationTime) {
    std::string f = dir.file("a.mp3", MPEGFrames());
    ASSERT_TRUE(testenv::setModificationTime(f, 1000000000));
    // The fake does not write; touch the file as a real save would.
    struct Toucher : FakeFormatTag {
        using FakeFormatTag::FakeFormatTag;
        int SaveToFile(const std::string& file) override {
            ::utimensat(AT_FDCWD, file.c_str(), nullptr, 0);
            return 0;
        }
    };
    TFormatFactory factory = fakes.Factory();
    factory.FormatTag = [&](TTagType type) -> std::unique_ptr<TFormatTag> {
        return std::make_unique<Toucher>(CreateFormatTag(type)->FormatName());
    };
    TTags touching(factory);
    touching.SaveToFile(f, ttID3v2);
    EXPECT_NE(testenv::modificationTime(f), 1000000000);

    testenv::setModificationTime(f, 1000000000);
    touching.PreserveFileDateTime = true;
    touching.SaveToFile(f, ttID3v2);
    EXPECT_EQ(testenv::modificationTime(f), 1000000000);
}

// --- Copying and merging -----------------------------------------------------------

namespace {

struct MergeTest : ::testing::Test {
    TTags target, source;
    void SetUp() override {
        target.Add("ARTIST")->Value = "mine";
        target.Add("TITLE")->Value = "kept";
        target.AddCoverArt("own")->Stream.Bytes() = "GIF89a";
        source.Add("ARTIST")->Value = "theirs";
        source.Add("ALBUM")->Value = "new";
        source.Add("TITLE")->Value = "";
        TTag* url = source.Add("shop");
        url->Value = "http://x";
        url->ExtTagType = ettWXXX;
        source.AddCoverArt("theirs")->Stream.Bytes() = "\x89PNG";
    }
    std::vector<std::string> Pictures() const {
        std::vector<std::string> out;
        for (const auto& c : target.CoverArts) out.push_back(c->Name);
        return out;
    }
};

}  // namespace

TEST_F(MergeTest, ClearAllCopiesEverything) {
    target.MergeTags(source, tlmmClearAll, true, false);
    EXPECT_THAT(Entries(target), ElementsAre("ARTIST=theirs", "ALBUM=new", "TITLE=", "shop=http://x"));
    EXPECT_EQ(target.Tags[3]->ExtTagType, ettWXXX);
    EXPECT_THAT(Pictures(), ElementsAre("theirs"));
    EXPECT_EQ(target.CoverArts[0]->Stream.Bytes(), "\x89PNG");
    EXPECT_EQ(target.CoverArts[0]->Parent, &target);
}

TEST_F(MergeTest, ReplaceSetsEachSourceValue) {
    target.MergeTags(source, tlmmReplace, false, true);
    // An empty source value deletes the entry.
    EXPECT_THAT(Entries(target), ElementsAre("ARTIST=theirs", "ALBUM=new", "shop=http://x"));
    EXPECT_THAT(Pictures(), ElementsAre("own"));
    target.MergeTags(source, tlmmReplace, true, true);
    EXPECT_THAT(Pictures(), ElementsAre("theirs"));
}

TEST_F(MergeTest, KeepOriginalOnlyAddsMissingNames) {
    target.MergeTags(source, tlmmKeepOriginal, true, true);
    EXPECT_THAT(Entries(target), ElementsAre("ARTIST=mine", "TITLE=kept", "ALBUM=new", "shop=http://x"));
    EXPECT_THAT(Pictures(), ElementsAre("own", "theirs"));
    target.MergeTags(source, tlmmKeepOriginal, true, false);
    EXPECT_THAT(Pictures(), ElementsAre("theirs"));
}

TEST_F(MergeTest, MergingWithItselfChangesNothing) {
    for (TTagsMergeMode mode : {tlmmClearAll, tlmmReplace, tlmmKeepOriginal, static_cast<TTagsMergeMode>(7)})
        target.MergeTags(target, mode, true, false);
    source.MergeTags(target, static_cast<TTagsMergeMode>(7), true, false);
    EXPECT_THAT(Entries(target), ElementsAre("ARTIST=mine", "TITLE=kept"));
    EXPECT_THAT(Pictures(), ElementsAre("own"));
    EXPECT_FALSE(target.AssignCoverArts(target, false));
    EXPECT_TRUE(target.Assign(target, true));
    EXPECT_THAT(Pictures(), ElementsAre("own"));
    EXPECT_EQ(source.Count(), 4);
}

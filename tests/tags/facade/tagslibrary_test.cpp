#include "tags/facade/tagslibrary.h"

#include "tags/facade/entrylines.h"
#include "tags/facade/fakeformattag.h"
#include "tags/id3v2/id3v2library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/tempdir.h"

using namespace tags;
using testenv::TempDir;
using namespace tags::testing;
using ::testing::ElementsAre;

namespace {

struct FacadeTest : ::testing::Test {
    Fakes fakes;
    TTags tags{fakes.Factory()};
    TMemoryStream file{std::string("some audio bytes")};

    void Finds(TTagType type, std::vector<TNativeItem> items) { fakes[type].fileItems = std::move(items); }
    int Load() { return tags.LoadFromStream(file, false); }
};

}  // namespace

// --- Merging by priority -------------------------------------------------------

TEST_F(FacadeTest, HigherPriorityFormatsSupplyTheValue) {
    Finds(ttID3v1, {{"ARTIST", "A"}, {"TITLE", "t1"}, {"YEAR", "1999"}});
    Finds(ttID3v2, {{"ARTIST", "B"}, {"ALBUM", "al"}});
    Finds(ttAPEv2, {{"Artist", "C"}, {"GENRE", "g"}});
    ASSERT_EQ(Load(), trSuccess);
    EXPECT_TRUE(tags.Loaded);
    // Lower priorities are converted first; each removes the names it supplies.
    EXPECT_THAT(Entries(tags), ElementsAre("TITLE=t1", "YEAR=1999", "GENRE=g", "ARTIST=B", "ALBUM=al"));
    EXPECT_EQ(tags.GetText("artist"), "B");
    EXPECT_EQ(tags.TypeCount("ARTIST"), 1);

    // ID3v1 ahead of ID3v2 (and so of APEv2): its artist wins.
    tags.TagLoadPriority = {ttID3v1, ttFlac, ttOpusVorbis, ttMP4, ttWAV, ttID3v2, ttAPEv2, ttWMA, ttNone};
    ASSERT_EQ(Load(), trSuccess);
    EXPECT_EQ(tags.GetText("ARTIST"), "A");
    EXPECT_EQ(tags.TypeCount("ARTIST"), 1);
    EXPECT_EQ(tags.GetText("ALBUM"), "al");

    // A format left out of the priority list is not converted at all.
    tags.TagLoadPriority = {ttID3v2, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone};
    ASSERT_EQ(Load(), trSuccess);
    EXPECT_THAT(Entries(tags), ElementsAre("ARTIST=B", "ALBUM=al"));
}

TEST_F(FacadeTest, OneFormatKeepsItsRepeatedFieldsInOrder) {
    Finds(ttFlac, {{"ARTIST", "first"}, {"TITLE", "x"}, {"ARTIST", "second"}});
    Finds(ttID3v2, {{"ARTIST", "lower"}});
    Load();
    EXPECT_THAT(Entries(tags), ElementsAre("ARTIST=first", "TITLE=x", "ARTIST=second"));
    EXPECT_EQ(tags.GetText("ARTIST"), "first");
    std::vector<std::string> all;
    EXPECT_TRUE(tags.GetMultipleList("Artist", all));
    EXPECT_THAT(all, ElementsAre("first", "second"));
}

TEST_F(FacadeTest, EveryLoadStartsAfresh) {
    Finds(ttID3v2, {{"TITLE", "old"}});
    Load();
    tags.Add("EXTRA")->Value = "kept?";
    fakes[ttID3v2].fileItems.clear();
    ASSERT_EQ(Load(), trSuccess);
    EXPECT_FALSE(tags.Loaded);
    EXPECT_EQ(tags.Count(), 0);
    EXPECT_EQ(tags.CoverArtCount(), 0);
}

TEST_F(FacadeTest, PicturesOfTheHighestPriorityFormatReplaceTheOthers) {
    fakes[ttAPEv2].filePictures = {{"Cover Art (Front)", "GIF89a..."}};
    fakes[ttID3v2].filePictures = {{"", "\x89PNG\r\n", "front", "image/png", 3}, {"", "\xFF\xD8\xFF"}};
    Finds(ttID3v1, {{"TITLE", "t"}});
    Load();
    ASSERT_EQ(tags.CoverArtCount(), 2);
    EXPECT_EQ(tags.CoverArts[0]->Name, "Cover art 1");
    EXPECT_EQ(tags.CoverArts[0]->PictureFormat, tpfPNG);
    EXPECT_EQ(tags.CoverArts[0]->CoverType, 3u);
    EXPECT_EQ(tags.CoverArts[0]->Description, "front");
    EXPECT_EQ(tags.CoverArts[1]->Name, "Cover art 2");
    EXPECT_EQ(tags.CoverArts[1]->PictureFormat, tpfJPEG);
    EXPECT_EQ(tags.CoverArts[1]->Stream.Bytes(), "\xFF\xD8\xFF");
    EXPECT_EQ(tags.CoverArts[0]->Parent, &tags);

    // Without ParseCoverArts the pictures are dropped, not kept from a lower
    // priority.
    tags.ParseCoverArts = false;
    Load();
    EXPECT_EQ(tags.CoverArtCount(), 0);
    EXPECT_EQ(tags.GetText("TITLE"), "t");

    // OnlyParseCoverArts: pictures, no text.
    tags.ParseCoverArts = true;
    tags.OnlyParseCoverArts = true;
    Load();
    EXPECT_EQ(tags.Count(), 0);
    EXPECT_EQ(tags.CoverArtCount(), 2);
}

TEST_F(FacadeTest, ConvertingAgainAppendsOnlyWhatNoFormatReplaces) {
    Finds(ttFlac, {{"TITLE", "t"}});
    Load();
    tags.Add("MINE")->Value = "x";
    tags.LoadTags();
    EXPECT_THAT(Entries(tags), ElementsAre("MINE=x", "TITLE=t"));
}

// --- Loading -------------------------------------------------------------------

TEST_F(FacadeTest, StreamLoadsRewindPassBufferedAndSkipWMA) {
    Finds(ttWAV, {{"INAM", "n"}});
    fakes[ttMP4].throwOnLoad = true;  // a broken format does not stop the others
    ASSERT_EQ(tags.LoadFromStream(file, true), trSuccess);
    for (TTagType type : kFormatLoadOrder) {
        FakeFormatTag& f = fakes[type];
        if (type == ttWMA) {
            EXPECT_TRUE(f.loads.empty());
            continue;
        }
        ASSERT_EQ(f.loads.size(), 1u) << f.FormatName();
        EXPECT_THAT(f.loadPositions, ElementsAre(0)) << f.FormatName();
        bool buffered = type == ttFlac || type == ttID3v2 || type == ttMP4;
        EXPECT_EQ(f.loads[0].Buffered, buffered) << f.FormatName();
        EXPECT_FALSE(f.loads[0].ApplyParseOptions);
    }
    EXPECT_TRUE(tags.FileName.empty());
    EXPECT_EQ(tags.GetText("INAM"), "n");

    TMemoryStream empty;
    EXPECT_EQ(tags.LoadFromStream(empty, false), trErrorOpeningFile);
    EXPECT_EQ(tags.Count(), 0);
}

TEST_F(FacadeTest, MemoryLoadsReadAReadOnlyViewBuffered) {
    Finds(ttFlac, {{"TITLE", "from memory"}});
    const char block[] = "fLaC....";
    ASSERT_EQ(tags.LoadFromMemory(block, 8), trSuccess);
    EXPECT_EQ(tags.GetText("TITLE"), "from memory");
    EXPECT_TRUE(fakes[ttFlac].loads.at(0).Buffered);
    EXPECT_FALSE(fakes[ttFlac].wroteToStream);
    EXPECT_EQ(std::string(block), "fLaC....");

    EXPECT_EQ(tags.LoadFromMemory(nullptr, 8), trFileNotFound);
    EXPECT_EQ(tags.LoadFromMemory(block, 0), trFileNotFound);
    EXPECT_EQ(tags.LoadFromMemory(block, -5), trFileNotFound);
    EXPECT_EQ(tags.Count(), 0);
}

TEST_F(FacadeTest, FileLoadsHandOverTheOptionsAndTryWMALast) {
    TempDir dir;
    std::string unknown = dir.file("a.xyz", std::string(64, '\0'));
    std::string wave = dir.file("b.wav", "RIFF\x24\0\0\0WAVEfmt ");
    tags.ParseAudioAttributes = false;

    ASSERT_EQ(tags.LoadFromFile(unknown), trSuccess);
    EXPECT_EQ(tags.FileName, unknown);
    EXPECT_FALSE(tags.Loaded);
    for (TTagType type : kFormatLoadOrder) {
        FakeFormatTag& f = fakes[type];
        ASSERT_THAT(f.loadedFiles, ElementsAre(unknown)) << f.FormatName();
        EXPECT_EQ(f.loads[0].Buffered, type == ttFlac) << f.FormatName();
        EXPECT_TRUE(f.loads[0].ApplyParseOptions);
        EXPECT_FALSE(f.loads[0].ParseAudioAttributes);
        EXPECT_TRUE(f.loads[0].ParseCoverArts);
    }

    // WMA is tried only for content nothing else recognises.
    fakes[ttWMA].loadedFiles.clear();
    tags.LoadFromFile(wave);
    EXPECT_TRUE(fakes[ttWMA].loadedFiles.empty());
    Finds(ttID3v2, {{"TITLE", "t"}});
    tags.LoadFromFile(unknown);
    EXPECT_TRUE(fakes[ttWMA].loadedFiles.empty());
    EXPECT_EQ(tags.GetText("TITLE"), "t");

    EXPECT_EQ(tags.LoadFromFile(dir.at("missing.mp3")), trErrorOpeningFile);
    EXPECT_TRUE(tags.FileName.empty());
    EXPECT_EQ(tags.Count(), 0);
    EXPECT_EQ(tags.LoadFromFile(dir.path), trErrorOpeningFile);  // a folder
    // A file being written by someone else is not read half-written.
    auto writer = TFileStream::Open(wave, TFileMode::fmOpenReadWrite);
    ASSERT_TRUE(writer);
    fakes[ttID3v2].loadedFiles.clear();
    EXPECT_EQ(tags.LoadFromFile(wave), trErrorOpeningFile);
    EXPECT_TRUE(fakes[ttID3v2].loadedFiles.empty());
}

TEST(Facade, FormatsWithoutAUnitNeverLoad) {
    TempDir dir;
    std::string f = dir.file("x.m4a", std::string("\0\0\0\x18"
                                                  "ftypM4A \0\0\0\0M4A mp42",
                                                  24));
    TTags tags;
    EXPECT_EQ(tags.LoadFromFile(f), trSuccess);
    EXPECT_FALSE(tags.Loaded);
    EXPECT_EQ(tags.GetSize(), 0);
    for (TTagType type : kFormatLoadOrder) EXPECT_FALSE(tags.FormatTag(type)->Loaded());
    EXPECT_EQ(tags.FormatTag(ttMP4Xtra), nullptr);
    EXPECT_STREQ(tags.OggVorbisAndOpusTag->FormatName(), "Ogg");
    ASSERT_NE(tags.ID3v2(), nullptr);
    EXPECT_EQ(tags.ID3v2FramesContext, tags.ID3v2());

    // Objects given by the caller are not the units'.
    Fakes fakes;
    TTags faked(fakes.Factory());
    EXPECT_EQ(faked.ID3v2(), nullptr);
    EXPECT_EQ(faked.ID3v2FramesContext, nullptr);
}

// --- Editing ---------------------------------------------------------------------

TEST_F(FacadeTest, LookupsIgnoreCase) {
    tags.Add("Artist")->Value = "a1";
    tags.Add("TITLE")->Value = "t";
    tags.Add("ARTIST")->Value = "a2";
    EXPECT_EQ(tags.Exists("artist"), 0);
    EXPECT_EQ(tags.Exists("nothing"), -1);
    EXPECT_EQ(tags.Tag("tItLe"), tags.Tags[1].get());
    EXPECT_EQ(tags.Tag("nothing"), nullptr);
    EXPECT_EQ(tags.TypeCount("ARTIST"), 2);
    EXPECT_EQ(tags.GetText("nothing"), "");

    EXPECT_EQ(tags.SetText("artist", "new"), 0);  // only the first entry
    EXPECT_THAT(Entries(tags), ElementsAre("Artist=new", "TITLE=t", "ARTIST=a2"));
    EXPECT_EQ(tags.SetText("ALBUM", "al"), 3);
    EXPECT_EQ(tags.SetText("COMMENT", ""), -1);
    EXPECT_EQ(tags.Count(), 4);
    EXPECT_EQ(tags.Tags[2]->GetIndex(), 2);
}

TEST_F(FacadeTest, DeletingAnEntryDeletesItsNativeItems) {
    Finds(ttAPEv2, {{"ALBUM", "Same"}, {"ALBUM", "other"}});
    Finds(ttFlac, {{"album", "SAME"}});
    Finds(ttID3v2, {{"ALBUM", "same"}, {"TITLE", "t"}});
    Load();
    ASSERT_EQ(tags.GetText("ALBUM"), "SAME");  // FLAC's, the highest priority

    EXPECT_EQ(tags.SetText("ALBUM", ""), -1);
    EXPECT_EQ(tags.Exists("ALBUM"), -1);
    for (TTagType type : kFormatLoadOrder)
        EXPECT_THAT(fakes[type].deletedEntries, ElementsAre("album=SAME")) << fakes[type].FormatName();
    // Matching items went in every format; the others stayed.
    EXPECT_EQ(fakes[ttAPEv2].items.size(), 1u);
    EXPECT_EQ(fakes[ttAPEv2].items[0].Value, "other");
    EXPECT_TRUE(fakes[ttFlac].items.empty());
    EXPECT_EQ(fakes[ttID3v2].items.size(), 1u);
    // Converting again does not bring the value back from the formats.
    tags.LoadTags();
    EXPECT_EQ(tags.GetText("ALBUM"), "other");
}

TEST_F(FacadeTest, DeleteVariantsAndRemove) {
    Finds(ttID3v2, {{"A", "1"}, {"B", ""}, {"A", "2"}, {"C", "3"}, {"D", ""}});
    Load();
    EXPECT_FALSE(tags.Delete(5));
    EXPECT_FALSE(tags.Delete(-1));
    EXPECT_FALSE(tags.Remove(5));
    EXPECT_FALSE(tags.Delete("nothing"));
    EXPECT_TRUE(fakes[ttID3v2].deletedEntries.empty());
    EXPECT_EQ(tags.Count(), 5);

    tags.RemoveEmptyTags();  // from the end: D, then B
    EXPECT_THAT(fakes[ttID3v2].deletedEntries, ElementsAre("D=", "B="));
    EXPECT_EQ(tags.Clear("a"), 2);
    EXPECT_THAT(fakes[ttID3v2].deletedEntries, ElementsAre("D=", "B=", "A=2", "A=1"));
    EXPECT_THAT(Entries(tags), ElementsAre("C=3"));

    // Remove leaves the native items alone.
    EXPECT_TRUE(tags.Tags[0]->Remove());
    EXPECT_EQ(tags.Count(), 0);
    EXPECT_EQ(fakes[ttID3v2].items.size(), 1u);
    tags.LoadTags();
    EXPECT_TRUE(tags.Tag("C")->Delete());
    EXPECT_TRUE(fakes[ttID3v2].items.empty());
}

TEST_F(FacadeTest, ListValuesAreAlternatingLines) {
    EXPECT_EQ(tags.SetList("TIPL", {}), -1);
    EXPECT_EQ(tags.Count(), 0);
    EXPECT_EQ(tags.SetList("TIPL", {"producer=Ann", "no equals sign", "mix=Bo=b"}), 0);
    EXPECT_EQ(tags.GetText("TIPL"), "producer\r\nAnn\r\nmix\r\nBo=b\r\n");
    std::vector<std::string> list = {"stale"};
    EXPECT_EQ(tags.GetList("tipl", list), 0);
    EXPECT_THAT(list, ElementsAre("producer=Ann", "mix=Bo=b"));

    tags.Tags[0]->Value = "a\nb\rc\r\nd\r\ne";  // any line break; a lone last line is dropped
    tags.Tags[0]->GetList(list);
    EXPECT_THAT(list, ElementsAre("a=b", "c=d"));

    std::vector<std::string> untouched = {"x"};
    EXPECT_EQ(tags.GetList("missing", untouched), -1);
    EXPECT_THAT(untouched, ElementsAre("x"));
    EXPECT_EQ(tags.SetList("TIPL", {}), -1);  // an empty list deletes
    EXPECT_EQ(tags.Exists("TIPL"), -1);
}

TEST_F(FacadeTest, MultipleListsAreDistinctIgnoringCase) {
    for (const char* v : {"Rock", "Pop", "ROCK", "pop ", "Jazz"}) tags.Add("GENRE")->Value = v;
    tags.Add("OTHER")->Value = "Blues";
    std::vector<std::string> list = {"stale"};
    EXPECT_TRUE(tags.GetMultipleList("genre", list));
    EXPECT_THAT(list, ElementsAre("Rock", "Pop", "pop ", "Jazz"));
    EXPECT_FALSE(tags.GetMultipleList("none", list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(TTags::ItemAlreadyOnList({"a", "Ärger"}, "äRGER"));
}

TEST(Tag, AssignCopiesTheTextFieldsOnly) {
    TTag a(nullptr), b(nullptr);
    a.Name = "N", a.Value = "V", a.Language = "eng", a.Description = "d", a.SortWith = "s";
    a.ExtTagType = ettTXXX;
    b.Assign(a);
    EXPECT_EQ(b.Name + b.Value + b.Language + b.Description, "NVengd");
    EXPECT_EQ(b.SortWith, "");
    EXPECT_EQ(b.ExtTagType, ettUnknown);
    EXPECT_EQ(b.GetIndex(), -1);
    EXPECT_FALSE(b.Delete());
}

// --- Native frames, sizes and stream properties ----------------------------------

TEST(Facade, ClearingID3v2FramesByIdentifierOrDescription) {
    TID3v2Tag id3;
    for (const char* d : {"Mood", "MOOD", "Other"}) id3.SetUserDefinedTextInformation(id3.AddFrame("TXXX"), d, "x");
    id3.SetText("TIT2", "t");
    EXPECT_TRUE(TTags::ClearAllID3v2FramesTXXXByDescription(id3, "mood"));
    ASSERT_EQ(id3.FrameCount(), 2);
    std::string description;
    id3.GetUserDefinedTextInformation(0, description);
    EXPECT_EQ(description, "Other");
    EXPECT_FALSE(TTags::ClearAllID3v2FramesByID(id3, "TPE1"));
    EXPECT_TRUE(TTags::ClearAllID3v2FramesByID(id3, "TXXX"));
    ASSERT_EQ(id3.FrameCount(), 1);
    EXPECT_EQ(id3.Frame(0)->IDString(), "TIT2");
}

TEST_F(FacadeTest, SizeCountsLoadedTagsOnly) {
    Finds(ttID3v2, {{"T", "x"}});
    Finds(ttID3v1, {{"T", "y"}});
    fakes[ttID3v2].tagSize = 4106;
    fakes[ttID3v1].tagSize = 128;
    fakes[ttAPEv2].tagSize = 999;  // not loaded
    Load();
    EXPECT_EQ(tags.GetSize(), 4234);
}

TEST_F(FacadeTest, StreamPropertiesComeFromTheFirstSourceThatKnows) {
    fakes[ttID3v2].audio = {2, 44100, 0, 0, 0, 128, 181.5};  // MPEG-less container play time
    fakes[ttWAV].audio = {1, 0, 16, 0, 5000, 0};
    fakes[ttWMA].audio.PlayTime = 60;
    const TSourceAudioAttributes& a = tags.SourceAudioAttributes;
    EXPECT_EQ(a.Channels(), 1);  // WAV ranks above ID3v2
    EXPECT_EQ(a.SamplesPerSec(), 44100u);
    EXPECT_EQ(a.BitsPerSample(), 16);
    EXPECT_EQ(a.SampleCount(), 5000);
    EXPECT_EQ(a.BitRate(), 128u);
    EXPECT_EQ(a.PlayTime(), 60);  // WMA's before the container's
    fakes[ttWMA].audio.PlayTime = 0;
    EXPECT_EQ(a.PlayTime(), 181.5);
    fakes[ttMP4].audio.PlayTime = 3;
    EXPECT_EQ(a.PlayTime(), 3);

    tags.TagLoadPriority = {ttID3v2, ttWAV, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone};
    EXPECT_EQ(a.Channels(), 2);
    tags.TagLoadPriority = {};
    EXPECT_EQ(a.Channels(), 0);
}

TEST_F(FacadeTest, PropertyReadersRunWhenAskedAndAreKeptWhenValid) {
    TempDir dir;
    std::string wv = dir.file("a.WV", "wvpk");
    std::string mpc = dir.file("b.mpc", "MPCK");
    FakePropertiesReader valid;
    valid.valid = true;
    valid.audio = {6, 96000, 24, 12.5, 1200000, 900};
    fakes.readerTemplate[spkWavPack] = valid;
    fakes.readerTemplate[spkMusepack] = FakePropertiesReader{};  // finds nothing
    Finds(ttAPEv2, {{"T", "x"}});
    Finds(ttID3v1, {{"T", "y"}});
    fakes[ttAPEv2].tagSize = 100;

    tags.LoadFromFile(wv);
    EXPECT_TRUE(fakes.readersCreated.empty());  // not asked for

    tags.ParseWavPackAudioAttributes = tags.ParseMusePackAudioAttributes = true;
    tags.LoadFromFile(wv);  // the extension picks the reader, ignoring case
    ASSERT_TRUE(tags.SourceAudioAttributes.WAVPackAttributes);
    EXPECT_EQ(fakes.readersCreated[spkMusepack], 0);
    auto* reader = static_cast<FakePropertiesReader*>(tags.SourceAudioAttributes.WAVPackAttributes.get());
    EXPECT_THAT(reader->sizes, ElementsAre(std::make_pair(int64_t(0), int64_t(100))));
    EXPECT_EQ(tags.SourceAudioAttributes.Channels(), 6);
    EXPECT_EQ(tags.SourceAudioAttributes.PlayTime(), 12.5);

    tags.LoadFromFile(mpc);  // a reader that finds nothing is not kept
    EXPECT_EQ(fakes.readersCreated[spkMusepack], 1);
    EXPECT_FALSE(tags.SourceAudioAttributes.WAVPackAttributes);
    EXPECT_FALSE(tags.SourceAudioAttributes.MusePackAttributes);

    tags.LoadFromStream(file, false);  // streams run every reader asked for
    EXPECT_TRUE(tags.SourceAudioAttributes.WAVPackAttributes);
    EXPECT_EQ(fakes.readersCreated[spkMusepack], 2);
    EXPECT_EQ(fakes.readersCreated.count(spkMonkey), 0u);
}

TEST(ResultCodes, EveryCodeHasItsText) {
    struct Case {
        int code;
        const char* text;
    };
    for (Case c :
         {Case{0, "Success."}, Case{2, "Specified file not found."}, Case{5, "Error opening file."},
          Case{13, "Error: tag doesn't fit into the file."},
          Case{14, "Error: file is locked. Need exclusive access to write tag to this file."},
          Case{20, "Error: updating MP4 'co64' atom."}, Case{65535, "Unknown error occured."},
          Case{21, "Unknown error code."}, Case{-1, "Unknown error code."}, Case{65534, "Unknown error code."}})
        EXPECT_EQ(ErrorCodeToText(c.code), c.text) << c.code;
    for (int code = 0; code <= 20; ++code) EXPECT_NE(ErrorCodeToText(code), "Unknown error code.") << code;
}

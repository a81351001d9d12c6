#include "tags/mp4/mp4taglibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "common/files.h"
#include "support/tempdir.h"
#include "tags/mp4/mp4bytes.h"

using namespace tags;
using namespace mp4test;

namespace {

int Load(TMP4Tag& tag, const std::string& bytes) {
    TMemoryStream s(bytes);
    return tag.LoadFromStream(s);
}

std::string SaveOver(TMP4Tag& tag, const std::string& bytes, int expect = mp4Success, bool keepPadding = true) {
    TMemoryStream s(bytes);
    EXPECT_EQ(tag.SaveToStream(s, keepPadding), expect);
    EXPECT_EQ(s.Position(), 0);
    return s.Bytes();
}

// The atoms of [begin, end) of b, by type: (offset of content, end).
std::vector<std::pair<std::string, std::pair<size_t, size_t>>> Children(const std::string& b, size_t begin,
                                                                        size_t end) {
    std::vector<std::pair<std::string, std::pair<size_t, size_t>>> out;
    for (size_t pos = begin; pos + 8 <= end;) {
        size_t size = ReadBE32(b.data() + pos);
        if (size < 8 || size > end - pos) break;
        out.push_back({b.substr(pos + 4, 4), {pos + 8, pos + size}});
        pos += size;
    }
    return out;
}

std::pair<size_t, size_t> Child(const std::string& b, std::pair<size_t, size_t> in, const std::string& type) {
    for (const auto& [t, range] : Children(b, in.first, in.second))
        if (t == type) return range;
    return {0, 0};
}

// What every chunk offset of every track points at: a player reads this.
std::vector<std::string> ChunksOf(const std::string& b) {
    std::vector<std::string> chunks;
    auto moov = Child(b, {0, b.size()}, "moov");
    for (const auto& [type, trak] : Children(b, moov.first, moov.second)) {
        if (type != "trak") continue;
        auto stbl = Child(b, Child(b, Child(b, trak, "mdia"), "minf"), "stbl");
        for (const auto& [t, table] : Children(b, stbl.first, stbl.second)) {
            if (t != "stco" && t != "co64") continue;
            const size_t width = t == "co64" ? 8 : 4;
            for (uint32_t i = 0; i < ReadBE32(b.data() + table.first + 4); ++i) {
                const char* e = b.data() + table.first + 8 + i * width;
                uint64_t offset = width == 8 ? ReadBE64(e) : ReadBE32(e);
                chunks.push_back(offset + 100 <= b.size() ? b.substr(offset, 100) : "outside");
            }
        }
    }
    return chunks;
}

std::vector<std::string> ExpectedChunks(int tracks) {
    std::vector<std::string> c;
    for (int t = 0; t < tracks; ++t)
        for (int k = 0; k < 3; ++k) c.push_back(Chunk(t, k));
    return c;
}

const std::string kJpeg = "\xFF\xD8\xFF\xE0" + std::string(40, 'j');
const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(40, 'p');

// An item list with every kind of item, and an Xtra atom beside it.
std::string EveryKind() {
    std::string xtraField = BE(0, 4) + BE(19, 4) + "WM/SharedUserRating" + BE(1, 4) + BE(7, 4) + BE(19, 2) + '\x63';
    tags::WriteBE32(xtraField.data(), static_cast<uint32_t>(xtraField.size()));
    std::string items =
        Text("\xA9nam", "Песня") +
        Box("\xA9"
            "ART",
            Data(1, "One") + Data(1, "Two")) +
        Box("trkn", Data(0, BE(5, 4) + BE(12, 2) + BE(0, 2))) + Box("disk", Data(0, BE(1, 4) + BE(2, 2))) +
        Box("gnre", Data(0, BE(18, 2))) + Box("tmpo", Data(21, BE(120, 2))) + Box("stik", Data(21, BE(2, 1))) +
        Box("sfID", Data(21, BE(143441, 4))) + Freeform("MOOD", "calm") +
        Box("covr", Data(13, kJpeg) + Data(14, kPng)) + Box("zzzz", Box("what", "unknown child") + Data(1, "kept"));
    return Box("udta", Meta(items) + Box("Xtra", xtraField));
}

TEST(MP4Load, ReadsEveryKindOfItem) {
    Layout l;
    l.udta = EveryKind();
    TMP4Tag tag;
    ASSERT_EQ(Load(tag, File(l)), mp4Success);
    EXPECT_TRUE(tag.Loaded());
    EXPECT_EQ(tag.GetText("\xA9nam"), "Песня");
    EXPECT_EQ(tag.GetMultipleValues("\xA9"
                                    "ART"),
              (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(tag.GetText("trkn"), "5/12");
    EXPECT_EQ(tag.GetTrack(), 5);
    EXPECT_EQ(tag.GetTotalTracks(), 12);
    EXPECT_EQ(tag.GetText("disk"), "1/2");
    EXPECT_EQ(tag.GetGenre(), "Rock") << "gnre counts from 1";
    EXPECT_EQ(tag.GetText("tmpo"), "120");
    EXPECT_EQ(tag.GetMediaType(), "Audiobook");
    EXPECT_EQ(tag.GetPurchaseCountry(), "United States");
    EXPECT_EQ(tag.GetCommon("MOOD"), "calm");
    EXPECT_EQ(tag.CoverArtCount(), 2);
    EXPECT_EQ(tag.FindAtom("covr")->Datas[1]->GetBytes(), kPng);
    EXPECT_EQ(tag.GetText("zzzz"), "kept");
    ASSERT_EQ(tag.XtraCount(), 1);
    EXPECT_EQ(tag.GetTextXtra("WM/SharedUserRating"), "99");

    // Saved unchanged, the item list and the Xtra atom keep every byte.
    const std::string before = File(l);
    const std::string after = SaveOver(tag, before);
    EXPECT_NE(after.find(EveryKind().substr(8)), std::string::npos);
}

TEST(MP4Load, AudioProperties) {
    struct Case {
        const char* what;
        std::string entry;
        TMP4AudioFormat format;
        uint16_t channels, bits;
        uint32_t rate;
    } cases[] = {
        {"AAC", Mp4aEntry(2, 16, 44100), mp4afAAC, 2, 16, 44100},
        {"AAC at 96 kHz, whose rate wraps in 16 bits", Mp4aEntry(2, 16, 96000), mp4afAAC, 2, 16, 96000},
        {"ALAC, from its decoder configuration", AlacEntry(24, 6, 96000), mp4afALAC, 6, 24, 96000},
        {"AC-3", BE(36, 4) + "ac-3" + Mp4aEntry(1, 16, 48000).substr(8, 28), mpfafAC3, 1, 16, 48000},
    };
    for (const Case& c : cases) {
        std::string file = Ftyp() + Box("moov", Mvhd(1000, 2500) + Track(c.entry, ChunkTable(false, {}))) +
                           Box("mdat", std::string(40000, 'm'));
        TMP4Tag tag;
        EXPECT_EQ(Load(tag, file), mp4NoTag) << c.what;
        EXPECT_TRUE(tag.Valid()) << c.what;
        EXPECT_EQ(tag.AudioFormat(), c.format) << c.what;
        EXPECT_EQ(tag.AudioChannelCount(), c.channels) << c.what;
        EXPECT_EQ(tag.AudioResolution(), c.bits) << c.what;
        EXPECT_EQ(tag.AudioSampleRate(), c.rate) << c.what;
        EXPECT_DOUBLE_EQ(tag.Playtime(), 2.5) << c.what;
        EXPECT_EQ(tag.BitRate(), 128u) << c.what;  // 40008 bytes in 2.5 s
        EXPECT_EQ(tag.TrackCount(), 1) << c.what;
    }
}

TEST(MP4Load, DamagedFilesGiveAClearCodeAndSavesLeaveThemAlone) {
    Layout l;
    const std::string good = File(l);
    const size_t moovAt = good.find("moov") - 4;
    auto corrupt = [&](const std::string& what, size_t at, uint32_t size) {
        std::string b = good;
        size_t pos = b.find(what) - 4;
        if (at) pos = at;
        tags::WriteBE32(b.data() + pos, size);
        return b;
    };
    std::string stcoOutside = good, intoMoov = good;
    const size_t stco = good.find("stco") + 12;
    tags::WriteBE32(stcoOutside.data() + stco, static_cast<uint32_t>(good.size() + 10));
    tags::WriteBE32(intoMoov.data() + stco, static_cast<uint32_t>(moovAt + 20));
    std::string shortTable = good;
    tags::WriteBE32(shortTable.data() + stco - 4, 4);  // four entries in a table of three
    struct Case {
        const char* what;
        std::string bytes;
        int load, save;
    } cases[] = {
        {"no ftyp first", good.substr(good.find("moov") - 4), mp4NotMP4, mp4NotMP4},
        {"an item running past the list", corrupt("\xA9nam", 0, 500), mp4ReadError, mp4ReadError},
        {"a data atom running past its item", corrupt("data", 0, 300), mp4ReadError, mp4ReadError},
        {"a track running past moov", corrupt("trak", 0, 100000), mp4ReadError, mp4ReadError},
        {"an atom of size 0 inside moov, which would swallow the tag", corrupt("trak", 0, 0), mp4ReadError,
         mp4ReadError},
        {"cut inside moov", good.substr(0, moovAt + 200), mp4ReadError, mp4ReadError},
        {"a chunk offset outside the file", stcoOutside, mp4Success, mp4stcoFailed},
        {"a chunk offset into moov", intoMoov, mp4Success, mp4stcoFailed},
        {"a chunk table shorter than its count", shortTable, mp4Success, mp4stcoFailed},
        {"no moov", Ftyp() + Box("mdat", "x"), mp4NoTag, mp4ReadError},
    };
    for (const Case& c : cases) {
        TMP4Tag tag;
        EXPECT_EQ(Load(tag, c.bytes), c.load) << c.what;
        EXPECT_EQ(tag.Loaded(), c.load == mp4Success) << c.what;
        tag.SetText(
            "\xA9"
            "alb",
            std::string(5000, 'a'));
        EXPECT_TRUE(SaveOver(tag, c.bytes, c.save) == c.bytes) << c.what << ": the file changed";
    }
}

TEST(MP4Save, FitsIntoTheFreeSpaceAfterMoovInPlace) {
    Layout l;
    l.freeAfterMoov = 4096;
    const std::string before = File(l);
    TMP4Tag tag;
    ASSERT_EQ(Load(tag, before), mp4Success);
    tag.SetText(
        "\xA9"
        "cmt",
        std::string(100, 'c'));
    const std::string after = SaveOver(tag, before);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.find("mdat"), before.find("mdat")) << "the media data did not move";
    EXPECT_TRUE(after.substr(after.find("mdat")) == before.substr(before.find("mdat"))) << "the media data changed";
    EXPECT_EQ(ChunksOf(after), ExpectedChunks(1));
    // The new item grew moov; what was left of the free space is a free
    // atom inside meta, and there is none after moov any more.
    const auto moov = Child(after, {0, after.size()}, "moov");
    EXPECT_EQ(moov.second, before.find("mdat") - 4);
    const auto meta = Child(after, Child(after, moov, "udta"), "meta");
    const auto free = Child(after, {meta.first + 4, meta.second}, "free");
    EXPECT_EQ(free.second - free.first + 8, 4096u - 124) << "the item took 124 bytes";

    // Without keeping the padding the same change rewrites moov with the
    // default padding.
    TMP4Tag again;
    ASSERT_EQ(Load(again, before), mp4Success);
    again.SetText(
        "\xA9"
        "cmt",
        std::string(100, 'c'));
    const std::string rewritten = SaveOver(again, before, mp4Success, false);
    EXPECT_EQ(ChunksOf(rewritten), ExpectedChunks(1));
}

TEST(MP4Save, GrowingMoovMovesEveryChunkOffsetItMust) {
    struct Case {
        const char* what;
        std::function<void(Layout&)> layout;
    } cases[] = {
        {"moov first, stco", [](Layout&) {}},
        {"moov first, co64", [](Layout& l) { l.co64 = {true}; }},
        {"two tracks, stco and co64",
         [](Layout& l) {
             l.tracks = 2, l.co64 = {false, true};
         }},
        {"moov after the media data", [](Layout& l) { l.moovFirst = false; }},
        {"moov between two media data atoms",
         [](Layout& l) { l.moovFirst = false, l.tail = Box("mdat", std::string(50, 'z')); }},
        {"a free atom too small for the change", [](Layout& l) { l.freeAfterMoov = 40; }},
        {"meta without a handler", [](Layout& l) { l.udta = Box("udta", Meta(Text("\xA9nam", "T"), false)); }},
        {"no udta at all", [](Layout& l) { l.udta = ""; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Layout l;
        c.layout(l);
        const std::string before = File(l);
        TMP4Tag tag;
        Load(tag, before);
        tag.AddCoverArt(std::string(20000, 'c'));
        tag.SetText(
            "\xA9"
            "ART",
            "Artist");
        const std::string after = SaveOver(tag, before);
        EXPECT_GT(after.size(), before.size());
        EXPECT_EQ(ChunksOf(after), ExpectedChunks(l.tracks));
        TMP4Tag again;
        ASSERT_EQ(Load(again, after), mp4Success);
        EXPECT_EQ(again.GetText("\xA9"
                                "ART"),
                  "Artist");
        EXPECT_EQ(again.FindAtom("covr")->Datas[0]->GetBytes(), std::string(20000, 'c'));
        EXPECT_EQ(after.substr(after.size() - l.tail.size()), l.tail);
        // A handler the item list needs, and the default padding.
        const auto moov = Child(after, {0, after.size()}, "moov");
        const auto meta = Child(after, Child(after, moov, "udta"), "meta");
        const auto hdlr = Child(after, {meta.first + 4, meta.second}, "hdlr");
        EXPECT_EQ(after.substr(hdlr.first + 8, 8), "mdirappl");
        const auto free = Child(after, {meta.first + 4, meta.second}, "free");
        EXPECT_EQ(free.second - free.first + 8, 4096u);
    }
}

TEST(MP4Save, RefusedWhenWhatFollowsMoovCannotMove) {
    const std::string fragment = Box("moof", Box("mfhd", BE(0, 8))) + Box("mdat", std::string(30, 'f'));
    struct Case {
        const char* what;
        std::function<void(Layout&)> layout;
        int code;
    } cases[] = {
        {"movie fragments", [&](Layout& l) { l.moovExtra = Box("mvex", ""), l.tail = fragment; }, mp4DoesNotFit},
        {"a segment index", [](Layout& l) { l.tail = Box("sidx", BE(0, 24)); }, mp4DoesNotFit},
        {"auxiliary information offsets", [](Layout& l) { l.stblExtra = FullBox("saio", BE(0, 4)); }, mp4DoesNotFit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Layout l;
        c.layout(l);
        const std::string before = File(l);
        TMP4Tag tag;
        Load(tag, before);
        tag.SetText(
            "\xA9"
            "cmt",
            std::string(200, 'c'));
        EXPECT_TRUE(SaveOver(tag, before, c.code) == before) << "the file changed";
        // With room after moov nothing moves, and the save goes through.
        l.freeAfterMoov = 1000;
        const std::string roomy = File(l);
        Load(tag, roomy);
        tag.SetText(
            "\xA9"
            "cmt",
            std::string(200, 'c'));
        const std::string after = SaveOver(tag, roomy);
        EXPECT_EQ(after.size(), roomy.size());
        EXPECT_TRUE(after.substr(after.find("mdat")) == roomy.substr(roomy.find("mdat"))) << "the media data changed";
    }
    // Data in another file does not move with this one.
    Layout l;
    l.moovExtra = Track(Mp4aEntry(), ChunkTable(false, {0}), "", FullBox("dref", BE(1, 4) + FullBox("url ", "x")));
    const std::string external = File(l);
    TMP4Tag tag;
    Load(tag, external);
    tag.SetText(
        "\xA9"
        "cmt",
        std::string(200, 'c'));
    EXPECT_TRUE(SaveOver(tag, external, mp4DoesNotFit) == external) << "the file changed";
}

TEST(MP4Save, EmptyListAndQuickTimeMeta) {
    Layout l;
    TMP4Tag tag;
    Load(tag, File(l));
    tag.Atoms.clear();
    const std::string after = SaveOver(tag, File(l));
    EXPECT_NE(after.find(Box("ilst", "")), std::string::npos) << "an empty list is 8 bytes";
    EXPECT_EQ(Load(tag, after), mp4NoTag);

    // QuickTime's meta has no version and flags; it keeps that shape. Its
    // user data may end with four zero bytes.
    l.udta = Box("udta", Box("meta", Handler("mdir") + Box("ilst", Text("\xA9nam", "QT"))) + BE(0, 4));
    ASSERT_EQ(Load(tag, File(l)), mp4Success);
    EXPECT_EQ(tag.GetText("\xA9nam"), "QT");
    tag.SetText("\xA9nam", "QuickTime");
    const std::string qt = SaveOver(tag, File(l));
    EXPECT_NE(qt.find(Box("meta", Handler("mdir") + Box("ilst", Text("\xA9nam", "QuickTime")) +
                                      Box("free", std::string(4088, '\0')))),
              std::string::npos);
}

TEST(MP4Save, WhatALoadDidNotReadIsWrittenBack) {
    // An Xtra atom read without being parsed, and a second udta after the
    // first: a load reads the first only, and a save replaces only that.
    std::string field = BE(0, 4) + BE(8, 4) + "WM/Mood1" + BE(1, 4) + BE(8, 4) + BE(8, 2) + std::string("x\0", 2);
    tags::WriteBE32(field.data(), static_cast<uint32_t>(field.size()));
    const std::string xtra = Box("Xtra", field);
    Layout l;
    l.moovExtra = Box("udta", Meta(Text("\xA9nam", "First")) + xtra);
    l.udta = Udta(Text("\xA9nam", "Second"));
    TMP4Tag tag;
    tag.ParseXtra = false;
    ASSERT_EQ(Load(tag, File(l)), mp4Success);
    EXPECT_EQ(tag.GetText("\xA9nam"), "First");
    EXPECT_EQ(tag.XtraCount(), 0);
    tag.SetText("\xA9nam", "Changed");
    const std::string after = SaveOver(tag, File(l));
    EXPECT_NE(after.find(xtra), std::string::npos);
    EXPECT_NE(after.find(l.udta), std::string::npos);
    TMP4Tag again;
    ASSERT_EQ(Load(again, after), mp4Success);
    EXPECT_EQ(again.GetText("\xA9nam"), "Changed");
    EXPECT_EQ(again.GetTextXtra("WM/Mood1"), "x");
}

TEST(MP4File, SavesRemovalAndRefusals) {
    testenv::TempDir dir;
    Layout l;
    l.udta = Udta(Text("\xA9nam", "T") + Freeform("iTunSMPB", "gapless") + Text("\xA9too", "enc"));
    const std::string path = dir.file("a.m4a", File(l));
    TMP4Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), mp4Success);
    tag.SetText(
        "\xA9"
        "alb",
        "Album");
    tag.PreserveFileDateTime = true;
    struct stat before {
    }, after{};
    ::stat(path.c_str(), &before);
    ASSERT_EQ(tag.SaveToFile(path), mp4Success);
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(common::listFiles(dir.path).size(), 1u) << "no temporary file left";
    ASSERT_EQ(tag.LoadFromFile(path), mp4Success);
    EXPECT_EQ(ChunksOf(*common::readFile(path)), ExpectedChunks(1));

    ASSERT_EQ(StripMP4Tag(path, true, true, false, 0, true), mp4Success);
    ASSERT_EQ(tag.LoadFromFile(path), mp4Success);
    ASSERT_EQ(tag.Count(), 2);
    EXPECT_EQ(tag.GetCommon("iTunSMPB"), "gapless");
    EXPECT_EQ(tag.GetText("\xA9too"), "enc");

    const std::string bytes = *common::readFile(path);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(tag.SaveToFile(path), mp4CannotOpen);
    ::chmod(path.c_str(), 0644);
    EXPECT_TRUE(*common::readFile(path) == bytes) << "the file changed";
    EXPECT_EQ(tag.LoadFromFile(dir.path + "missing.m4a"), mp4CannotOpen);
    EXPECT_EQ(StripMP4Tag(dir.path + "missing.m4a", true, true, false, 0, true), mp4CannotOpen);
}

}  // namespace

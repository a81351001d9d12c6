// Interop with independent readers and writers from Debian: mutagen, ffprobe,
// id3v2 and eyeD3. Our tags must read the same in mutagen, theirs the same
// in ours, and the audio bytes must never change.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "support/bytes.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"

#include "tags/id3v2/id3v2_fixtures.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/readback.h"

using namespace tags;
using namespace id3v2test;
using namespace testenv;

namespace {

using Dump = std::map<std::string, std::string>;

// Frames of the kinds both sides understand, one line per frame:
// key TAB JSON value (the shape json.dumps gives with ensure_ascii off).
const char* kDumpScript = R"PY(
import json, sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
print("VERSION\t2.%d" % t.version[1])
def out(key, value):
    print(key + "\t" + json.dumps(value, ensure_ascii=False))
for f in t.values():
    i = f.FrameID
    if i == "TXXX": out("TXXX:" + f.desc, [f.desc, [str(x) for x in f.text]])
    elif i in ("TIPL", "TMCL", "IPLS"): out(i, [list(p) for p in f.people])
    elif i == "COMM": out("COMM:%s:%s" % (f.desc, f.lang), [f.lang, f.desc, "\r\n".join(f.text)])
    elif i == "USLT": out("USLT:%s:%s" % (f.desc, f.lang), [f.lang, f.desc, f.text])
    elif i == "WXXX": out("WXXX:" + f.desc, [f.desc, f.url])
    elif i.startswith("W"): out(i, [f.url])
    elif i.startswith("T"): out(i, [str(x) for x in f.text])
    elif i == "APIC": out("APIC:" + f.desc, [f.mime, int(f.type), f.desc, f.data.hex()])
    elif i == "POPM": out("POPM:" + f.email, [f.email, f.rating, getattr(f, "count", 0)])
    elif i == "PCNT": out("PCNT", [f.count])
    elif i == "UFID": out("UFID:" + f.owner, [f.owner, f.data.hex()])
)PY";

std::string Json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string JsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
    return out + "]";
}

// The same view of a tag through our accessors.
Dump OurDump(const std::string& path) {
    TID3v2Tag tag;
    tag.TrimText = false;
    Dump d;
    if (tag.LoadFromFile(path) != 0) return d;
    tag.DeCompressAllFrames();
    d["VERSION"] = "2." + std::to_string(tag.MajorVersion);
    for (int64_t i = 0; i < tag.FrameCount(); ++i) {
        const std::string id = tag.Frames[size_t(i)]->IDString();
        std::string a, b, c;
        std::vector<std::string> list, quoted;
        if (id == "TXXX") {
            tag.GetUserDefinedTextInformationMultiple(i, a, list);
            for (auto& v : list) quoted.push_back(Json(v));
            d["TXXX:" + a] = JsonList({Json(a), JsonList(quoted)});
        } else if (id == "TIPL" || id == "TMCL" || id == "IPLS") {
            tag.GetListFrame(i, list);
            for (auto& entry : list) {
                size_t eq = entry.find('=');
                quoted.push_back(JsonList({Json(entry.substr(0, eq)), Json(entry.substr(eq + 1))}));
            }
            d[id] = JsonList(quoted);
        } else if (id == "COMM" || id == "USLT") {
            std::string text = tag.GetContent(i, a, b);
            d[id + ":" + b + ":" + a] = JsonList({Json(a), Json(b), Json(text)});
        } else if (id == "WXXX") {
            std::string url = tag.GetUserDefinedURLLink(i, a);
            d["WXXX:" + a] = JsonList({Json(a), Json(url)});
        } else if (id[0] == 'W') {
            d[id] = JsonList({Json(tag.GetURL(i))});
        } else if (id[0] == 'T') {
            tag.GetTextMultiple(i, list);
            for (auto& v : list) quoted.push_back(Json(v));
            d[id] = JsonList(quoted);
        } else if (id == "APIC") {
            uint8_t type = 0;
            std::string bytes;
            tag.GetCoverPictureInfo(i, a, b, type, &bytes);
            d["APIC:" + b] = JsonList({Json(a), std::to_string(type), Json(b), Json(hex(bytes))});
        } else if (id == "POPM") {
            uint8_t rating = 0;
            uint32_t count = 0;
            tag.GetPopularimeter(i, a, rating, count);
            d["POPM:" + a] = JsonList({Json(a), std::to_string(rating), std::to_string(count)});
        } else if (id == "PCNT") {
            d["PCNT"] = JsonList({std::to_string(tag.GetPlayCount(i))});
        } else if (id == "UFID") {
            std::string bytes = tag.GetUFIDBytes(i, a);
            d["UFID:" + a] = JsonList({Json(a), Json(hex(bytes))});
        }
    }
    return d;
}

class ID3v2Interop : public ::testing::Test {
protected:
    TempDir dir;
    std::string python;

    void SetUp() override {
        python = mutagenPython();
        if (python.empty()) GTEST_SKIP() << "mutagen is not installed";
        if (!HasTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
        writeFile(dir.at("dump.py"), kDumpScript);
        // Half a second of MP3 without any tag, and a small PNG.
        ASSERT_TRUE(
            ffmpeg("-f lavfi -i sine=frequency=440:duration=0.5 -c:a libmp3lame -b:a 64k "
                   "-id3v2_version 0 -write_xing 0 -map_metadata -1 " +
                   dir.at("plain.mp3")));
        ASSERT_TRUE(ffmpeg("-f lavfi -i color=c=red:s=2x2 -frames:v 1 " + dir.at("cover.png")));
        plain = readFile(dir.at("plain.mp3"));
        ASSERT_GT(plain.size(), 1000u);
    }

    static bool HasTool(const std::string& tool) { return run("command -v " + tool).status == 0; }

    Dump MutagenDump(const std::string& path) {
        Dump d;
        std::istringstream lines(run(python + " " + dir.at("dump.py") + " " + path).out);
        for (std::string line; std::getline(lines, line);) {
            size_t tab = line.find('\t');
            if (tab != std::string::npos) d[line.substr(0, tab)] = line.substr(tab + 1);
        }
        return d;
    }

    std::string Copy(const std::string& name) {
        writeFile(dir.at(name), plain);
        return dir.at(name);
    }

    std::string plain;
};

void ExpectSameDump(const Dump& theirs, const Dump& ours) {
    EXPECT_FALSE(theirs.empty());
    for (const auto& [key, value] : theirs) {
        auto it = ours.find(key);
        if (it == ours.end()) {
            ADD_FAILURE() << "we miss " << key << " = " << value;
            continue;
        }
        EXPECT_EQ(it->second, value) << key;
    }
    for (const auto& [key, value] : ours)
        if (!theirs.count(key)) ADD_FAILURE() << "mutagen misses " << key << " = " << value;
}

}  // namespace

TEST_F(ID3v2Interop, OurTagsReadTheSameInMutagenAndFfprobe) {
    const std::string picture = readFile(dir.at("cover.png"));
    for (int major : {3, 4}) {
        SCOPED_TRACE(major);
        const std::string path = Copy("ours" + std::to_string(major) + ".mp3");
        TID3v2Tag tag;
        tag.MajorVersion = uint8_t(major);
        tag.SetText("TIT2", "Привет, мир \xF0\x9F\x8E\xB5", teUnicode);
        tag.SetTextMultiple("TPE1", {"Один", "Two \xF0\x9F\x8E\xB8"}, teUnicode);
        tag.SetText("TALB", "Альбом", teUTF8);
        tag.SetText("TRCK", "3/12", teANSI);
        tag.SetComment("COMM", "Комментарий\r\nвторая строка", "rus", "Описание");
        tag.SetLyrics("USLT", "Слова", "rus", "");
        tag.SetTXXXByDescription("REPLAYGAIN_TRACK_GAIN", "-6.20 dB", teUTF8);
        tag.SetTXXXByDescriptionMultiple("Жанры", {"Рок", "Поп"}, teUnicode);
        tag.SetURL("WOAR", "http://example.org/artist");
        tag.SetUserDefinedURLLinkByDescription("Магазин", "http://example.org/shop");
        tag.SetPopularimeterByEmail("user@example.org", 196, 12);
        tag.SetPlayCount("PCNT", 77);
        tag.SetUFIDByOwnerIdentifier("http://musicbrainz.org", "1c5e7a2d-0000-4000-8000-000000000001");
        TMemoryStream png(picture);
        tag.SetCoverPictureFromStream("APIC", "Обложка", png, "image/png", 3);
        if (major == 4) tag.SetListFrame("TIPL", {"producer=Иван", "engineer=Пётр"}, teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        readback::ExpectSaved(path, plain);

        // The audio after the tag is the untouched original.
        const std::string saved = readFile(path);
        EXPECT_EQ(saved.substr(tag.CalculateTagSize(tag.PaddingSize)), plain);

        Dump theirs = MutagenDump(path);
        EXPECT_EQ(theirs["VERSION"], "2." + std::to_string(major));
        EXPECT_EQ(theirs["TIT2"], "[\"Привет, мир \xF0\x9F\x8E\xB5\"]");
        EXPECT_EQ(theirs["TPE1"], "[\"Один\", \"Two \xF0\x9F\x8E\xB8\"]");
        EXPECT_EQ(theirs["COMM:Описание:rus"], "[\"rus\", \"Описание\", \"Комментарий\\r\\nвторая строка\"]");
        EXPECT_EQ(theirs["APIC:Обложка"], "[\"image/png\", 3, \"Обложка\", \"" + hex(picture) + "\"]");
        ExpectSameDump(theirs, OurDump(path));

        if (HasTool("ffprobe")) {
            std::string probe =
                run("ffprobe -v error -show_entries format_tags=title,album -of default=nw=1 " + path).out;
            EXPECT_NE(probe.find("TAG:title=Привет, мир \xF0\x9F\x8E\xB5"), std::string::npos) << probe;
            EXPECT_NE(probe.find("TAG:album=Альбом"), std::string::npos) << probe;
        }

        // Removing our tag gives back the original file.
        ASSERT_EQ(StripID3v2TagFromFile(path), 0);
        readback::ExpectSaved(path, plain);
        EXPECT_EQ(readFile(path), plain);
    }
}

TEST_F(ID3v2Interop, UnsynchronisedVersion23TagReadsTheSameInMutagen) {
    // 255 bytes of data: the frame's size field ends in FF, so the header
    // itself needs unsynchronisation.
    const std::string path = Copy("unsync.mp3");
    TID3v2Tag tag;
    tag.Unsynchronised = true;
    tag.AddFrameEx("TIT2")->Data() = std::string("\0", 1) + std::string(252, 'a') + "\xFF\xE0";
    tag.AddFrameEx("TPE1")->Data() = std::string("\0\xFF", 2);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    readback::ExpectSaved(path, plain);
    const std::string saved = readFile(path);
    ASSERT_EQ(uint8_t(saved[5]), 0x80);
    Dump theirs = MutagenDump(path);
    EXPECT_EQ(theirs["TIT2"], "[\"" + std::string(252, 'a') + "\xC3\xBF\xC3\xA0\"]");
    EXPECT_EQ(theirs["TPE1"], "[\"\xC3\xBF\"]");
    ExpectSameDump(theirs, OurDump(path));
}

TEST_F(ID3v2Interop, GrowingAndShrinkingKeepsTheAudioDecodingTheSame) {
    if (!HasTool("ffmpeg")) GTEST_SKIP();
    const std::string path = Copy("grow.mp3");
    const std::string before = run("ffmpeg -v error -i " + path + " -map 0:a -f md5 -").out;
    ASSERT_NE(before.find("MD5="), std::string::npos);
    TID3v2Tag tag;
    for (size_t length : {10u, 3000u, 9000u, 20u}) {
        tag.SetText("TIT2", std::string(length, 'x'), teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        readback::ExpectSaved(path, plain);
        EXPECT_EQ(run("ffmpeg -v error -i " + path + " -map 0:a -f md5 -").out, before) << length;
        EXPECT_EQ(MutagenDump(path)["TIT2"], "[\"" + std::string(length, 'x') + "\"]");
    }
}

TEST_F(ID3v2Interop, MutagenTagsReadTheSameInOurs) {
    const std::string picture = readFile(dir.at("cover.png"));
    writeFile(dir.at("write.py"), R"PY(
import sys
from mutagen.id3 import (ID3, TIT2, TPE1, TALB, TCON, COMM, USLT, TXXX, WOAR, WXXX, APIC, POPM, PCNT,
                         UFID, TIPL, TRCK)
path, version, cover = sys.argv[1], int(sys.argv[2]), open(sys.argv[3], "rb").read()
t = ID3()
t.add(TIT2(encoding=3, text=["Заголовок \U0001F3B5"]))
t.add(TPE1(encoding=1, text=["Первый", "Second"]))
t.add(TALB(encoding=2, text=["Альбом"]))
t.add(TCON(encoding=0, text=["(17)Rock"]))
t.add(TRCK(encoding=0, text=["5/9"]))
t.add(COMM(encoding=1, lang="rus", desc="Описание", text=["Комментарий"]))
t.add(USLT(encoding=3, lang="eng", desc="", text="line one\nline two"))
t.add(TXXX(encoding=1, desc="Ключ", text=["значение"]))
t.add(WOAR(url="http://example.org/a"))
t.add(WXXX(encoding=0, desc="shop", url="http://example.org/s"))
t.add(APIC(encoding=1, mime="image/png", type=3, desc="Обложка", data=cover))
t.add(POPM(email="me@example.org", rating=128, count=2**31 + 5))
t.add(PCNT(count=42))
t.add(UFID(owner="http://musicbrainz.org", data=b"abc-123"))
if version == 4:
    t.add(TIPL(encoding=3, people=[["producer", "Иван"], ["mix", "Пётр"]]))
t.save(path, v2_version=version)
)PY");
    for (int major : {3, 4}) {
        SCOPED_TRACE(major);
        const std::string path = Copy("mutagen" + std::to_string(major) + ".mp3");
        ASSERT_EQ(run(python + " " + dir.at("write.py") + " " + path + " " + std::to_string(major) + " " +
                      dir.at("cover.png"))
                      .status,
                  0);
        Dump ours = OurDump(path);
        EXPECT_EQ(ours["TIT2"], "[\"Заголовок \xF0\x9F\x8E\xB5\"]");
        EXPECT_EQ(ours["APIC:Обложка"], "[\"image/png\", 3, \"Обложка\", \"" + hex(picture) + "\"]");
        ExpectSameDump(MutagenDump(path), ours);

        // Rewriting the tag with ours keeps every frame mutagen sees.
        Dump theirsBefore = MutagenDump(path);
        TID3v2Tag tag;
        ASSERT_EQ(tag.LoadFromFile(path), 0);
        tag.SetText("TALB", "Другой альбом", teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        readback::ExpectSaved(path, plain);
        Dump theirsAfter = MutagenDump(path);
        theirsBefore["TALB"] = "[\"Другой альбом\"]";
        EXPECT_EQ(theirsAfter, theirsBefore);
        EXPECT_EQ(readFile(path).substr(tag.CalculateTagSize(tag.PaddingSize)), plain);
    }
}

TEST_F(ID3v2Interop, Id3v2ToolAndEyeD3AndFfmpegTagsReadTheSame) {
    struct Writer {
        std::string tool;
        std::string name;
        std::string command;  // FILE is replaced by the path
    };
    const std::string cover = dir.at("cover.png");
    writeFile(dir.at("lyrics.txt"), "Слова песни");
    const Writer writers[] = {
        {"id3v2", "id3v2",
         "id3v2 -2 -a 'Артист' -t 'Title' -A 'Album' -c 'desc:Comment text:eng' -y 2001 -T 3/9 --TXXX 'key:value' "
         "--WOAR 'http://example.org' FILE"},
        {"eyeD3", "eyeD3 v2.3",
         "eyeD3 --to-v2.3 -a 'Артист' -t '\xF0\x9F\x8E\xB5 Title' -A 'Альбом' --add-comment 'Коммент:desc:eng' "
         "--user-text-frame 'Ключ:значение' --add-image " +
             cover + ":FRONT_COVER:Обложка --play-count 9 FILE"},
        {"eyeD3", "eyeD3 v2.4",
         "eyeD3 --to-v2.4 -a 'Артист' -t '\xF0\x9F\x8E\xB5 Title' --add-lyrics " + dir.at("lyrics.txt") +
             " --user-url-frame "
             "'shop:http://example.org/s' --add-popularity 'me@example.org:200:3' --unique-file-id 'owner:ident' "
             "--add-image " +
             cover + ":BACK_COVER FILE"},
        {"ffmpeg", "ffmpeg v2.3",
         "ffmpeg -v error -y -i INPUT -c copy -id3v2_version 3 -metadata title='Заголовок \xF0\x9F\x8E\xB5' "
         "-metadata artist='Артист' -metadata comment='Коммент' -metadata MYKEY='Моё' FILE"},
        {"ffmpeg", "ffmpeg v2.4",
         "ffmpeg -v error -y -i INPUT -c copy -id3v2_version 4 -metadata title='Заголовок' -metadata "
         "album_artist='Исполнитель' -metadata date=2020 FILE"},
    };
    int ran = 0;
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        if (!HasTool(w.tool)) {
            ADD_FAILURE() << w.tool << " is missing; scripts/bootstrap.sh installs it";
            continue;
        }
        const std::string path = dir.at("tool.mp3");
        std::string command = w.command;
        if (command.find("INPUT") != std::string::npos) {
            command.replace(command.find("INPUT"), 5, dir.at("plain.mp3"));
            std::remove(path.c_str());
        } else {
            Copy("tool.mp3");
        }
        command.replace(command.find("FILE"), 4, path);
        Output r = run(command);
        ASSERT_EQ(r.status, 0) << command << "\n" << r.err;
        Dump theirs = MutagenDump(path);
        ASSERT_TRUE(theirs.count("TIT2")) << "no title written by " << w.name;
        ExpectSameDump(theirs, OurDump(path));
        ++ran;
    }
    EXPECT_EQ(ran, 5);
}

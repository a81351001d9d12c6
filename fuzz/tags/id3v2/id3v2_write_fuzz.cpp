// Builds an ID3v2 tag through the setters from the input's choices, writes it
// as ID3v2.3 or ID3v2.4 with frames compressed and unsynchronised as the
// input says, and checks that a load of what was written gives back every
// value that was set.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tags/id3v2/id3v2library.h"

using namespace tags;

namespace {

class Choices {
public:
    Choices(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    bool Left() const { return FPos < FSize; }
    uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    uint32_t Number() { return uint32_t(Byte()) << 24 | uint32_t(Byte()) << 16 | uint32_t(Byte()) << 8 | Byte(); }
    // Text the encoding can hold: ASCII only for the legacy code page.
    std::string Text(bool wide, size_t least = 0) {
        static const char* const kWide[] = {"é", "Ж", "♪", "\xF0\x9F\x8E\xB5", "ß", "中"};
        std::string out;
        for (size_t n = least + Byte() % 24; n-- > 0;) {
            uint8_t b = Byte();
            if (wide && b >= 0xF0) out += kWide[b % 6];
            else out += static_cast<char>(0x20 + b % 0x5F);
        }
        return out;
    }
    // One of a few names, so that setters meet the frames earlier ones made.
    std::string Description(bool wide = true) {
        static const char* const kNames[] = {"", "desc", "REPLAYGAIN_TRACK_GAIN", "x", "Ключ"};
        return kNames[Byte() % (wide ? 5 : 4)];
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

const char* const kTextFrames[] = {"TIT2", "TPE1", "TALB", "TCON", "TRCK", "TCOM", "TENC"};
const char* const kURLFrames[] = {"WOAR", "WCOM", "WPUB"};

TID3v2TextEncoding Encoding(uint8_t b) {
    static const TID3v2TextEncoding kEncodings[] = {teANSI, teUnicode, teUTF8};
    return kEncodings[b % 3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Choices in(data, size);
    TID3v2Tag tag;
    const uint8_t version = in.Byte() % 2 ? 4 : 3;
    tag.MajorVersion = version;
    // What each key must read back as.
    std::map<std::string, std::string> expected;
    for (int step = 0; step < 16 && in.Left(); ++step) {
        const uint8_t op = in.Byte() % 9;
        const TID3v2TextEncoding enc = Encoding(in.Byte());
        const bool wide = enc != teANSI;
        if (op == 0) {
            const char* id = kTextFrames[in.Byte() % 7];
            std::string text = in.Text(wide);
            tag.SetText(id, text, enc);
            expected[std::string("T:") + id] = text;
            expected.erase(std::string("M:") + id);
        } else if (op == 1) {
            const char* id = kTextFrames[in.Byte() % 7];
            // Empty values in a list do not survive: a trailing one reads as the end.
            std::vector<std::string> values = {in.Text(wide, 1), in.Text(wide, 1)};
            tag.SetTextMultiple(id, values, enc);
            expected[std::string("M:") + id] = values[0] + '\n' + values[1];
            expected.erase(std::string("T:") + id);
        } else if (op == 2) {
            std::string description = in.Description(), text = in.Text(true);
            tag.SetCommentByDescription(description, "deu", text);
            expected["COMM:" + description] = text;
        } else if (op == 3) {
            std::string description = in.Description(wide), text = in.Text(wide);
            tag.SetTXXXByDescription(description, text, enc);
            expected["TXXX:" + description] = text;
        } else if (op == 4) {
            const char* id = kURLFrames[in.Byte() % 3];
            std::string url = in.Text(false);
            tag.SetURL(id, url);
            expected[std::string("W:") + id] = url;
        } else if (op == 5) {
            std::string description = in.Description(wide), url = in.Text(false);
            tag.SetUserDefinedURLLinkByDescription(description, url, enc);
            expected["WXXX:" + description] = url;
        } else if (op == 6) {
            std::string email = in.Description(false);
            uint8_t rating = in.Byte();
            uint32_t count = in.Number();
            tag.SetPopularimeterByEmail(email, rating, count);
            expected["POPM:" + email] = std::to_string(rating) + "/" + std::to_string(count);
        } else if (op == 7) {
            uint32_t count = in.Number();
            tag.SetPlayCount("PCNT", count);
            expected["PCNT"] = std::to_string(count);
        } else {
            std::string description = in.Description(), bytes = "\x89PNG" + in.Text(false);
            TMemoryStream picture(bytes);
            uint8_t type = in.Byte() % 21;
            tag.SetCoverPictureFromStream(tag.AddFrame("APIC"), description, picture, "image/png", type);
            char key[16];
            std::snprintf(key, sizeof key, "APIC#%02d", static_cast<int>(tag.FrameTypeCount("APIC")));
            expected[key] = description + "/" + bytes;
        }
    }

    // Compression and unsynchronisation on write, frame by frame.
    const uint8_t flags = in.Byte();
    for (auto& f : tag.Frames)
        if (in.Byte() & 1) f->Compress();
    if (flags & 1) {
        if (version == 4) tag.ApplyUnsynchronisationOnAllFrames();
        else tag.Unsynchronised = true;
    }
    TMemoryStream out;
    if (tag.SaveToStream(out) != ID3V2LIBRARY_SUCCESS) return 0;

    TID3v2Tag again;
    again.TrimText = false;  // blanks are part of what was set
    if (again.LoadFromStream(out) != ID3V2LIBRARY_SUCCESS || again.MajorVersion != version) std::abort();
    if (!again.DeCompressAllFrames()) std::abort();
    int pictures = 0;
    for (const auto& [key, value] : expected) {
        std::string got, a, b;
        std::vector<std::string> list;
        if (key.rfind("T:", 0) == 0) {
            got = again.GetText(std::string_view(key).substr(2));
        } else if (key.rfind("M:", 0) == 0) {
            again.GetTextMultiple(std::string_view(key).substr(2), list);
            for (size_t i = 0; i < list.size(); ++i) got += (i ? "\n" : "") + list[i];
        } else if (key.rfind("COMM:", 0) == 0) {
            again.FindCommentByDescription(key.substr(5), a, got);
        } else if (key.rfind("TXXX:", 0) == 0) {
            again.FindTXXXByDescription(key.substr(5), got);
        } else if (key.rfind("W:", 0) == 0) {
            got = again.GetURL(std::string_view(key).substr(2));
        } else if (key.rfind("WXXX:", 0) == 0) {
            again.FindUserDefinedURLLinkByDescription(key.substr(5), got);
        } else if (key.rfind("POPM:", 0) == 0) {
            uint8_t rating = 0;
            uint32_t count = 0;
            for (int64_t i = 0; i < again.FrameCount(); ++i)
                if (again.Frame(i)->IDString() == "POPM" && again.GetPopularimeter(i, a, rating, count) &&
                    a == key.substr(5))
                    break;
            got = std::to_string(rating) + "/" + std::to_string(count);
        } else if (key == "PCNT") {
            got = std::to_string(again.GetPlayCount(std::string_view("PCNT")));
        } else {
            TMemoryStream picture;
            uint8_t type = 0;
            again.GetCoverPictureStream(again.GetFrameIndexOfCoverArtIndex(pictures++), picture, a, b, type);
            got = b + "/" + picture.Bytes();
        }
        // Empty values write no frame (or an empty one), so they read back empty.
        if (got != value && !value.empty()) __builtin_trap();
    }
    return 0;
}

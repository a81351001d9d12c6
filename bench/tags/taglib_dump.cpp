// What orvelin-tags dump does, done with TagLib: every tag of each file (all
// of ID3v2, ID3v1 and APEv2 of an MP3, the Vorbis comment of a FLAC file,
// APEv2 and ID3v1 of a WavPack file), the pictures and the audio
// properties, one JSON object per file and line.
#include <taglib/apeitem.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <cstdio>
#include <string>

namespace {

std::string Json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
        else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

struct Line {
    std::string entries, pictures;
    void Entries(const TagLib::PropertyMap& map) {
        for (const auto& [key, values] : map)
            for (const TagLib::String& v : values) {
                if (!entries.empty()) entries += ',';
                entries += "{\"name\":" + Json(key.to8Bit(true)) + ",\"value\":" + Json(v.to8Bit(true)) + "}";
            }
    }
    void Picture(const std::string& mime, int type, size_t size) {
        if (!pictures.empty()) pictures += ',';
        pictures +=
            "{\"mime\":" + Json(mime) + ",\"type\":" + std::to_string(type) + ",\"size\":" + std::to_string(size) + "}";
    }
    void APE(TagLib::APE::Tag* tag) {
        if (!tag) return;
        Entries(tag->properties());
        for (const auto& [key, item] : tag->itemListMap())
            if (item.type() == TagLib::APE::Item::Binary && key.upper().startsWith("COVER ART"))
                Picture("", 0, item.binaryData().size());
    }
};

void Dump(const char* path) {
    TagLib::FileRef ref(path, true, TagLib::AudioProperties::Average);
    Line line;
    int bits = 0;
    if (auto* mp3 = dynamic_cast<TagLib::MPEG::File*>(ref.file())) {
        if (auto* id3 = mp3->ID3v2Tag()) {
            line.Entries(id3->properties());
            for (auto* frame : id3->frameList("APIC")) {
                auto* p = static_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
                line.Picture(p->mimeType().to8Bit(true), p->type(), p->picture().size());
            }
        }
        if (auto* v1 = mp3->ID3v1Tag()) line.Entries(v1->properties());
        line.APE(mp3->APETag());
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(ref.file())) {
        if (auto* xiph = flac->xiphComment()) line.Entries(xiph->properties());
        for (auto* p : flac->pictureList()) line.Picture(p->mimeType().to8Bit(true), p->type(), p->data().size());
        if (flac->audioProperties()) bits = flac->audioProperties()->bitsPerSample();
    } else if (auto* wv = dynamic_cast<TagLib::WavPack::File*>(ref.file())) {
        line.APE(wv->APETag());
        if (auto* v1 = wv->ID3v1Tag()) line.Entries(v1->properties());
        if (wv->audioProperties()) bits = wv->audioProperties()->bitsPerSample();
    } else if (!ref.isNull() && ref.file()->tag()) {
        line.Entries(ref.file()->properties());
    }
    std::string audio;
    if (const TagLib::AudioProperties* a = ref.audioProperties())
        audio = "\"channels\":" + std::to_string(a->channels()) +
                ",\"sample_rate\":" + std::to_string(a->sampleRate()) + ",\"bits_per_sample\":" + std::to_string(bits) +
                ",\"duration\":" + std::to_string(a->lengthInMilliseconds() / 1000.0) +
                ",\"bitrate\":" + std::to_string(a->bitrate());
    std::string out = "{\"file\":" + Json(path) + ",\"loaded\":" + (ref.isNull() ? "false" : "true") +
                      ",\"entries\":[" + line.entries + "],\"pictures\":[" + line.pictures + "],\"audio\":{" + audio +
                      "}}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) Dump(argv[i]);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

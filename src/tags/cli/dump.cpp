#include "tags/cli/dump.h"

#include "tags/cli/json.h"

namespace tags::cli {

namespace {

void WriteEntries(JsonWriter& w, const TTags& tags) {
    w.Key("entries").BeginArray();
    for (const auto& t : tags.Tags) {
        w.BeginObject();
        w.Key("name").String(t->Name);
        w.Key("value").String(t->Value);
        w.Key("language").String(t->Language);
        w.Key("description").String(t->Description);
        w.EndObject();
    }
    w.EndArray();
}

void WritePictures(JsonWriter& w, const TTags& tags) {
    w.Key("pictures").BeginArray();
    for (const auto& c : tags.CoverArts) {
        w.BeginObject();
        w.Key("name").String(c->Name);
        w.Key("mime").String(c->MIMEType);
        w.Key("type").Int(c->CoverType);
        w.Key("format").Int(c->PictureFormat);
        w.Key("size").Int(c->Stream.GetSizeConst());
        w.Key("description").String(c->Description);
        w.Key("width").Int(c->Width);
        w.Key("height").Int(c->Height);
        w.EndObject();
    }
    w.EndArray();
}

void WriteAudio(JsonWriter& w, const TTags& tags) {
    const TSourceAudioAttributes& a = tags.SourceAudioAttributes;
    w.Key("audio").BeginObject();
    w.Key("channels").Int(a.Channels());
    w.Key("sample_rate").Int(a.SamplesPerSec());
    w.Key("bits_per_sample").Int(a.BitsPerSample());
    w.Key("duration").Double(a.PlayTime());
    w.Key("sample_count").Int(a.SampleCount());
    w.Key("bitrate").Int(a.BitRate());
    w.EndObject();
}

void WriteNative(JsonWriter& w, const TTags& tags) {
    w.Key("native").BeginObject();
    for (TTagType type : kFormatLoadOrder) {
        const TFormatTag* tag = tags.FormatTag(type);
        if (!tag->Loaded()) continue;
        w.Key(tag->FormatName()).BeginArray();
        for (const TNativeItem& item : tag->NativeItems()) {
            w.BeginObject();
            w.Key("id").String(item.Id);
            w.Key("value").String(item.Value);
            w.Key("description").String(item.Description);
            w.Key("language").String(item.Language);
            w.EndObject();
        }
        w.EndArray();
    }
    w.EndObject();
}

}  // namespace

DumpLine DumpFile(TTags& tags, const std::string& fileName, bool native) {
    int result = tags.LoadFromFile(fileName);
    JsonWriter w;
    w.BeginObject();
    w.Key("file").String(fileName);
    w.Key("result").Int(result);
    w.Key("format").Int(GetAudioFormat(fileName));
    w.Key("loaded").Bool(tags.Loaded);
    WriteEntries(w, tags);
    WritePictures(w, tags);
    WriteAudio(w, tags);
    if (native) WriteNative(w, tags);
    w.EndObject();
    return {w.Text(), result};
}

}  // namespace tags::cli

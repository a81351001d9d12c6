// ID3v2 in the facade: frames to entries through the frame table and back.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/id3v2frametable.h"
#include "tags/facade/tagslibrary.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <set>

namespace tags {

namespace {

constexpr int kText = 1, kContent = 3, kList = 4, kURL = 5;

std::string WithLineFeeds(std::string text) {
    for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.erase(p, 1);
    return text;
}

// The first run of four decimal digits ("2004" of "2004-05-01"), or empty.
std::string FourDigitYear(const std::string& text) {
    for (size_t i = 0; i + 4 <= text.size(); ++i) {
        bool digits = true;
        for (size_t k = i; k < i + 4 && digits; ++k) digits = std::isdigit(static_cast<unsigned char>(text[k]));
        if (digits) return text.substr(i, 4);
    }
    return {};
}

uint32_t NumberOrZero(const std::string& text) {
    char* end = nullptr;
    unsigned long long n = std::strtoull(text.c_str(), &end, 10);
    return end != text.c_str() && *end == '\0' && n <= 0xFFFFFFFFu ? static_cast<uint32_t>(n) : 0;
}

}  // namespace

TID3v2FormatTag::TID3v2FormatTag() { Tag.PaddingToWrite = kTagsLibraryDefaults.PaddingToWrite; }

int TID3v2FormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (options.ApplyParseOptions) {
        Tag.ParseAudioAttributes = options.ParseAudioAttributes;
        Tag.ParseCoverArts = options.ParseCoverArts;
    }
    // Files are always read through the buffer: frame headers are small reads.
    int result = ID3V2LIBRARY_ERROR_OPENING_FILE;
    if (!options.OpenFile) {
        result = Tag.LoadFromFile(fileName, true);
    } else {
        result = Tag.LoadFromStream(*options.OpenFile, true);
        if (result < ID3V2LIBRARY_ERROR_OPENING_FILE) Tag.SourceFileName = fileName;
    }
    if (Tag.Loaded) {
        Tag.RemoveUnsynchronisationOnAllFrames();
        Tag.DeCompressAllFrames();
    }
    return result;
}

int TID3v2FormatTag::LoadFromStream(TStream& stream, const TFormatLoadOptions& options) {
    int result = Tag.LoadFromStream(stream, options.Buffered);
    if (Tag.Loaded) {
        Tag.RemoveUnsynchronisationOnAllFrames();
        Tag.DeCompressAllFrames();
    }
    return result;
}

int TID3v2FormatTag::SaveToFile(const std::string& fileName) {
    Tag.SetAllFrameDataStreams();
    // Every frame deleted: the tag goes, rather than staying as it was.
    if (Tag.Frames.empty())
        return Tag.Loaded ? StripID3v2TagFromFile(fileName, Tag.PreserveFileDateTime) : ID3V2LIBRARY_ERROR_EMPTY_TAG;
    return Tag.SaveToFile(fileName, true);
}

int TID3v2FormatTag::SaveToStream(TStream& stream, bool buffered) {
    Tag.SetAllFrameDataStreams();
    if (Tag.Frames.empty()) return Tag.Loaded ? StripID3v2TagFromStream(stream) : ID3V2LIBRARY_ERROR_EMPTY_TAG;
    return Tag.SaveToStream(stream, buffered);
}

int TID3v2FormatTag::RemoveFromFile(const std::string& fileName) { return StripID3v2TagFromFile(fileName, false); }

bool TID3v2FormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TID3v2FormatTag*>(&source);
    if (!s) return false;
    Tag.Assign(s->Tag);
    return true;
}

int64_t TID3v2FormatTag::TagSize() const { return int64_t(Tag.Size) + (Tag.FooterPresent ? 10 : 0); }

void TID3v2FormatTag::Convert(const TID3v2Tag& tag, TUnifiedTags& out, bool parseCoverArts) {
    out.SplitsDiscNumbers = true;
    for (int64_t i = 0; i < tag.FrameCount(); ++i) {
        const std::string id = tag.Frame(i)->IDString();
        std::string name = ID3v2FrameToName(id);
        TUnifiedEntry e;
        if (!name.empty()) {
            e.Name = std::move(name);
            switch (ID3v2FrameKind(id)) {
            case kContent: e.Value = tag.GetContent(i, e.Language, e.Description); break;
            case kList: {
                std::vector<std::string> list;
                tag.GetListFrame(i, list);
                e.Value = ListToLines(list);
                break;
            }
            case kURL: e.Value = tag.GetURL(i); break;
            default: e.Value = id == "TCON" ? DecodeID3v2Genre(tag.GetText(i)) : tag.GetText(i); break;
            }
        } else if (id == "TXXX") {
            e.Value = tag.GetUserDefinedTextInformation(i, e.Description);
            e.Name = e.Description;
            e.ExtTagType = ettTXXX;
        } else if (id == "WXXX") {
            e.Value = tag.GetUserDefinedURLLink(i, e.Description);
            if (e.Value.empty() || e.Description.empty()) continue;
            e.Name = e.Description;
            e.ExtTagType = ettWXXX;
        } else if (id == "PCNT") {
            e = {"PLAYCOUNT", std::to_string(tag.GetPlayCount(i))};
            e.ReplacesExisting = false;
        } else if (id == "POPM") {
            std::string email;
            uint8_t rating = 0;
            uint32_t counter = 0;
            if (!tag.GetPopularimeter(i, email, rating, counter)) continue;
            e = {"RATING", std::to_string(rating)};
            e.ReplacesExisting = false;
        } else if (id == "APIC") {
            out.HasPictures = true;
            out.PicturesSkipped = out.PicturesSkipped || tag.Frame(i)->DataSkipped();
            if (!parseCoverArts) continue;
            TUnifiedPicture p;
            TMemoryStream image;
            uint8_t type = 0;
            if (!tag.GetCoverPictureStream(i, image, p.MIMEType, p.Description, type)) continue;
            p.CoverType = type;
            p.Data = std::move(image.Bytes());
            out.Pictures.push_back(std::move(p));
            continue;
        } else {
            continue;
        }
        e.Item = i;
        out.Entries.push_back(std::move(e));
    }
    // ID3v2.4 has no TYER: its year is the start of the recording date, and
    // the player reads "YEAR".
    if (tag.MajorVersion == 4 && tag.FrameExists(std::string_view("TYER")) < 0) {
        std::string year = FourDigitYear(tag.GetText(std::string_view("TDRC")));
        if (!year.empty()) {
            out.Entries.push_back({"YEAR", year});
            out.Entries.back().Item = tag.FrameExists(std::string_view("TDRC"));
        }
    }
}

// Every frame that shows an entry of this name goes, whatever its value: a
// frame of the name's identifier, a TXXX or WXXX frame described by it, the
// counters, and the number frame a total was split from.
void TID3v2FormatTag::DeleteEntry(const TTag& entry) {
    TUnifiedTags native;
    Convert(Tag, native, false);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) Tag.DeleteFrame(i);
    std::string frame = ID3v2NameToFrame(entry.Name);
    if (!frame.empty())
        while (Tag.DeleteFrame(std::string_view(frame))) {}
}

void TID3v2FormatTag::Prepare(const TTags& tags) {
    // Frames whose names did not change stay as they are: encoding, several
    // values in one frame, genre references like "(17)".
    TUnifiedTags native;
    Convert(Tag, native, true);
    const bool samePictures = SamePictures(tags, native);
    const TItemListPlan plan(tags, std::move(native));
    for (int64_t i = Tag.FrameCount(); i-- > 0;)
        if (plan.Rewrites(i)) Tag.DeleteFrame(i);
    const TID3v2TextEncoding encoding = tags.ID3v2WriteUTF8Text ? teUTF8 : teUnicode;
    auto deleteAll = [&](std::string_view id) {
        while (Tag.DeleteFrame(id)) {}
    };
    // A frame identifier (or a TXXX name) is cleared the first time an entry
    // needs it, so several entries of one name all get written.
    std::set<std::string> cleared;
    auto firstTime = [&](const std::string& key) { return cleared.insert(key).second; };
    const bool writes24 =
        Tag.WriteVersion == sfid3v24 || (Tag.WriteVersion == sfid3v2NoChange && Tag.MajorVersion == 4);
    std::optional<std::string> year24;

    for (const auto& entry : tags.Tags) {
        const TTag& e = *entry;
        if (!plan.Writes(e.Name)) continue;
        const std::string name = common::toUpper(e.Name);
        const std::string frame = ID3v2NameToFrame(name);
        if (frame == "TYER" && writes24) {
            year24 = FourDigitYear(e.Value);
        } else if (frame == "TYER") {
            Tag.SetText("TYER", FourDigitYear(e.Value), teUnicode);
        } else if (frame == "TRCK" || frame == "TPOS") {
            deleteAll(frame);
            std::string value = NumberWithTotal(tags, e.Value, NumberKindOf(name));
            if (!value.empty()) Tag.SetText(std::string_view(frame), value, encoding);
        } else if (!frame.empty()) {
            const bool first = firstTime(frame);
            if (first) deleteAll(frame);
            const int kind = ID3v2FrameKind(frame);
            if (kind == kText) {
                std::vector<std::string> values;
                if (first && tags.GetMultipleList(e.Name, values) && !(values.size() == 1 && values[0].empty()))
                    Tag.SetTextMultiple(Tag.AddFrame(std::string_view(frame)), values, encoding);
            } else if (e.Value.empty()) {
                continue;
            } else if (kind == kContent) {
                std::string language = e.Language.size() == 3 ? e.Language : "eng";
                Tag.SetContent(Tag.AddFrame(std::string_view(frame)), e.Value, language, e.Description, encoding);
            } else if (kind == kList) {
                std::vector<std::string> list;
                e.GetList(list);
                Tag.SetListFrame(Tag.AddFrame(std::string_view(frame)), list, encoding);
            } else if (kind == kURL) {
                Tag.SetURL(Tag.AddFrame(std::string_view(frame)), e.Value);
            }
        } else if (name == "PLAYCOUNT") {
            deleteAll("PCNT");
            Tag.SetPlayCount("PCNT", NumberOrZero(e.Value));
        } else if (TNumberKind kind = TotalKindOf(name);
                   kind != TNumberKind::None && NumberHoldsTotal(tags, kind) && e.ExtTagType != ettWXXX) {
            TTags::ClearAllID3v2FramesTXXXByDescription(Tag, e.Name);
        } else if (e.ExtTagType == ettWXXX) {
            Tag.SetUserDefinedURLLinkByDescription(e.Description, e.Value, encoding);
        } else if (firstTime("TXXX:" + name)) {
            TTags::ClearAllID3v2FramesTXXXByDescription(Tag, e.Name);
            std::vector<std::string> values;
            if (tags.GetMultipleList(e.Name, values) && !(values.size() == 1 && values[0].empty()))
                Tag.SetUserDefinedTextInformationMultiple(Tag.AddFrame("TXXX"), e.Name, values, encoding);
        }
    }

    if (year24) {
        // ID3v2.4 readers take the year from the recording date; a full date
        // that already starts with this year is kept.
        deleteAll("TYER");
        if (Tag.GetText(std::string_view("TDRC")).substr(0, 4) != *year24) {
            deleteAll("TDRC");
            if (!year24->empty()) Tag.SetText("TDRC", *year24, encoding);
        }
    }

    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts) {
        const std::string& data = c->Stream.Bytes();
        TMemoryStream image(data);
        Tag.SetCoverPictureFromStream(Tag.AddFrame("APIC"), c->Description, image,
                                      MIMETypeToWrite(c->MIMEType, c->PictureFormat, data),
                                      static_cast<uint8_t>(c->CoverType));
    }
}

std::vector<TNativeItem> TID3v2FormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    for (int64_t i = 0; i < Tag.FrameCount(); ++i) {
        TNativeItem item;
        item.Id = Tag.Frame(i)->IDString();
        switch (ID3v2FrameKind(item.Id)) {
        case kText: item.Value = Tag.GetText(i); break;
        case 2: item.Value = Tag.GetUserDefinedTextInformation(i, item.Description); break;
        case kContent: item.Value = Tag.GetContent(i, item.Language, item.Description); break;
        case kList: item.Value = Tag.GetListFrameText(i); break;
        case kURL: item.Value = Tag.GetURL(i); break;
        case 6: item.Value = Tag.GetUserDefinedURLLink(i, item.Description); break;
        case 7: item.Value = std::to_string(Tag.GetPlayCount(i)); break;
        default:
            if (item.Id == "APIC") {
                std::string mime;
                uint8_t type = 0;
                Tag.GetCoverPictureInfo(i, mime, item.Description, type);
                item.Value = mime;
            }
            break;
        }
        item.Value = WithLineFeeds(std::move(item.Value));
        items.push_back(std::move(item));
    }
    return items;
}

TAudioAttributes TID3v2FormatTag::AudioAttributes() const {
    TAudioAttributes a;
    switch (Tag.SourceFileType()) {
    case sftMPEG:
        a.Channels = Tag.MPEGInfo.ChannelMode == tmpegcmUnknown ? 0 : Tag.MPEGInfo.ChannelMode == tmpegcmMono ? 1 : 2;
        a.SamplesPerSec = Tag.MPEGInfo.SampleRate;
        a.PlayTime = Tag.PlayTime();
        break;
    case sftWAVE:
    case sftRF64:
        a.Channels = Tag.WAVInfo.Channels;
        a.SamplesPerSec = Tag.WAVInfo.SamplesPerSec;
        a.BitsPerSample = Tag.WAVInfo.BitsPerSample;
        a.ContainerPlayTime = Tag.PlayTime();
        break;
    case sftAIFF:
        a.Channels = Tag.AIFFInfo.Channels;
        a.SamplesPerSec = static_cast<uint32_t>(Tag.AIFFInfo.SampleRate);
        a.BitsPerSample = Tag.AIFFInfo.SampleSize;
        a.ContainerPlayTime = Tag.PlayTime();
        break;
    case sftDSF:
        if (Tag.DSFInfo) {
            a.Channels = static_cast<uint16_t>(Tag.DSFInfo->ChannelNumber);
            a.SamplesPerSec = Tag.DSFInfo->SamplingFrequency;
            a.BitsPerSample = static_cast<uint16_t>(Tag.DSFInfo->BitsPerSample);
        }
        a.ContainerPlayTime = Tag.PlayTime();
        break;
    case sftDFF:
        if (Tag.DFFInfo) {
            a.Channels = Tag.DFFInfo->ChannelNumber;
            a.SamplesPerSec = Tag.DFFInfo->SampleRate;
        }
        a.ContainerPlayTime = Tag.PlayTime();
        break;
    default: return a;
    }
    a.SampleCount = Tag.SampleCount();
    a.BitRate = Tag.BitRate();
    return a;
}

}  // namespace tags

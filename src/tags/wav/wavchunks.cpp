// INFO items, the fields of "bext" and "cart", and the list of items.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/wav/wavtaglibrary.h"

namespace tags {

namespace {

// UTF-8 as it is; anything else was written in the legacy code page.
std::string Decode(std::string_view bytes) {
    return common::isValidUtf8(bytes) ? std::string(bytes) : common::legacyToUtf8(bytes);
}

// The longest leading part of a UTF-8 text, cut between characters, that fits.
std::string CutToFit(const std::string& text, size_t width) {
    if (text.size() <= width) return text;
    size_t cut = width;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

std::string WithoutTrailingZeros(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && s[end - 1] == '\0') --end;
    return std::string(s.substr(0, end));
}

// clang-format off
const std::vector<TFixedChunk::Field>& BextFields() {
    static const std::vector<TFixedChunk::Field> f = {
        {"Description", 0, 256, 't'}, {"Originator", 256, 32, 't'}, {"OriginatorReference", 288, 32, 't'},
        {"OriginationDate", 320, 10, 't'}, {"OriginationTime", 330, 8, 't'}, {"TimeReference", 338, 8, 'u'},
        {"Version", 346, 2, 'u'}, {"UMID", 348, 64, 'h'}, {"LoudnessValue", 412, 2, 's'},
        {"LoudnessRange", 414, 2, 's'}, {"MaxTruePeakLevel", 416, 2, 's'}, {"MaxMomentaryLoudness", 418, 2, 's'},
        {"MaxShortTermLoudness", 420, 2, 's'}, {"Reserved", 422, 180, 't'}};
    return f;
}

const std::vector<TFixedChunk::Field>& CartFields() {
    static const std::vector<TFixedChunk::Field> f = {
        {"Version", 0, 4, 't'}, {"Title", 4, 64, 't'}, {"Artist", 68, 64, 't'}, {"CutID", 132, 64, 't'},
        {"ClientID", 196, 64, 't'}, {"Category", 260, 64, 't'}, {"Classification", 324, 64, 't'},
        {"OutCue", 388, 64, 't'}, {"StartDate", 452, 10, 't'}, {"StartTime", 462, 8, 't'},
        {"EndDate", 470, 10, 't'}, {"EndTime", 480, 8, 't'}, {"ProducerAppID", 488, 64, 't'},
        {"ProducerAppVersion", 552, 64, 't'}, {"UserDef", 616, 64, 't'}, {"LevelReference", 680, 4, 'u'},
        {"PostTimer0", 684, 8, 'p'}, {"PostTimer1", 692, 8, 'p'}, {"PostTimer2", 700, 8, 'p'},
        {"PostTimer3", 708, 8, 'p'}, {"PostTimer4", 716, 8, 'p'}, {"PostTimer5", 724, 8, 'p'},
        {"PostTimer6", 732, 8, 'p'}, {"PostTimer7", 740, 8, 'p'}, {"Reserved", 748, 276, 't'},
        {"URL", 1024, 1024, 't'}};
    return f;
}
// clang-format on

uint64_t ParseUnsigned(const std::string& s) {
    uint64_t v = 0;
    for (char c : common::trimmed(s)) {
        if (c < '0' || c > '9') return v;
        v = v * 10 + uint64_t(c - '0');
    }
    return v;
}

int64_t ParseSigned(const std::string& s) {
    std::string t = common::trimmed(s);
    if (!t.empty() && t[0] == '-') return -int64_t(ParseUnsigned(t.substr(1)));
    return int64_t(ParseUnsigned(t));
}

}  // namespace

// --- INFO items -------------------------------------------------------------------

std::string TWAVTagFrame::GetText() const { return Decode(WithoutTrailingZeros(Data)); }

void TWAVTagFrame::SetText(const std::string& Text) {
    Data.clear();
    if (Text.empty()) return;
    Data = Text + '\0';
    Format = wffText;
}

void TWAVTagFrame::GetList(std::vector<std::string>& List) const {
    const std::string text = WithoutTrailingZeros(Data);
    std::vector<std::string> fields;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        fields.push_back(Decode(std::string_view(text).substr(pos, end - pos)));
        pos = end + 2;
    }
    for (size_t i = 0; i + 1 < fields.size(); i += 2) List.push_back(fields[i] + "=" + fields[i + 1]);
}

// --- fixed chunks -----------------------------------------------------------------

TFixedChunk::TFixedChunk(int size, const std::vector<Field>& fields, std::string extraName)
    : Fixed(size_t(size), '\0'), FFields(fields), FExtraName(std::move(extraName)) {}

TBEXT::TBEXT() : TFixedChunk(602, BextFields(), "CodingHistory") {}
TCART::TCART() : TFixedChunk(2048, CartFields(), "TagText") {}

void TFixedChunk::Clear() {
    std::fill(Fixed.begin(), Fixed.end(), '\0');
    Extra.clear();
    Loaded = false;
}

bool TFixedChunk::Have() const {
    return !Extra.empty() || std::any_of(Fixed.begin(), Fixed.end(), [](char c) { return c != '\0'; });
}

int64_t TFixedChunk::CalculateSize() const {
    int64_t size = int64_t(Fixed.size() + Extra.size());
    if (!Extra.empty() && Extra.back() != '\0') ++size;
    return size + (size & 1);
}

const std::vector<std::string>& TFixedChunk::FieldNames() const {
    if (FExtraName == "CodingHistory") {
        static std::vector<std::string> bext;
        if (bext.empty()) {
            for (const Field& f : FFields)
                if (std::string_view(f.name) != "Reserved") bext.push_back(f.name);
            bext.push_back(FExtraName);
        }
        return bext;
    }
    static std::vector<std::string> cart;
    if (cart.empty()) {
        for (const Field& f : FFields) cart.push_back(f.name);
        cart.push_back(FExtraName);
    }
    return cart;
}

std::string TFixedChunk::Get(std::string_view name) const {
    if (name == FExtraName) return Decode(WithoutTrailingZeros(Extra));
    for (const Field& f : FFields) {
        if (name != f.name) continue;
        const char* p = Fixed.data() + f.offset;
        switch (f.kind) {
        case 't': return Decode(std::string_view(p, strnlen(p, size_t(f.width))));
        case 'u': return std::to_string(f.width == 8 ? ReadLE64(p) : f.width == 4 ? ReadLE32(p) : ReadLE16(p));
        case 's': return std::to_string(int16_t(ReadLE16(p)));
        case 'h': {
            // Version 0 has no UMID.
            if (ReadLE16(Fixed.data() + 346) == 0) return {};
            std::string out;
            char hex[4];
            for (int i = 0; i < f.width; ++i) {
                std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(p[i]));
                out += (i ? " " : "") + std::string(hex);
            }
            return out;
        }
        case 'p': {
            const std::string usage(p, strnlen(p, 4));
            if (usage.empty() && ReadLE32(p + 4) == 0) return {};
            return Decode(usage) + " " + std::to_string(ReadLE32(p + 4));
        }
        }
    }
    return {};
}

bool TFixedChunk::Set(std::string_view name, const std::string& value) {
    if (name == FExtraName) {
        Extra = value;
        return true;
    }
    for (const Field& f : FFields) {
        if (name != f.name) continue;
        char* p = Fixed.data() + f.offset;
        std::memset(p, 0, size_t(f.width));
        switch (f.kind) {
        case 't': {
            const std::string text = CutToFit(value, size_t(f.width));
            std::memcpy(p, text.data(), text.size());
            break;
        }
        case 'u':
            if (f.width == 8) WriteLE64(p, ParseUnsigned(value));
            else if (f.width == 4) WriteLE32(p, uint32_t(ParseUnsigned(value)));
            else WriteLE16(p, uint16_t(ParseUnsigned(value)));
            break;
        case 's': WriteLE16(p, uint16_t(int16_t(ParseSigned(value)))); break;
        case 'h': {
            int i = 0;
            for (size_t pos = 0; pos < value.size() && i < f.width; ++i) {
                size_t end = value.find(' ', pos);
                if (end == std::string::npos) end = value.size();
                p[i] = char(std::strtoul(value.substr(pos, end - pos).c_str(), nullptr, 16));
                pos = end + 1;
            }
            break;
        }
        case 'p': {
            const size_t blank = value.find(' ');
            const std::string usage = value.substr(0, std::min<size_t>(blank, 4));
            std::memcpy(p, usage.data(), usage.size());
            WriteLE32(p + 4, uint32_t(ParseUnsigned(blank == std::string::npos ? "" : value.substr(blank + 1))));
            break;
        }
        }
        return true;
    }
    return false;
}

// --- the item list ----------------------------------------------------------------

TWAVTag::TWAVTag() = default;

TWAVTagFrame* TWAVTag::AddFrame(const std::string& Name) {
    Frames.push_back(std::make_unique<TWAVTagFrame>());
    Frames.back()->Name = Name;
    return Frames.back().get();
}

int64_t TWAVTag::AddTextFrame(const std::string& Name, const std::string& Text) {
    AddFrame(Name)->SetText(Text);
    return Count() - 1;
}

int64_t TWAVTag::FrameExists(const std::string& Name) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (Frames[i]->Name == Name) return int64_t(i);
    return -1;
}

void TWAVTag::SetText(const std::string& Name, const std::string& Text) {
    const int64_t i = FrameExists(Name);
    if (i < 0) {
        if (!Text.empty()) AddTextFrame(Name, Text);
    } else if (Text.empty()) {
        DeleteFrame(i);
    } else {
        Frames[size_t(i)]->SetText(Text);
    }
}

std::string TWAVTag::GetText(const std::string& Name) const {
    const int64_t i = FrameExists(Name);
    return i < 0 ? std::string() : Frames[size_t(i)]->GetText();
}

bool TWAVTag::DeleteFrame(int64_t Index) {
    if (Index < 0 || Index >= Count()) return false;
    Frames.erase(Frames.begin() + Index);
    return true;
}

bool TWAVTag::DeleteFrame(const std::string& Name) { return DeleteFrame(FrameExists(Name)); }

void TWAVTag::RemoveEmptyFrames() {
    std::erase_if(Frames, [](const auto& f) { return f->Data.empty(); });
}

int64_t TWAVTag::CalculateTotalFramesSize() const {
    int64_t size = 0;
    for (const auto& f : Frames) size += int64_t(f->Data.size() + (f->Data.size() & 1) + 8);
    return size;
}

int64_t TWAVTag::CalculateTagSize() const {
    return CalculateTotalFramesSize() + BEXT.CalculateSize() + CART.CalculateSize() + 28;
}

void TWAVTag::Clear() {
    Frames.clear();
    FileName.clear();
    Loaded = false;
    Size = 0;
    BEXT.Clear();
    CART.Clear();
    Attributes = {};
    PlayTime = 0;
    SampleCount = 0;
    BitRate = 0;
    SampleDataStartPosition = SampleDataSize = 0;
}

bool TWAVTag::Assign(const TWAVTag& Source) {
    if (&Source == this) return true;
    Clear();
    FileName = Source.FileName;
    Loaded = Source.Loaded;
    Size = Source.Size;
    for (const auto& f : Source.Frames) {
        TWAVTagFrame* copy = AddFrame(f->Name);
        copy->Format = f->Format;
        copy->Data = f->Data;
    }
    BEXT.Fixed = Source.BEXT.Fixed, BEXT.Extra = Source.BEXT.Extra, BEXT.Loaded = Source.BEXT.Loaded;
    CART.Fixed = Source.CART.Fixed, CART.Extra = Source.CART.Extra, CART.Loaded = Source.CART.Loaded;
    Attributes = Source.Attributes;
    PlayTime = Source.PlayTime;
    SampleCount = Source.SampleCount;
    BitRate = Source.BitRate;
    SampleDataStartPosition = Source.SampleDataStartPosition;
    SampleDataSize = Source.SampleDataSize;
    return true;
}

void TWAVTag::ReSetAlreadyParsedState() {
    for (auto& f : Frames) f->AlreadyParsed = false;
}

std::string TWAVTag::CreateTagChunks() {
    std::string out;
    if (!Frames.empty()) {
        out += "LIST";
        AppendLE32(out, uint32_t(CalculateTotalFramesSize() + 4));
        out += "INFO";
        for (const auto& f : Frames) {
            std::string name = f->Name.substr(0, 4);
            name.resize(4, '\0');
            out += name;
            AppendLE32(out, uint32_t(f->Data.size()));
            out += f->Data;
            if (f->Data.size() & 1) out += '\0';
        }
    }
    auto fixed = [&](const char* id, TFixedChunk& c) {
        if (!c.Have()) return;
        out += id;
        const int64_t size = c.CalculateSize();
        AppendLE32(out, uint32_t(size));
        std::string data = c.Fixed + c.Extra;
        data.resize(size_t(size), '\0');
        out += data;
    };
    // A bext chunk of version 0 would claim to have no UMID.
    if (BEXT.Have() && ReadLE16(BEXT.Fixed.data() + 346) == 0) WriteLE16(BEXT.Fixed.data() + 346, 1);
    fixed("bext", BEXT);
    if (CART.Have() && CART.Fixed.compare(0, 4, std::string(4, '\0')) == 0) CART.Fixed.replace(0, 4, "0101");
    fixed("cart", CART);
    return out;
}

}  // namespace tags

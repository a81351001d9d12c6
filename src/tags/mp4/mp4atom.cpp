// Items of the MP4 item list and their data, and the typed accessors of
// TMP4Tag. Loading and saving live in mp4load.cpp and mp4save.cpp.
#include <algorithm>
#include <cstdio>

#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/id3v1/id3v1library.h"
#include "tags/mp4/mp4taglibrary.h"

namespace tags {

namespace {

std::string Atom(const std::string& type, const std::string& content) {
    std::string out;
    AppendBE32(out, static_cast<uint32_t>(8 + content.size()));
    return out + type + content;
}

std::string ValidUtf8(const std::string& s) {
    if (common::isValidUtf8(s)) return s;
    std::string out;
    for (size_t pos = 0; pos < s.size();) common::appendUtf8(out, common::decodeUtf8(s, pos));
    return out;
}

struct MediaType {
    int number;
    const char* name;
};
constexpr MediaType kMediaTypes[] = {{9, "Movie"},       {0, "Movie"},    {1, "Music"},    {2, "Audiobook"},
                                     {6, "Music Video"}, {10, "TV Show"}, {11, "Booklet"}, {14, "Ringtone"}};

constexpr uint32_t kFirstStoreFront = 143441;
constexpr const char* kCountries[] = {
    "United States", "France",  "Germany",     "United Kingdom", "Austria",     "Belgium", "Finland", "Greece",
    "Ireland",       "Italy",   "Luxembourg",  "Netherlands",    "Portugal",    "Spain",   "Canada",  "Sweden",
    "Norway",        "Denmark", "Switzerland", "Australia",      "New Zealand", "Japan"};

}  // namespace

std::string MP4GenreName(int Number) {
    return Number >= 1 && Number <= static_cast<int>(ID3v1Genres.size())
               ? std::string(ID3v1Genres[static_cast<size_t>(Number - 1)])
               : std::string();
}

int MP4GenreNumber(const std::string& Genre) {
    for (size_t i = 0; i < ID3v1Genres.size(); ++i)
        if (common::equalsNoCase(ID3v1Genres[i], Genre)) return static_cast<int>(i + 1);
    return 0;
}

// --- data ------------------------------------------------------------------------

std::string TMP4AtomData::GetText() const {
    const std::string& b = Data.Bytes();
    switch (DataType) {
    case mp4dtUTF8: return ValidUtf8(b);
    case mp4dtUTF16: return common::utf16beToUtf8(b);
    case mp4dtImplicit:
    case mp4dtInteger:
    case 22: {  // unsigned
        uint64_t v = 0;
        if (!GetInteger(v)) return {};
        // Signed values are sign-extended from their width.
        if (DataType == mp4dtInteger && b.size() < 8 && b.size() != 6 && (static_cast<uint8_t>(b[0]) & 0x80))
            return std::to_string(static_cast<int64_t>(v) - (int64_t(1) << (8 * b.size())));
        return std::to_string(v);
    }
    default: return {};
    }
}

void TMP4AtomData::SetText(const std::string& Text) {
    Data.Bytes() = Text;
    DataType = mp4dtUTF8;
}

bool TMP4AtomData::GetInteger(uint64_t& Value) const {
    const std::string& b = Data.Bytes();
    switch (b.size()) {
    case 1: Value = static_cast<uint8_t>(b[0]); return true;
    case 2: Value = ReadBE16(b.data()); return true;
    case 4: Value = ReadBE32(b.data()); return true;
    case 6: Value = uint64_t(ReadBE16(b.data())) << 32 | ReadBE32(b.data() + 2); return true;
    case 8: Value = ReadBE64(b.data()); return true;
    default: return false;
    }
}

void TMP4AtomData::SetInteger(uint64_t Value, int Bytes, uint32_t Type) {
    std::string& b = Data.Bytes();
    b.assign(static_cast<size_t>(Bytes), '\0');
    for (int i = Bytes - 1; i >= 0; --i, Value >>= 8) b[static_cast<size_t>(i)] = static_cast<char>(Value & 0xFF);
    DataType = Type;
}

bool TMP4AtomData::GetList(std::vector<std::string>& List) const {
    List.clear();
    const std::string& b = Data.Bytes();
    std::vector<std::string> strings;
    for (size_t pos = 0; pos < b.size();) {
        size_t end = b.find(std::string("\0\0", 2), pos);
        if (end == std::string::npos) end = b.size();
        strings.push_back(ValidUtf8(b.substr(pos, end - pos)));
        pos = end + 2;
    }
    for (size_t i = 0; i + 1 < strings.size(); i += 2) List.push_back(strings[i] + "=" + strings[i + 1]);
    return !List.empty();
}

void TMP4AtomData::SetList(const std::vector<std::string>& List) {
    std::string b;
    for (const std::string& line : List) {
        size_t eq = line.find('=');
        b += line.substr(0, eq) + std::string("\0\0", 2);
        b += (eq == std::string::npos ? std::string() : line.substr(eq + 1)) + std::string("\0\0", 2);
    }
    Data.Bytes() = std::move(b);
    DataType = mp4dtUTF8;
}

void TMP4AtomData::Assign(const TMP4AtomData& Source) {
    Data.Bytes() = Source.Data.Bytes();
    DataType = Source.DataType;
    Reserved = Source.Reserved;
}

// --- items ------------------------------------------------------------------------

TMP4AtomData* TMP4Atom::AddData() {
    Datas.push_back(std::make_unique<TMP4AtomData>(this));
    return Datas.back().get();
}

std::string TMP4Atom::GetText() const {
    if (Datas.empty()) return {};
    const std::string& b = Datas[0]->Data.Bytes();
    if ((ID == "trkn" || ID == "disk") && b.size() >= 6) {
        uint16_t number = ReadBE16(b.data() + 2), total = ReadBE16(b.data() + 4);
        return total ? std::to_string(number) + "/" + std::to_string(total) : std::to_string(number);
    }
    if (ID == "gnre") {
        uint64_t n = 0;
        return Datas[0]->GetInteger(n) ? MP4GenreName(static_cast<int>(n)) : std::string();
    }
    return Datas[0]->GetText();
}

void TMP4Atom::SetText(const std::string& Text) {
    Datas.clear();
    AddData()->SetText(Text);
}

bool TMP4Atom::GetList(std::vector<std::string>& List) const {
    List.clear();
    return !Datas.empty() && Datas[0]->GetList(List);
}

void TMP4Atom::SetList(const std::vector<std::string>& List) {
    Datas.clear();
    AddData()->SetList(List);
}

bool TMP4Atom::GetInteger(uint64_t& Value) const { return !Datas.empty() && Datas[0]->GetInteger(Value); }

void TMP4Atom::SetInteger(uint64_t Value, int Bytes, uint32_t Type) {
    Datas.clear();
    AddData()->SetInteger(Value, Bytes, Type);
}

void TMP4Atom::Clear() {
    mean.clear();
    name.clear();
    Datas.clear();
}

void TMP4Atom::Assign(const TMP4Atom& Source) {
    Clear();
    ID = Source.ID;
    Size = Source.Size;
    mean = Source.mean;
    name = Source.name;
    Flags = Source.Flags;
    for (const auto& d : Source.Datas) AddData()->Assign(*d);
    FRaw = Source.FRaw;
    FBuilt = Source.FBuilt;
}

std::string TMP4Atom::Build() const {
    std::string content;
    auto text = [](const std::string& s) { return std::string(4, '\0') + s; };
    if (!mean.empty()) content += Atom("mean", text(mean));
    if (!name.empty()) content += Atom("name", text(name));
    for (const auto& d : Datas) {
        std::string payload;
        AppendBE32(payload, d->DataType);
        AppendBE32(payload, d->Reserved);
        content += Atom("data", payload + d->Data.Bytes());
    }
    std::string id = ID;
    id.resize(4, ' ');
    return Atom(id, content);
}

std::string TMP4Atom::Write() const {
    std::string built = Build();
    return !FRaw.empty() && built == FBuilt ? FRaw : built;
}

bool TMP4Atom::Delete() {
    if (!Parent) return false;
    auto& list = Parent->Atoms;
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& p) { return p.get() == this; });
    if (it == list.end()) return false;
    list.erase(it);  // destroys this object
    return true;
}

// --- Xtra ---------------------------------------------------------------------------

std::string TMP4XtraProperty::GetText() const {
    switch (PropType) {
    case 8: {
        std::string text = common::utf16leToUtf8(Data.substr(0, Data.size() & ~size_t(1)));
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    case 19: {
        uint64_t v = 0;
        for (size_t i = Data.size(); i-- > 0;) v = v << 8 | static_cast<uint8_t>(Data[i]);
        return Data.size() <= 8 ? std::to_string(v) : std::string();
    }
    case 72: {
        if (Data.size() != 16) return {};
        const auto* g = reinterpret_cast<const uint8_t*>(Data.data());
        char buf[40];
        std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", ReadLE32(g),
                      ReadLE16(g + 4), ReadLE16(g + 6), g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
        return buf;
    }
    default: return std::to_string(Data.size()) + " bytes";
    }
}

std::string TMP4Xtra::GetText(bool MultipleValues) const {
    std::string out;
    for (const TMP4XtraProperty& p : Properties) {
        if (!out.empty()) out += "; ";
        out += p.GetText();
        if (!MultipleValues) break;
    }
    return out;
}

// --- the tag's items ------------------------------------------------------------------

TMP4Tag::TMP4Tag() { Clear(); }

TMP4Atom* TMP4Tag::AddAtom(const std::string& Name) {
    Atoms.push_back(std::make_unique<TMP4Atom>(this));
    Atoms.back()->ID = Name;
    return Atoms.back().get();
}

TMP4Atom* TMP4Tag::FindAtom(const std::string& Name) const {
    for (const auto& a : Atoms)
        if (a->ID == Name) return a.get();
    return nullptr;
}

TMP4Atom* TMP4Tag::FindAtomCommon(const std::string& Name, const std::string& Mean) const {
    for (const auto& a : Atoms)
        if (a->ID == "----" && a->name == Name && a->mean == Mean) return a.get();
    return nullptr;
}

bool TMP4Tag::DeleteAtom(int Index) {
    if (Index < 0 || Index >= Count()) return false;
    Atoms.erase(Atoms.begin() + Index);
    return true;
}

int TMP4Tag::DeleteAllAtoms(const std::string& Name) {
    size_t before = Atoms.size();
    Atoms.erase(std::remove_if(Atoms.begin(), Atoms.end(), [&](const auto& a) { return a->ID == Name; }), Atoms.end());
    return static_cast<int>(before - Atoms.size());
}

bool TMP4Tag::DeleteAtomCommon(const std::string& Name, const std::string& Mean) {
    size_t before = Atoms.size();
    Atoms.erase(std::remove_if(Atoms.begin(), Atoms.end(),
                               [&](const auto& a) { return a->ID == "----" && a->name == Name && a->mean == Mean; }),
                Atoms.end());
    return Atoms.size() != before;
}

int TMP4Tag::CoverArtCount() const {
    int n = 0;
    for (const auto& a : Atoms)
        if (a->ID == "covr") n += a->Count();
    return n;
}

int64_t TMP4Tag::CalculateSize() const { return static_cast<int64_t>(BuildIlst().size()); }

std::string TMP4Tag::GetText(const std::string& Name) const {
    const TMP4Atom* a = FindAtom(Name);
    return a ? a->GetText() : std::string();
}

void TMP4Tag::SetText(const std::string& Name, const std::string& Text) {
    SetMultipleValues(Name, Text.empty() ? std::vector<std::string>{} : std::vector<std::string>{Text});
}

std::vector<std::string> TMP4Tag::GetMultipleValues(const std::string& Name) const {
    std::vector<std::string> values;
    for (const auto& a : Atoms)
        if (a->ID == Name)
            for (const auto& d : a->Datas) values.push_back(d->GetText());
    return values;
}

void TMP4Tag::SetMultipleValues(const std::string& Name, const std::vector<std::string>& Values) {
    TMP4Atom* a = FindAtom(Name);
    if (Values.empty()) {
        DeleteAllAtoms(Name);
        return;
    }
    if (!a) a = AddAtom(Name);
    a->Datas.clear();
    for (const std::string& v : Values) a->AddData()->SetText(v);
}

bool TMP4Tag::GetInteger(const std::string& Name, uint64_t& Value) const {
    const TMP4Atom* a = FindAtom(Name);
    return a && a->GetInteger(Value);
}

void TMP4Tag::SetInteger(const std::string& Name, uint64_t Value, int Bytes) {
    TMP4Atom* a = FindAtom(Name);
    (a ? a : AddAtom(Name))->SetInteger(Value, Bytes);
}

bool TMP4Tag::GetBool(const std::string& Name) const {
    uint64_t v = 0;
    return GetInteger(Name, v) && v != 0;
}

void TMP4Tag::SetBool(const std::string& Name, bool Value) { SetInteger(Name, Value ? 1 : 0, 1); }

std::string TMP4Tag::GetCommon(const std::string& Name, const std::string& Mean) const {
    const TMP4Atom* a = FindAtomCommon(Name, Mean);
    return a ? a->GetText() : std::string();
}

void TMP4Tag::SetCommon(const std::string& Name, const std::vector<std::string>& Values, const std::string& Mean) {
    TMP4Atom* a = FindAtomCommon(Name, Mean);
    if (Values.empty()) {
        DeleteAtomCommon(Name, Mean);
        return;
    }
    if (!a) {
        a = AddAtom("----");
        a->mean = Mean;
        a->name = Name;
    }
    a->Datas.clear();
    for (const std::string& v : Values) a->AddData()->SetText(v);
}

namespace {
// The two numbers of "trkn" (8 bytes) and "disk" (6 bytes).
uint16_t NumberPart(const TMP4Tag& tag, const char* name, int part) {
    const TMP4Atom* a = tag.FindAtom(name);
    if (!a || a->Datas.empty() || a->Datas[0]->Data.GetSizeConst() < 6) return 0;
    return ReadBE16(a->Datas[0]->Data.Bytes().data() + 2 + 2 * part);
}

void SetNumbers(TMP4Tag& tag, const char* name, uint16_t number, uint16_t total, int bytes) {
    if (number == 0 && total == 0) {
        tag.DeleteAllAtoms(name);
        return;
    }
    TMP4Atom* a = tag.FindAtom(name);
    if (!a) a = tag.AddAtom(name);
    a->Datas.clear();
    TMP4AtomData* d = a->AddData();
    std::string b(static_cast<size_t>(bytes), '\0');
    WriteBE16(b.data() + 2, number);
    WriteBE16(b.data() + 4, total);
    d->Data.Bytes() = std::move(b);
    d->DataType = mp4dtImplicit;
}
}  // namespace

uint16_t TMP4Tag::GetTrack() const { return NumberPart(*this, "trkn", 0); }
uint16_t TMP4Tag::GetTotalTracks() const { return NumberPart(*this, "trkn", 1); }
void TMP4Tag::SetTrack(uint16_t Track, uint16_t Total) { SetNumbers(*this, "trkn", Track, Total, 8); }
uint16_t TMP4Tag::GetDisc() const { return NumberPart(*this, "disk", 0); }
uint16_t TMP4Tag::GetTotalDiscs() const { return NumberPart(*this, "disk", 1); }
void TMP4Tag::SetDisc(uint16_t Disc, uint16_t Total) { SetNumbers(*this, "disk", Disc, Total, 6); }

std::string TMP4Tag::GetGenre() const {
    std::string genre = GetText("gnre");
    return genre.empty() ? GetText("\xA9gen") : genre;
}

void TMP4Tag::SetGenre(const std::string& Genre) {
    DeleteAllAtoms("gnre");
    DeleteAllAtoms("\xA9gen");
    if (Genre.empty()) return;
    if (int n = MP4GenreNumber(Genre)) {
        AddAtom("gnre")->SetInteger(static_cast<uint64_t>(n), 2, mp4dtImplicit);
    } else {
        AddAtom("\xA9gen")->SetText(Genre);
    }
}

std::string TMP4Tag::GetMediaType() const {
    uint64_t v = 0;
    if (!GetInteger("stik", v)) return {};
    for (const MediaType& m : kMediaTypes)
        if (static_cast<uint64_t>(m.number) == v) return m.name;
    return {};
}

bool TMP4Tag::SetMediaType(const std::string& Type) {
    for (const MediaType& m : kMediaTypes) {
        if (!common::equalsNoCase(m.name, Type)) continue;
        SetInteger("stik", static_cast<uint64_t>(m.number), 1);
        return true;
    }
    return false;
}

std::string TMP4Tag::GetPurchaseCountry() const {
    uint64_t v = 0;
    if (!GetInteger("sfID", v) || v < kFirstStoreFront || v >= kFirstStoreFront + std::size(kCountries)) return {};
    return kCountries[v - kFirstStoreFront];
}

bool TMP4Tag::SetPurchaseCountry(const std::string& Country) {
    for (size_t i = 0; i < std::size(kCountries); ++i) {
        if (!common::equalsNoCase(kCountries[i], Country)) continue;
        SetInteger("sfID", kFirstStoreFront + i, 4);
        return true;
    }
    return false;
}

void TMP4Tag::DeleteAllCoverArts() { DeleteAllAtoms("covr"); }

// The type tells readers the image format: JPEG, PNG, BMP or GIF by its
// first bytes, JPEG for anything else.
void TMP4Tag::AddCoverArt(const std::string& Picture) {
    TMP4Atom* a = FindAtom("covr");
    if (!a) a = AddAtom("covr");
    TMP4AtomData* d = a->AddData();
    d->Data.Bytes() = Picture;
    auto starts = [&](std::string_view magic) { return Picture.compare(0, magic.size(), magic) == 0; };
    d->DataType = starts("\x89PNG") ? mp4dtPNG : starts("BM") ? mp4dtBMP : starts("GIF8") ? mp4dtGIF : mp4dtJPEG;
}

const TMP4Xtra* TMP4Tag::FindAtomXtra(const std::string& FieldName) const {
    for (const auto& x : Xtras)
        if (x->Name == FieldName) return x.get();
    return nullptr;
}

std::string TMP4Tag::GetTextXtra(const std::string& FieldName, bool MultipleValues) const {
    const TMP4Xtra* x = FindAtomXtra(FieldName);
    return x ? x->GetText(MultipleValues) : std::string();
}

bool TMP4Tag::DeleteXtra(int Index) {
    if (Index < 0 || Index >= XtraCount()) return false;
    Xtras.erase(Xtras.begin() + Index);
    return true;
}

void TMP4Tag::Assign(const TMP4Tag& Source) {
    if (&Source == this) return;
    Clear();
    FileName = Source.FileName;
    Version = Source.Version;
    Flags = Source.Flags;
    for (const auto& a : Source.Atoms) AddAtom(a->ID)->Assign(*a);
    for (const auto& x : Source.Xtras) Xtras.push_back(std::make_unique<TMP4Xtra>(*x));
    FXtraRaw = Source.FXtraRaw;
    FXtraBuilt = Source.FXtraBuilt;
    FValid = Source.FValid;
    FLoaded = Source.FLoaded;
    FFileSize = Source.FFileSize;
    FAtommdatPosition = Source.FAtommdatPosition;
    FAtommdatSize = Source.FAtommdatSize;
    FAtommoovPosition = Source.FAtommoovPosition;
    FAtommoovSize = Source.FAtommoovSize;
    FPlaytime = Source.FPlaytime;
    FAudioChannelCount = Source.FAudioChannelCount;
    FAudioResolution = Source.FAudioResolution;
    FAudioSampleRate = Source.FAudioSampleRate;
    FBitRate = Source.FBitRate;
    FVideoWidth = Source.FVideoWidth;
    FVideoHeight = Source.FVideoHeight;
    FAudioFormat = Source.FAudioFormat;
    FTrackCount = Source.FTrackCount;
    FFragmented = Source.FFragmented;
}

void TMP4Tag::MergeTags(const TMP4Tag& Source, TMP4MergeMode MergeMode) {
    if (&Source == this) return;
    for (const auto& a : Source.Atoms) {
        TMP4Atom* mine = a->ID == "----" ? FindAtomCommon(a->name, a->mean) : FindAtom(a->ID);
        if (mine && MergeMode == mp4mmKeepOriginal) continue;
        (mine ? mine : AddAtom(a->ID))->Assign(*a);
    }
    for (const auto& x : Source.Xtras) {
        auto mine = std::find_if(Xtras.begin(), Xtras.end(), [&](const auto& m) { return m->Name == x->Name; });
        if (mine == Xtras.end()) Xtras.push_back(std::make_unique<TMP4Xtra>(*x));
        else if (MergeMode == mp4mmReplace) **mine = *x;
    }
}

void TMP4Tag::ReSetAlreadyParsedState() {
    for (auto& a : Atoms) {
        a->AlreadyParsed = false;
        for (auto& d : a->Datas) d->AlreadyParsed = false;
    }
}

}  // namespace tags

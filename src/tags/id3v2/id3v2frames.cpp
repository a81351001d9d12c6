// The frame list: adding, finding, deleting, reading and writing frames.
#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "tags/id3v2/id3v2bytes.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/id3v2/id3v2text.h"

namespace tags {

using namespace id3v2;

namespace {

constexpr size_t kFrameListCapacity = 1024;

struct IdPair {
    const char* v2;
    const char* v3;
};
constexpr IdPair kV2ToV3[] = {
    {"PIC", "APIC"}, {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"GP1", "GRP1"}, {"IPL", "TIPL"}, {"LNK", "LINK"}, {"MCI", "MCDI"},
    {"MLL", "MLLT"}, {"MVI", "MVIN"}, {"MVN", "MVNM"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"},
    {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCP", "TCMP"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
    {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
    {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"},
    {"TRK", "TRCK"}, {"TRN", "TRSN"}, {"TRO", "TRSO"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"},
    {"TSI", "TSIZ"}, {"TSP", "TSOP"}, {"TSS", "TSSE"}, {"TST", "TSOT"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
    {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
    {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"},
};

// Chapter and table-of-contents frames get their own classes; every other
// identifier is a plain byte block.
std::unique_ptr<TID3v2Frame> CreateFrame(const TFrameID&, TID3v2Frames* parent) {
    return std::make_unique<TID3v2Frame>(parent);
}

bool SameID(const TFrameID& a, std::string_view b) { return a == FrameIDFromString(b); }

// How many bytes RemoveUnsync would drop.
uint64_t UnsyncRemovedCount(std::string_view data) {
    uint64_t n = 0;
    bool afterFF = false;
    for (char c : data) {
        if (afterFF && c == 0) {
            ++n;
            afterFF = false;
            continue;
        }
        afterFF = static_cast<uint8_t>(c) == 0xFF;
    }
    return n;
}

}  // namespace

TID3v2Frames::TID3v2Frames(TID3v2Tag* root) : Root(root) { Frames.reserve(kFrameListCapacity); }
TID3v2Frames::~TID3v2Frames() = default;

TID3v2Frame* TID3v2Frames::Frame(int64_t index) const {
    return index >= 0 && index < FrameCount() ? Frames[static_cast<size_t>(index)].get() : nullptr;
}

int TID3v2Frames::MajorVersion() const { return Root ? Root->MajorVersion : 3; }

void TID3v2Frames::Clear() { DeleteAllFrames(); }

void TID3v2Frames::DeleteAllFrames() {
    Frames.clear();
    Frames.shrink_to_fit();
    Frames.reserve(kFrameListCapacity);
}

int64_t TID3v2Frames::AddFrame(const TFrameID& FrameID) {
    auto frame = CreateFrame(FrameID, this);
    frame->ID = FrameID;
    Frames.push_back(std::move(frame));
    return FrameCount() - 1;
}

int64_t TID3v2Frames::AddFrame(std::string_view FrameID) { return AddFrame(FrameIDFromString(FrameID)); }

TID3v2Frame* TID3v2Frames::AddFrameEx(std::string_view FrameID) { return Frame(AddFrame(FrameID)); }

bool TID3v2Frames::DeleteFrame(int64_t FrameIndex) {
    if (!Frame(FrameIndex)) return false;
    Frames.erase(Frames.begin() + FrameIndex);
    return true;
}

bool TID3v2Frames::DeleteFrame(const TFrameID& FrameID) { return DeleteFrame(FrameExists(FrameID)); }
bool TID3v2Frames::DeleteFrame(std::string_view FrameID) { return DeleteFrame(FrameExists(FrameID)); }

int64_t TID3v2Frames::FrameExists(const TFrameID& FrameID) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (Frames[i]->ID == FrameID) return static_cast<int64_t>(i);
    return -1;
}

int64_t TID3v2Frames::FrameExists(std::string_view FrameID) const { return FrameExists(FrameIDFromString(FrameID)); }

int64_t TID3v2Frames::FrameTypeCount(std::string_view FrameID) const {
    TFrameID id = FrameIDFromString(FrameID);
    return std::count_if(Frames.begin(), Frames.end(), [&](const auto& f) { return f->ID == id; });
}

void TID3v2Frames::DeleteAllCoverArts() {
    TFrameID apic = FrameIDFromString("APIC");
    std::erase_if(Frames, [&](const auto& f) { return f->ID == apic; });
}

void TID3v2Frames::AssignFrames(const TID3v2Frames& Source) {
    if (&Source == this) return;
    DeleteAllFrames();
    for (const auto& src : Source.Frames) {
        auto frame = CreateFrame(src->ID, this);
        frame->Assign(src.get());
        Frames.push_back(std::move(frame));
    }
}

int64_t TID3v2Frames::IndexFor(std::string_view FrameID, bool create) {
    int64_t i = FrameExists(FrameID);
    return i < 0 && create ? AddFrame(FrameID) : i;
}

TID3v2Frame* TID3v2Frames::Writable(int64_t FrameIndex) {
    TID3v2Frame* f = Frame(FrameIndex);
    if (!f) return nullptr;
    f->Stream.Clear();
    f->FDataSkipped = false;
    return f;
}

// --- reading ------------------------------------------------------------------

bool TID3v2Frames::LoadFrame(TStream& Stream) {
    if (!Root) return false;
    const int version = MajorVersion();
    const size_t idLen = version == 2 ? 3 : 4;
    const size_t headerLen = version == 2 ? 6 : 10;
    uint8_t h[10]{};
    if (!Stream.ReadBuffer(h, static_cast<int64_t>(headerLen))) return false;
    TFrameID id{};
    std::memcpy(id.data(), h, idLen);
    if (!ValidFrameID(id, static_cast<int>(idLen))) return false;

    int64_t index = AddFrame(id);
    TID3v2Frame& f = *Frames[static_cast<size_t>(index)];
    bool& error = Root->FError;
    if (version == 2) {
        f.Size = ReadBE24(h + 3);
    } else {
        f.Size = version == 3 ? ReadBE32(h + 4) : ReadSynchsafe(h + 4);
        f.Flags = ReadBE16(h + 8);
        if (version == 3) f.DecodeFlags3();
        else f.DecodeFlags4();
    }

    // A size beyond the tag, or beyond what is left of it, is a lie: keep the
    // frames read so far and stop.
    int64_t pos = Stream.Position();
    int64_t end = Stream.Size();
    if (FLoadLimit >= 0) end = std::min(end, FLoadLimit);
    if (f.Size > Root->Size || pos < 0 || static_cast<int64_t>(f.Size) > end - pos) {
        error = true;
        f.Size = 0;
        return false;
    }
    if (f.Size == 0) return true;

    if (version == 2 || version == 3) {
        // The whole tag body was freed of unsynchronisation before the frames
        // were read (see TID3v2Tag::LoadTagFromStream).
        f.FWasUnsynchronised = Root->Unsynchronised;
        f.Unsynchronised = false;
    }
    auto take = [&](uint32_t n, uint8_t* out) {
        if (f.Size < n || !Stream.ReadBuffer(out, n)) return false;
        f.Size -= n;
        return true;
    };
    uint8_t extra[4];
    bool ok = true;
    if (version == 3) {
        if (f.Compressed) {
            ok = ok && take(4, extra);
            f.DataLengthIndicatorValue = ReadBE32(extra);
            f.DataLengthIndicator = true;
        }
        if (ok && f.Encrypted) ok = take(1, &f.EncryptionMethod);
        if (ok && f.GroupingIdentity) ok = take(1, &f.GroupIdentifier);
    } else if (version == 4) {
        if (f.GroupingIdentity) ok = take(1, &f.GroupIdentifier);
        if (ok && f.Encrypted) ok = take(1, &f.EncryptionMethod);
        if (ok && f.DataLengthIndicator) {
            ok = take(4, extra);
            f.DataLengthIndicatorValue = ReadSynchsafe(extra);
        }
    }
    if (!ok) {
        error = true;
        f.Size = 0;
        return false;
    }

    bool picture = SameID(id, "APIC") || (version == 2 && SameID(id, "PIC"));
    if (picture && !Root->ParseCoverArts) {
        Stream.Seek(f.Size, TSeekOrigin::soCurrent);
        f.FDataSkipped = true;
    } else if (!Stream.ReadBytes(f.Data(), f.Size)) {
        error = true;
        f.Stream.Clear();
        return false;
    }
    f.Stream.Seek(0, TSeekOrigin::soBeginning);

    if (version == 2) Convertv2Tov3(index);
    if (auto* withSub = dynamic_cast<TID3v2FrameWithSubFrames*>(&f)) withSub->Parse();
    return !error;
}

bool TID3v2Frames::LoadFrameData(TStream& Stream, int64_t FrameIndex) {
    TID3v2Frame* f = Frame(FrameIndex);
    if (!f) return false;
    return Stream.ReadBytes(f->Data(), f->Size);
}

bool TID3v2Frames::Convertv2Tov3(int64_t FrameIndex) {
    TID3v2Frame* f = Frame(FrameIndex);
    if (!f) return false;
    std::string id = f->IDString();
    for (const auto& p : kV2ToV3) {
        if (id == p.v2) {
            f->ID = FrameIDFromString(p.v3);
            if (id == "PIC") Convertv2PICtoAPIC(FrameIndex);
            return true;
        }
    }
    return false;
}

bool TID3v2Frames::Convertv2PICtoAPIC(int64_t FrameIndex) {
    TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    std::string format, description;
    r.ReadRaw(3, format);
    std::erase(format, '\0');
    uint8_t type = 0;
    r.ReadByte(type);
    r.ReadString(description);
    TMemoryStream picture(r.Rest());
    format = common::asciiUpper(format);
    std::string mime = format == "JPG"   ? "image/jpeg"
                       : format == "PNG" ? "image/png"
                       : format == "GIF" ? "image/gif"
                       : format == "BMP" ? "image/bmp"
                                         : format;
    return SetCoverPictureFromStream(FrameIndex, description, picture, mime, type);
}

TID3v2FrameErrors TID3v2Frames::CheckValidFrame(int64_t FrameIndex) const {
    TID3v2FrameErrors errors;
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f) return errors;
    const int version = MajorVersion();
    const uint64_t size = f->Data().size();
    if (version == 2) {
        if (size >= 16777216) errors.Include(id3v2feContentToLarge);
        if (f->Size > 0xFFFFFF) errors.Include(id3v2feSizeSpecifiedToLarge);
    } else {
        if (!ValidFrameID(f->ID, 4)) errors.Include(id3v2feInvalidFrameID);
        if (version == 3 || version == 4) {
            if (f->Flags & (version == 3 ? 0x1F1F : 0x8FB0)) errors.Include(id3v2feInvalidFlags);
            if (size > 0x0FFFFFFF) errors.Include(id3v2feContentToLarge);
            if (f->Size > 0x0FFFFFFF) errors.Include(id3v2feSizeSpecifiedToLarge);
        }
    }
    if (f->ID[0] == 'T' && !f->Data().empty() && static_cast<uint8_t>(f->Data()[0]) > 3)
        errors.Include(id3v2feInvalidTextEncoding);
    if (f->Data().empty()) errors.Include(id3v2feNoContent);
    return errors;
}

void TID3v2Frames::SetAllFrameDataStreams() {
    for (auto& f : Frames) {
        if (auto* withSub = dynamic_cast<TID3v2FrameWithSubFrames*>(f.get())) {
            withSub->SubFrames->SetAllFrameDataStreams();
            withSub->SetData();
        }
    }
}

// --- writing ------------------------------------------------------------------

uint64_t TID3v2Frames::DataSizeToWrite(const TID3v2Frame& f) const {
    uint64_t size = f.Data().size();
    if (MajorVersion() != 4 && f.Unsynchronised) size -= UnsyncRemovedCount(f.Data());
    return size;
}

uint32_t TID3v2Frames::FullFrameSize(uint32_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f) return 0;
    uint64_t size = DataSizeToWrite(*f);
    const int version = MajorVersion();
    if (version == 4) {
        size += (f->Encrypted ? 1 : 0) + (f->GroupingIdentity ? 1 : 0) + (f->DataLengthIndicator ? 4 : 0);
    } else if (version == 3) {
        // The 4-byte decompressed size belongs to compression alone in this
        // layout; a data-length flag kept from a newer tag adds nothing.
        size += (f->Compressed ? 4 : 0) + (f->Encrypted ? 1 : 0) + (f->GroupingIdentity ? 1 : 0);
    }
    return static_cast<uint32_t>(std::min<uint64_t>(size, 0xFFFFFFFF));
}

bool TID3v2Frames::WriteFrameTo(TStream& Stream, TID3v2Frame& f) {
    const int version = MajorVersion() == 4 ? 4 : 3;
    uint32_t full = FullFrameSize(static_cast<uint32_t>(f.Index()));
    if (version == 4 && full > 0x0FFFFFFF) return false;
    std::string header(reinterpret_cast<const char*>(f.ID.data()), 4);
    if (version == 3) {
        AppendBE32(header, full);
        f.EncodeFlags3();
        AppendBE16(header, f.Flags);
        if (f.Compressed) AppendBE32(header, f.DataLengthIndicatorValue);
        if (f.Encrypted) header.push_back(static_cast<char>(f.EncryptionMethod));
        if (f.GroupingIdentity) header.push_back(static_cast<char>(f.GroupIdentifier));
    } else {
        AppendSynchsafe(header, full);
        f.EncodeFlags4();
        AppendBE16(header, f.Flags);
        if (f.GroupingIdentity) header.push_back(static_cast<char>(f.GroupIdentifier));
        if (f.Encrypted) header.push_back(static_cast<char>(f.EncryptionMethod));
        if (f.DataLengthIndicator) AppendSynchsafe(header, f.DataLengthIndicatorValue);
    }
    if (!Stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()))) return false;
    if (version == 3 && f.Unsynchronised) {
        std::string plain = RemoveUnsync(f.Data());
        return Stream.WriteBuffer(plain.data(), static_cast<int64_t>(plain.size()));
    }
    return Stream.WriteBuffer(f.Data().data(), static_cast<int64_t>(f.Data().size()));
}

int TID3v2Frames::WriteAllFrames(TStream& Stream) {
    for (auto& f : Frames) {
        if (!ValidFrameID(f->ID, 4) || f->Data().empty()) continue;
        if (!WriteFrameTo(Stream, *f)) return ID3V2LIBRARY_ERROR_WRITING_FILE;
    }
    return ID3V2LIBRARY_SUCCESS;
}

}  // namespace tags

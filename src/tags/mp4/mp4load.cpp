// Reading MP4 files: the top-level walk, the audio properties in moov, the
// item list and the Xtra atom.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/log.h"
#include "tags/core/bufferedstream.h"
#include "tags/core/bytes.h"
#include "tags/mp4/mp4boxes.h"
#include "tags/mp4/mp4taglibrary.h"

namespace tags {

using mp4::TBox;

namespace {

// The children of the atom [begin, end) of a stream, from their headers
// only, as ParseBoxes takes them; false when one is damaged.
bool StreamBoxes(TStream& s, int64_t begin, int64_t end, std::vector<mp4::TTopAtom>& out) {
    out.clear();
    for (int64_t pos = begin; pos < end;) {
        uint8_t h[16];
        if (end - pos == 4 && s.SetPosition(pos) && s.ReadBuffer(h, 4) && ReadBE32(h) == 0) break;
        if (end - pos < 8 || !s.SetPosition(pos) || !s.ReadBuffer(h, 8)) return false;
        mp4::TTopAtom a;
        a.Offset = pos;
        a.Type.assign(reinterpret_cast<const char*>(h + 4), 4);
        uint64_t n = ReadBE32(h);
        if (n == 1) {
            if (end - pos < 16 || !s.ReadBuffer(h + 8, 8)) return false;
            n = ReadBE64(h + 8);
            a.Header = 16;
        }
        if (n < static_cast<uint64_t>(a.Header) || n > static_cast<uint64_t>(end - pos)) return false;
        a.Size = static_cast<int64_t>(n);
        out.push_back(a);
        pos += a.Size;
    }
    return true;
}

// The content of an atom, up to limit bytes of it.
bool Content(TStream& s, const mp4::TTopAtom& a, std::string& out, int64_t limit = INT64_MAX) {
    int64_t n = std::min(a.Size - a.Header, limit);
    return s.SetPosition(a.Offset + a.Header) && s.ReadBytes(out, n);
}

const mp4::TTopAtom* Find(const std::vector<mp4::TTopAtom>& atoms, const char* type) {
    for (const auto& a : atoms)
        if (a.Type == type) return &a;
    return nullptr;
}

// The text of a "mean" or "name" child: after 4 bytes of version and flags.
bool ChildText(const std::string& buf, const TBox& b, std::string& out) {
    if (b.Size - b.Header < 4) return false;
    out = buf.substr(b.ContentBegin() + 4, b.Size - b.Header - 4);
    return true;
}

}  // namespace

void TMP4Tag::Clear() {
    FileName.clear();
    Atoms.clear();
    Atoms.reserve(256);
    Xtras.clear();
    Version = 0;
    Flags = 0;
    FValid = FLoaded = false;
    FFileSize = 0;
    FAtommdatPosition = -1;
    FAtommdatSize = 0;
    FAtommoovPosition = -1;
    FAtommoovSize = 0;
    FPlaytime = 0;
    FAudioChannelCount = 0;
    FAudioResolution = 0;
    FAudioSampleRate = 0;
    FBitRate = 0;
    FVideoWidth = FVideoHeight = 0;
    FAudioFormat = mp4afUnknown;
    FTrackCount = 0;
    FFragmented = false;
    FXtraRaw.clear();
    FXtraBuilt.clear();
}

int TMP4Tag::LoadFromFile(const std::string& Path) {
    Clear();
    auto file = TFileStream::Open(Path, TFileMode::fmOpenRead);
    if (!file) return mp4CannotOpen;
    int result = LoadFromStream(*file, true);
    FileName = Path;
    return result;
}

int TMP4Tag::LoadFromStream(TStream& Stream, bool Buffered) {
    Clear();
    const int64_t pos = Stream.Position();
    int result = mp4ReadError;
    try {
        if (Buffered) {
            TBufferedStream buffered(Stream);
            result = Load(buffered);
        } else {
            result = Load(Stream);
        }
    } catch (...) {
        common::log::caught("tags.mp4", "reading the tag");
        result = mp4ReadError;
    }
    if (result != mp4Success && result != mp4NoTag) {
        // Nothing half-read stays behind to be saved.
        Atoms.clear();
        Xtras.clear();
        FXtraRaw.clear();
        FXtraBuilt.clear();
        FLoaded = false;
    }
    Stream.SetPosition(pos);
    return result;
}

int TMP4Tag::Load(TStream& s) {
    bool damaged = false;
    const std::vector<mp4::TTopAtom> top = mp4::ReadTopLevel(s, damaged);
    if (top.empty() || top[0].Type != "ftyp") return mp4NotMP4;
    FValid = true;
    FFileSize = s.Size();
    const mp4::TTopAtom* moov = nullptr;
    for (const auto& a : top) {
        if (a.Type == "mdat" && FAtommdatPosition < 0) {
            FAtommdatPosition = a.Offset;
            FAtommdatSize = a.Size;
        }
        if (a.Type == "moof") FFragmented = true;
        if (a.Type == "moov" && !moov) moov = &a;
    }
    if (!moov) return mp4NoTag;
    if (moov->Truncated) return mp4ReadError;
    FAtommoovPosition = moov->Offset;
    FAtommoovSize = moov->Size;
    if (!LoadMoov(s, moov->Offset + moov->Header, moov->End())) return mp4ReadError;
    FLoaded = !Atoms.empty() || !Xtras.empty();
    return FLoaded ? mp4Success : mp4NoTag;
}

bool TMP4Tag::LoadMoov(TStream& s, int64_t begin, int64_t end) {
    std::vector<mp4::TTopAtom> children;
    if (!StreamBoxes(s, begin, end, children)) return false;
    double trackSeconds = 0;
    bool udtaSeen = false;
    for (const auto& c : children) {
        if (c.Type == "mvhd") {
            std::string m;
            if (!Content(s, c, m, 32) || m.size() < 20) continue;
            const bool v1 = m[0] == 1 && m.size() >= 32;
            uint32_t scale = ReadBE32(m.data() + (v1 ? 20 : 12));
            uint64_t duration = v1 ? ReadBE64(m.data() + 24) : ReadBE32(m.data() + 16);
            // All ones: the duration is not known.
            if (scale && duration != (v1 ? ~uint64_t(0) : 0xFFFFFFFFu)) FPlaytime = double(duration) / scale;
        } else if (c.Type == "trak") {
            ++FTrackCount;
            if (!ParseMediaAttributes) continue;
            // trak/tkhd, trak/mdia/{mdhd, hdlr, minf/stbl/stsd}
            std::vector<mp4::TTopAtom> trak, mdia, minf, stbl;
            if (!StreamBoxes(s, c.Offset + c.Header, c.End(), trak)) return false;
            if (const auto* tkhd = Find(trak, "tkhd")) {
                std::string t;
                if (Content(s, *tkhd, t, 96)) {
                    size_t at = t.size() > 0 && t[0] == 1 ? 88 : 76;
                    if (t.size() >= at + 8) {
                        uint32_t w = ReadBE16(t.data() + at), h = ReadBE16(t.data() + at + 4);
                        if (w >= FVideoWidth && h >= FVideoHeight) FVideoWidth = w, FVideoHeight = h;
                    }
                }
            }
            const auto* mdiaAtom = Find(trak, "mdia");
            if (!mdiaAtom) continue;
            if (!StreamBoxes(s, mdiaAtom->Offset + mdiaAtom->Header, mdiaAtom->End(), mdia)) return false;
            const auto* minfAtom = Find(mdia, "minf");
            if (!minfAtom || FAudioFormat != mp4afUnknown) continue;
            if (!StreamBoxes(s, minfAtom->Offset + minfAtom->Header, minfAtom->End(), minf)) return false;
            const auto* stblAtom = Find(minf, "stbl");
            if (!stblAtom) continue;
            if (!StreamBoxes(s, stblAtom->Offset + stblAtom->Header, stblAtom->End(), stbl)) return false;
            const auto* stsd = Find(stbl, "stsd");
            std::string d;
            if (!stsd || !Content(s, *stsd, d, 4096) || d.size() < 16 || ReadBE32(d.data() + 4) < 1) continue;
            const std::string entry = d.substr(8, std::min<size_t>(ReadBE32(d.data() + 8), d.size() - 8));
            if (entry.size() < 36) continue;
            const std::string type = entry.substr(4, 4);
            if (type == "mp4a") FAudioFormat = mp4afAAC;
            else if (type == "alac") FAudioFormat = mp4afALAC;
            else if (type == "ac-3") FAudioFormat = mpfafAC3;
            else continue;
            FAudioChannelCount = ReadBE16(entry.data() + 24);
            FAudioResolution = ReadBE16(entry.data() + 26);
            FAudioSampleRate = ReadBE16(entry.data() + 32);
            // 96 kHz does not fit the 16-bit integer part and wraps to 30464.
            if (FAudioSampleRate == 30464) FAudioSampleRate = 96000;
            if (type == "alac") {
                // The decoder configuration knows the true depth, channels and rate.
                size_t first = ReadBE16(entry.data() + 16) == 1 ? 52 : 36;
                std::vector<TBox> inner;
                if (entry.size() > first && mp4::ParseBoxes(entry, first, entry.size(), inner))
                    if (const TBox* alac = mp4::FindBox(inner, "alac"); alac && alac->Size >= alac->Header + 28) {
                        const char* cfg = entry.data() + alac->ContentBegin() + 4;
                        FAudioResolution = static_cast<uint8_t>(cfg[5]);
                        FAudioChannelCount = static_cast<uint8_t>(cfg[9]);
                        FAudioSampleRate = ReadBE32(cfg + 20);
                    }
            }
            if (const auto* mdhd = Find(mdia, "mdhd")) {
                std::string m;
                if (Content(s, *mdhd, m, 32) && m.size() >= 20) {
                    const bool v1 = m[0] == 1 && m.size() >= 32;
                    uint32_t scale = ReadBE32(m.data() + (v1 ? 20 : 12));
                    uint64_t duration = v1 ? ReadBE64(m.data() + 24) : ReadBE32(m.data() + 16);
                    if (scale) trackSeconds = double(duration) / scale;
                }
            }
        } else if (c.Type == "mvex") {
            FFragmented = true;
        } else if (c.Type == "udta" && !udtaSeen) {
            // The first one is the one a save replaces.
            udtaSeen = true;
            std::string udta;
            if (!Content(s, c, udta) || !LoadUdta(udta)) return false;
        }
    }
    // Fragmented files leave the movie's duration at 0.
    if (FPlaytime <= 0) FPlaytime = trackSeconds;
    if (FPlaytime > 0 && FAtommdatSize > 0)
        FBitRate = static_cast<uint32_t>(std::floor(double(FAtommdatSize) / FPlaytime / 125 + 0.5));
    return true;
}

bool TMP4Tag::LoadUdta(const std::string& udta) {
    std::vector<TBox> children;
    if (!mp4::ParseBoxes(udta, 0, udta.size(), children)) return false;
    bool metaSeen = false, xtraSeen = false;
    for (const TBox& c : children) {
        if (c.Type == "meta" && !metaSeen) {
            metaSeen = true;
            // QuickTime writes meta without the version and flags of a full atom.
            size_t first = c.ContentBegin();
            bool full = !(c.Size - c.Header >= 8 && udta.compare(first + 4, 4, "hdlr") == 0);
            if (full) {
                if (c.Size - c.Header < 4) return false;
                Version = static_cast<uint8_t>(udta[first]);
                Flags = ReadBE24(udta.data() + first + 1);
                first += 4;
            }
            std::vector<TBox> meta;
            if (!mp4::ParseBoxes(udta, first, c.End(), meta)) return false;
            if (const TBox* ilst = mp4::FindBox(meta, "ilst"))
                if (!LoadIlst(udta.substr(ilst->ContentBegin(), ilst->Size - ilst->Header))) return false;
        } else if (c.Type == "Xtra" && !xtraSeen) {
            // Kept as read even when not parsed, so that a save writes it back.
            xtraSeen = true;
            FXtraRaw = udta.substr(c.Offset, c.Size);
            if (ParseXtra && !LoadXtra(udta.substr(c.ContentBegin(), c.Size - c.Header))) Xtras.clear();
            FXtraBuilt = BuildXtra();
        }
    }
    return true;
}

bool TMP4Tag::LoadIlst(const std::string& ilst) {
    std::vector<TBox> items;
    if (!mp4::ParseBoxes(ilst, 0, ilst.size(), items)) return false;
    for (const TBox& item : items) {
        std::vector<TBox> children;
        if (!mp4::ParseBoxes(ilst, item.ContentBegin(), item.End(), children)) return false;
        TMP4Atom* a = AddAtom(item.Type);
        a->Size = static_cast<uint32_t>(item.Size);
        for (const TBox& c : children) {
            if (c.Type == "mean" || c.Type == "name") {
                if (!ChildText(ilst, c, c.Type == "mean" ? a->mean : a->name)) return false;
            } else if (c.Type == "data") {
                if (c.Size - c.Header < 8) return false;
                TMP4AtomData* d = a->AddData();
                d->DataType = ReadBE32(ilst.data() + c.ContentBegin());
                d->Reserved = ReadBE32(ilst.data() + c.ContentBegin() + 4);
                d->Data.Bytes() = ilst.substr(c.ContentBegin() + 8, c.Size - c.Header - 8);
            }
        }
        a->FRaw = ilst.substr(item.Offset, item.Size);
        a->FBuilt = a->Build();
    }
    return true;
}

bool TMP4Tag::LoadXtra(const std::string& x) {
    for (size_t pos = 0; pos < x.size();) {
        if (x.size() - pos < 12) return false;
        const size_t fieldSize = ReadBE32(x.data() + pos);
        const size_t nameLength = ReadBE32(x.data() + pos + 4);
        if (fieldSize < 12 || fieldSize > x.size() - pos || nameLength > fieldSize - 12) return false;
        const size_t end = pos + fieldSize;
        auto field = std::make_unique<TMP4Xtra>();
        field->Name = x.substr(pos + 8, nameLength);
        size_t p = pos + 8 + nameLength;
        const uint32_t count = ReadBE32(x.data() + p);
        p += 4;
        for (uint32_t i = 0; i < count; ++i) {
            if (end - p < 6) return false;
            const size_t valueSize = ReadBE32(x.data() + p);
            if (valueSize < 6 || valueSize > end - p) return false;
            TMP4XtraProperty v;
            v.PropType = ReadBE16(x.data() + p + 4);
            v.Data = x.substr(p + 6, valueSize - 6);
            field->Properties.push_back(std::move(v));
            p += valueSize;
        }
        Xtras.push_back(std::move(field));
        pos = end;
    }
    return true;
}

std::string TMP4Tag::BuildIlst() const {
    std::string items;
    for (const auto& a : Atoms) items += a->Write();
    return mp4::MakeBox("ilst", items);
}

// Only values with data are written, and fields without such values are
// left out.
std::string TMP4Tag::BuildXtra() const {
    std::string fields;
    for (const auto& x : Xtras) {
        std::string values;
        uint32_t count = 0;
        for (const TMP4XtraProperty& v : x->Properties) {
            if (v.Data.empty()) continue;
            AppendBE32(values, static_cast<uint32_t>(6 + v.Data.size()));
            AppendBE16(values, v.PropType);
            values += v.Data;
            ++count;
        }
        if (!count) continue;
        std::string field;
        AppendBE32(field, static_cast<uint32_t>(12 + x->Name.size() + values.size()));
        AppendBE32(field, static_cast<uint32_t>(x->Name.size()));
        field += x->Name;
        AppendBE32(field, count);
        fields += field + values;
    }
    return fields.empty() ? std::string() : mp4::MakeBox("Xtra", fields);
}

}  // namespace tags

// Saving the item list: moov is rebuilt around a new udta/meta/ilst. When it
// fits the old moov and the free atoms after it, only that room is
// rewritten; otherwise the file is rewritten through a new file, and when
// data after moov moves, every chunk offset of every track moves with it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "common/files.h"
#include "common/log.h"
#include "tags/core/bytes.h"
#include "tags/core/replacefile.h"
#include "tags/mp4/mp4boxes.h"
#include "tags/mp4/mp4taglibrary.h"

namespace tags {

using mp4::TBox;

struct TMP4Tag::SavePlan {
    bool InPlace = false;
    int64_t Offset = 0;   // of the old moov
    int64_t OldSize = 0;  // the old moov and the free atoms after it: the room replaced
    std::string Moov;     // the new moov, its padding included
};

namespace {

bool IsFree(const std::string& type) { return type == "free" || type == "skip"; }

// Top-level atoms that hold no file offsets, so they may move.
bool Movable(const std::string& type) {
    for (const char* t : {"mdat", "free", "skip", "wide", "uuid", "udta", "pdin"})
        if (type == t) return true;
    return false;
}

// The handler a meta atom of the item list needs: "mdir", "appl".
std::string DefaultHandler() {
    std::string content(8, '\0');
    content += "mdirappl";
    content += std::string(9, '\0');
    return mp4::MakeBox("hdlr", content);
}

std::string Content(const std::string& buf, const TBox& b) { return buf.substr(b.ContentBegin(), b.Size - b.Header); }

struct Parts {
    std::string Ilst, Xtra;
    int64_t Padding = 0;  // a free atom of this size after ilst; 0 for none
};

bool BuildMeta(const std::string* meta, const Parts& p, std::string& out) {
    std::string prefix(4, '\0');  // version and flags of a full atom
    std::vector<TBox> children;
    size_t first = 0;
    if (meta) {
        const bool full = !(meta->size() >= 8 && meta->compare(4, 4, "hdlr") == 0);
        if (full) {
            if (meta->size() < 4) return false;
            prefix = meta->substr(0, 4);
            first = 4;
        } else {
            prefix.clear();
        }
        if (!mp4::ParseBoxes(*meta, first, meta->size(), children)) return false;
    }
    const std::string list = p.Ilst + (p.Padding >= 8 ? mp4::MakeBox("free", std::string(p.Padding - 8, '\0')) : "");
    std::string content = prefix;
    if (!mp4::FindBox(children, "hdlr")) content += DefaultHandler();
    bool listDone = false;
    for (const TBox& c : children) {
        if (IsFree(c.Type)) continue;
        if (c.Type == "ilst" && !listDone) {
            content += list;
            listDone = true;
            continue;
        }
        content += meta->substr(c.Offset, c.Size);
    }
    if (!listDone) content += list;
    out = mp4::MakeBox("meta", content);
    return true;
}

bool BuildUdta(const std::string* udta, const Parts& p, std::string& out) {
    std::vector<TBox> children;
    if (udta && !mp4::ParseBoxes(*udta, 0, udta->size(), children)) return false;
    std::string content;
    // The first meta and Xtra are the ones a load reads; any others stay.
    bool metaDone = false, xtraDone = false;
    for (const TBox& c : children) {
        if (IsFree(c.Type)) continue;
        if (c.Type == "Xtra" && !xtraDone) {
            xtraDone = true;
            continue;
        }
        if (c.Type == "meta" && !metaDone) {
            const std::string meta = Content(*udta, c);
            std::string built;
            if (!BuildMeta(&meta, p, built)) return false;
            content += built + p.Xtra;
            metaDone = true;
            continue;
        }
        content += udta->substr(c.Offset, c.Size);
    }
    if (!metaDone) {
        std::string built;
        BuildMeta(nullptr, p, built);
        content += built + p.Xtra;
    }
    out = mp4::MakeBox("udta", content);
    return true;
}

bool BuildMoov(const std::string& moov, const std::vector<TBox>& children, const Parts& p, std::string& out) {
    std::string content;
    bool udtaDone = false;
    for (const TBox& c : children) {
        if (IsFree(c.Type)) continue;
        if (c.Type == "udta" && !udtaDone) {
            const std::string udta = Content(moov, c);
            std::string built;
            if (!BuildUdta(&udta, p, built)) return false;
            content += built;
            udtaDone = true;
            continue;
        }
        content += moov.substr(c.Offset, c.Size);
    }
    if (!udtaDone) {
        std::string built;
        BuildUdta(nullptr, p, built);
        content += built;
    }
    out = mp4::MakeBox("moov", content);
    return true;
}

// Whether a track's data lies in other files: a data reference without the
// "in this file" flag.
bool ExternalData(const std::string& moov, const TBox& minf) {
    std::vector<TBox> m, dinf;
    if (!mp4::ParseBoxes(moov, minf.ContentBegin(), minf.End(), m)) return false;
    const TBox* d = mp4::FindBox(m, "dinf");
    if (!d || !mp4::ParseBoxes(moov, d->ContentBegin(), d->End(), dinf)) return false;
    const TBox* dref = mp4::FindBox(dinf, "dref");
    if (!dref || dref->Size < dref->Header + 8) return false;
    std::vector<TBox> entries;
    if (!mp4::ParseBoxes(moov, dref->ContentBegin() + 8, dref->End(), entries)) return false;
    for (const TBox& e : entries)
        if (e.Size < e.Header + 4 || (static_cast<uint8_t>(moov[e.ContentBegin() + 3]) & 1) == 0) return true;
    return false;
}

// Checks every chunk offset of every track of the new moov and moves those
// behind the replaced room by delta. room: [roomBegin, roomEnd) of the file.
int MoveChunkOffsets(std::string& moov, int64_t roomBegin, int64_t roomEnd, int64_t delta, int64_t fileSize) {
    std::vector<TBox> top;
    if (!mp4::ParseBoxes(moov, 8, moov.size(), top)) return mp4ReadError;
    for (const TBox& trak : top) {
        if (trak.Type != "trak") continue;
        std::vector<TBox> t, mdia, minf, stbl;
        if (!mp4::ParseBoxes(moov, trak.ContentBegin(), trak.End(), t)) return mp4ReadError;
        const TBox* md = mp4::FindBox(t, "mdia");
        if (!md) continue;
        if (!mp4::ParseBoxes(moov, md->ContentBegin(), md->End(), mdia)) return mp4ReadError;
        const TBox* mi = mp4::FindBox(mdia, "minf");
        if (!mi) continue;
        if (!mp4::ParseBoxes(moov, mi->ContentBegin(), mi->End(), minf)) return mp4ReadError;
        const TBox* st = mp4::FindBox(minf, "stbl");
        if (!st) continue;
        if (!mp4::ParseBoxes(moov, st->ContentBegin(), st->End(), stbl)) return mp4ReadError;
        if (ExternalData(moov, *mi)) {
            if (delta != 0) return mp4DoesNotFit;
            continue;
        }
        for (const TBox& b : stbl) {
            // Offsets of auxiliary sample information point into the file too.
            if (b.Type == "saio" && delta != 0) return mp4DoesNotFit;
            const bool co64 = b.Type == "co64";
            if (b.Type != "stco" && !co64) continue;
            const int failed = co64 ? mp4co64Failed : mp4stcoFailed;
            if (b.Size < b.Header + 8) return failed;
            const size_t width = co64 ? 8 : 4;
            const uint32_t count = ReadBE32(moov.data() + b.ContentBegin() + 4);
            if ((b.Size - b.Header - 8) / width < count) return failed;
            char* entry = moov.data() + b.ContentBegin() + 8;
            for (uint32_t i = 0; i < count; ++i, entry += width) {
                const uint64_t v = co64 ? ReadBE64(entry) : ReadBE32(entry);
                if (v >= static_cast<uint64_t>(fileSize)) return failed;
                if (v < static_cast<uint64_t>(roomBegin)) continue;
                if (v < static_cast<uint64_t>(roomEnd)) return failed;  // into moov itself
                const uint64_t moved = v + static_cast<uint64_t>(delta);
                if (co64) {
                    WriteBE64(entry, moved);
                } else {
                    if (moved > 0xFFFFFFFFu) return failed;
                    WriteBE32(entry, static_cast<uint32_t>(moved));
                }
            }
        }
    }
    return mp4Success;
}

template <typename F>
int WithoutExceptions(F&& f) {
    try {
        return f();
    } catch (...) {
        common::log::caught("tags.mp4", "saving the tag");
        return mp4Error;
    }
}

}  // namespace

int TMP4Tag::MakePlan(TStream& Source, bool KeepPadding, SavePlan& Plan) {
    const int64_t size = Source.Size();
    bool damaged = false;
    const std::vector<mp4::TTopAtom> top = mp4::ReadTopLevel(Source, damaged);
    if (top.empty() || top[0].Type != "ftyp") return mp4NotMP4;
    size_t m = 0;
    while (m < top.size() && top[m].Type != "moov") ++m;
    if (m == top.size() || top[m].Truncated) return mp4ReadError;
    size_t after = m + 1;
    int64_t room = top[m].Size;
    for (; after < top.size() && IsFree(top[after].Type) && !top[after].Truncated; ++after) room += top[after].Size;

    std::string moov;
    if (!Source.SetPosition(top[m].Offset) || !Source.ReadBytes(moov, top[m].Size)) return mp4ReadError;
    std::vector<TBox> children;
    if (!mp4::ParseBoxes(moov, static_cast<size_t>(top[m].Header), moov.size(), children)) return mp4ReadError;

    // An item list we cannot read is not replaced: what it holds may still
    // be readable to others.
    for (const TBox& c : children) {
        TMP4Tag probe;
        probe.ParseXtra = false;
        if (c.Type == "udta" && !probe.LoadUdta(Content(moov, c))) return mp4ReadError;
    }

    Parts parts;
    parts.Ilst = BuildIlst();
    const std::string xtra = BuildXtra();
    parts.Xtra = !FXtraRaw.empty() && xtra == FXtraBuilt ? FXtraRaw : xtra;
    std::string core;
    if (!BuildMoov(moov, children, parts, core)) return mp4ReadError;
    const int64_t coreSize = static_cast<int64_t>(core.size());
    if (KeepPadding && (coreSize == room || coreSize + 8 <= room)) {
        parts.Padding = room - coreSize;
        if (!BuildMoov(moov, children, parts, Plan.Moov)) return mp4ReadError;
        Plan.InPlace = static_cast<int64_t>(Plan.Moov.size()) == room;
    }
    if (!Plan.InPlace) {
        parts.Padding = PaddingToWrite >= 8 ? PaddingToWrite : 0;
        if (!BuildMoov(moov, children, parts, Plan.Moov)) return mp4ReadError;
    }
    const int64_t delta = static_cast<int64_t>(Plan.Moov.size()) - room;
    if (delta != 0) {
        // What follows moves: it must hold no offsets we cannot correct.
        if (damaged) return mp4DoesNotFit;
        for (size_t i = after; i < top.size(); ++i)
            if (!Movable(top[i].Type)) return mp4DoesNotFit;
    }
    const int64_t roomBegin = top[m].Offset;
    if (int r = MoveChunkOffsets(Plan.Moov, roomBegin, roomBegin + room, delta, size); r != mp4Success) return r;
    Plan.Offset = roomBegin;
    Plan.OldSize = room;
    return mp4Success;
}

bool TMP4Tag::WriteRewrite(TStream& Source, TStream& Destination, const SavePlan& Plan) {
    if (!Source.SetPosition(0) || Destination.CopyFrom(Source, Plan.Offset) != Plan.Offset) return false;
    if (!Destination.WriteBuffer(Plan.Moov.data(), static_cast<int64_t>(Plan.Moov.size()))) return false;
    const int64_t rest = Source.Size() - (Plan.Offset + Plan.OldSize);
    return rest <= 0 || (Source.SetPosition(Plan.Offset + Plan.OldSize) && Destination.CopyFrom(Source, rest) == rest);
}

int TMP4Tag::SaveStream(TStream& Stream, bool KeepPadding) {
    SavePlan plan;
    int result = MakePlan(Stream, KeepPadding, plan);
    if (result == mp4Success) {
        if (plan.InPlace) {
            if (!Stream.SetPosition(plan.Offset) ||
                !Stream.WriteBuffer(plan.Moov.data(), static_cast<int64_t>(plan.Moov.size())))
                result = mp4WriteError;
        } else {
            TMemoryStream out;
            if (!WriteRewrite(Stream, out, plan) || !Stream.SetSize(0) || !Stream.SetPosition(0) ||
                !out.SaveToStream(Stream))
                result = mp4WriteError;
        }
    }
    Stream.SetPosition(0);
    return result;
}

int TMP4Tag::SaveFile(const std::string& FilePath, bool KeepPadding) {
    // Replace the file a link points to, not the link.
    char* real = ::realpath(FilePath.c_str(), nullptr);
    const std::string Path = real ? real : FilePath;
    std::free(real);
    struct stat st {};
    if (::stat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0) return mp4CannotOpen;
    // A save of ours that was killed may have left its new file behind.
    common::removeStaleTemporaries(Path);

    // Held exclusively from the reading of the layout to the last write.
    auto file = TFileStream::Open(Path, TFileMode::fmOpenReadWrite);
    if (!file) return errno == EWOULDBLOCK || errno == EAGAIN ? mp4Locked : mp4CannotOpen;
    SavePlan plan;
    int result = MakePlan(*file, KeepPadding, plan);
    if (result != mp4Success) return result;
    if (plan.InPlace) {
        if (!file->SetPosition(plan.Offset) ||
            !file->WriteBuffer(plan.Moov.data(), static_cast<int64_t>(plan.Moov.size())) || !file->Good())
            return mp4WriteError;
    } else {
        int replaced = ReplaceFileThroughTemp(
            Path, [&](TFileStream& destination) { return WriteRewrite(*file, destination, plan) ? 0 : -1; });
        if (replaced != 0) return mp4WriteError;
    }
    if (PreserveFileDateTime) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, Path.c_str(), times, 0);
    }
    return mp4Success;
}

int TMP4Tag::SaveToFile(const std::string& Path, bool KeepPadding) {
    int result = WithoutExceptions([&] { return SaveFile(Path, KeepPadding); });
    if (result == mp4Success) FileName = Path;
    return result;
}

int TMP4Tag::SaveToStream(TStream& Stream, bool KeepPadding) {
    return WithoutExceptions([&] { return SaveStream(Stream, KeepPadding); });
}

int StripMP4Tag(const std::string& FileName, bool KeepPadding, bool KeepGapless, bool PreserveFileDateTime,
                uint32_t Padding, bool KeepEncoder) {
    if (!common::fileExists(FileName)) return mp4CannotOpen;
    TMP4Tag tag;
    int loaded = tag.LoadFromFile(FileName);
    if (loaded != mp4Success && loaded != mp4NoTag) return loaded;
    for (int i = tag.Count(); i-- > 0;) {
        const TMP4Atom& a = *tag.Atoms[static_cast<size_t>(i)];
        const bool gapless = a.ID == "----" && a.name == "iTunSMPB" && a.mean == "com.apple.iTunes";
        if ((KeepGapless && gapless) || (KeepEncoder && a.ID == "\xA9too")) continue;
        tag.DeleteAtom(i);
    }
    tag.Xtras.clear();
    tag.PaddingToWrite = Padding;
    tag.PreserveFileDateTime = PreserveFileDateTime;
    return tag.SaveToFile(FileName, KeepPadding);
}

}  // namespace tags

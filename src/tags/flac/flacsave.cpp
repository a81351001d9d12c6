// Saving native FLAC and Ogg FLAC metadata: patched in place when the new
// blocks fit the old room exactly, otherwise rewritten through a temporary
// file that replaces the original only once it is complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/files.h"
#include "common/log.h"
#include "tags/core/bufferedstream.h"
#include "tags/core/bytes.h"
#include "tags/core/replacefile.h"
#include "tags/flac/flactaglibrary.h"

namespace tags {

struct TFlacTag::SavePlan {
    bool InPlace = false;
    // In place: the bytes written at Offset. Rewrite: everything between the
    // ID3v2 tag and the audio.
    int64_t Offset = 0;
    std::string Bytes;
    bool Ogg = false;
    uint32_t Serial = 0;
    uint32_t FirstAudioPage = 0;  // Ogg: the number the first audio page must carry
};

namespace {

std::string Block(uint8_t type, bool last, const std::string& data) {
    std::string out(4, '\0');
    out[0] = static_cast<char>((type & 0x7F) | (last ? 0x80 : 0));
    WriteBE24(out.data() + 1, static_cast<uint32_t>(data.size()));
    return out + data;
}

std::string Padding(bool last, int64_t size) { return Block(flacBlockPadding, last, std::string(size, '\0')); }

// Renumbers the pages of one logical stream from pos on, in place, unless
// the first of them already carries the right number.
bool RenumberInPlace(TStream& s, int64_t pos, uint32_t serial, uint32_t next) {
    if (!s.SetPosition(pos)) return false;
    TOGGStream ogg(&s);
    bool first = true;
    for (;;) {
        int64_t start = s.Position();
        TOggHeader h;
        TMemoryStream page;
        if (!ogg.GetNextPageHeader(h, &page)) return true;
        if (h.Serial != serial) continue;
        if (first && h.PageNumber == next) return true;
        first = false;
        WriteLE32(page.Bytes().data() + 18, next++);
        SetOggPageChecksum(page.Bytes());
        if (!s.SetPosition(start) || !page.SaveToStream(s)) return false;
    }
}

}  // namespace

bool TFlacTag::PicturesMatchFile(TStream& Source) const {
    if (FFilePictures.size() != MetaBlocksCoverArts.size()) return false;
    for (size_t i = 0; i < FFilePictures.size(); ++i) {
        const std::string& ours = MetaBlocksCoverArts[i].Data.Bytes();
        if (static_cast<int64_t>(ours.size()) != FFilePictures[i].second) return false;
        std::string theirs;
        if (!Source.SetPosition(FFilePictures[i].first) || !Source.ReadBytes(theirs, FFilePictures[i].second) ||
            theirs != ours)
            return false;
    }
    return true;
}

int TFlacTag::PlanNative(TStream& Source, const std::string& Comment, SavePlan& Plan) {
    const int64_t c = static_cast<int64_t>(Comment.size());
    std::string body;
    for (const TMetaData& m : MetaBlocksCoverArts) body += Block(flacBlockPicture, false, m.Data.Bytes());
    for (const TMetaData& m : aMetaBlockOther)
        if (m.BlockType != flacBlockPadding) body += Block(static_cast<uint8_t>(m.BlockType), false, m.Data.Bytes());
    body += Block(flacBlockVorbisComment, false, Comment);

    // Room for the padding if only the comment block changes size; without
    // a comment block the new one needs its 4-byte header as well.
    const int64_t room = FPadding + (FVorbisIndex ? FTagSize : -4) - c;
    if (!ForceReWrite && FPaddingIndex > 0 && room > 0 && !FVorbisFragments &&
        CalculateMetaBlocksSize(true) == FMetaBlocksSize) {
        Plan.InPlace = true;
        if (FVorbisIndex > 0 && FPaddingIndex == FVorbisIndex + 1 && !FPaddingFragments && room <= flacMaxBlockSize &&
            PicturesMatchFile(Source)) {
            Plan.Offset = FVCOffset - 4;
            Plan.Bytes = Block(flacBlockVorbisComment, false, Comment) + Padding(FPaddingLast, room);
            if (room == FPadding) Plan.Bytes.resize(Plan.Bytes.size() - static_cast<size_t>(room));
            return flacSuccess;
        }
        const int64_t pad = (FAudioOffset - FMetaStart) - static_cast<int64_t>(body.size()) - 4;
        if (pad >= 0 && pad <= flacMaxBlockSize) {
            Plan.Offset = FMetaStart;
            Plan.Bytes = body + Padding(true, pad);
            return flacSuccess;
        }
        Plan.InPlace = false;
    }
    uint8_t streamInfoHeader[4];
    std::memcpy(streamInfoHeader, FHeader.MetaDataBlockHeader, 4);
    streamInfoHeader[0] &= 0x7F;
    Plan.Bytes.assign("fLaC", 4);
    Plan.Bytes.append(reinterpret_cast<const char*>(streamInfoHeader), 4);
    Plan.Bytes.append(reinterpret_cast<const char*>(FHeader.Info), sizeof FHeader.Info);
    Plan.Bytes.append(reinterpret_cast<const char*>(FHeader.MD5Sum), sizeof FHeader.MD5Sum);
    Plan.Bytes += body;
    Plan.Bytes += Padding(true, std::min<int64_t>(PaddingSizeToWrite, flacMaxBlockSize));
    return flacSuccess;
}

int TFlacTag::PlanOgg(TStream& Source, const std::string& Comment, SavePlan& Plan) {
    // Header pages that also carry audio or another stream cannot be
    // replaced on their own.
    if (FOggHeaderShared) return flacError;
    std::string firstPage;
    if (!Source.SetPosition(FID3v2Size) || !Source.ReadBytes(firstPage, FMetaStart - FID3v2Size)) return flacError;
    TOggHeader first;
    if (!TOggHeader::Parse(firstPage.data(), static_cast<int64_t>(firstPage.size()), first)) return flacError;
    TOGGStream writer(nullptr);
    writer.FirstOGGHeader = first;

    std::vector<std::string> packets;
    packets.push_back(Block(flacBlockVorbisComment, false, Comment));
    for (const TMetaData& m : MetaBlocksCoverArts) packets.push_back(Block(flacBlockPicture, false, m.Data.Bytes()));
    for (const TMetaData& m : aMetaBlockOther)
        if (m.BlockType != flacBlockPadding)
            packets.push_back(Block(static_cast<uint8_t>(m.BlockType), false, m.Data.Bytes()));
    int64_t wrapped = 0;
    for (const std::string& p : packets)
        wrapped += TOGGStream::CalculateWrappedStreamSize(static_cast<int64_t>(p.size()));

    // Grow a padding packet until the header pages fill the old room exactly.
    const int64_t region = FAudioOffset - FMetaStart;
    int64_t pad = 1;
    auto total = [&](int64_t d) { return wrapped + TOGGStream::CalculateWrappedStreamSize(4 + d); };
    while (total(pad) < region && 4 + pad + 1 <= static_cast<int64_t>(PaddingSizeToWrite)) ++pad;
    Plan.InPlace = !ForceReWrite && total(pad) == region;
    if (!Plan.InPlace) pad = std::min<int64_t>(PaddingSizeToWrite, flacMaxBlockSize);
    packets.push_back(Padding(true, pad));

    TMemoryStream pages;
    for (const std::string& p : packets) {
        TMemoryStream packet(p);
        if (writer.CreateTagStream(packet, pages) == 0) return flacError;
    }
    // The first packet announces how many header packets follow it, and its
    // STREAMINFO is no longer the last block.
    const int headerSize = first.HeaderSize();
    WriteBE16(firstPage.data() + headerSize + 7, static_cast<uint16_t>(packets.size()));
    firstPage[headerSize + 13] = static_cast<char>(firstPage[headerSize + 13] & 0x7F);

    // Number the pages 0 ... K: the first page, then the header pages.
    Plan.Bytes = firstPage + pages.Bytes();
    uint32_t number = 0;
    for (size_t pos = 0; pos < Plan.Bytes.size();) {
        TOggHeader h;
        TOggHeader::Parse(Plan.Bytes.data() + pos, static_cast<int64_t>(Plan.Bytes.size() - pos), h);
        size_t size = static_cast<size_t>(h.HeaderSize() + h.DataSize());
        std::string page = Plan.Bytes.substr(pos, size);
        WriteLE32(page.data() + 18, number++);
        SetOggPageChecksum(page);
        Plan.Bytes.replace(pos, size, page);
        pos += size;
    }
    Plan.Offset = FID3v2Size;
    Plan.Ogg = true;
    Plan.Serial = first.Serial;
    Plan.FirstAudioPage = number;
    return flacSuccess;
}

int TFlacTag::MakePlan(TStream& Source, SavePlan& Plan, bool Buffered) {
    if (Buffered) {
        TBufferedStream buffered(Source);
        return MakePlan(buffered, Plan, false);
    }
    int result = Read(Source, false);
    if (result != flacSuccess) return result;
    const std::string comment = BuildVorbisComment();
    // A block longer than its 24-bit size field cannot be written.
    if (comment.size() > flacMaxBlockSize) return flacError;
    for (const auto* list : {&MetaBlocksCoverArts, &aMetaBlockOther})
        for (const TMetaData& m : *list)
            if (m.Data.GetSizeConst() > flacMaxBlockSize) return flacError;
    return StreamType == fstOggFlac ? PlanOgg(Source, comment, Plan) : PlanNative(Source, comment, Plan);
}

bool TFlacTag::WriteInPlace(TStream& Target, const SavePlan& Plan) const {
    if (!Target.SetPosition(Plan.Offset) ||
        !Target.WriteBuffer(Plan.Bytes.data(), static_cast<int64_t>(Plan.Bytes.size())))
        return false;
    return !Plan.Ogg || RenumberInPlace(Target, FAudioOffset, Plan.Serial, Plan.FirstAudioPage);
}

bool TFlacTag::WriteRewrite(TStream& Source, TStream& Destination, const SavePlan& Plan) const {
    if (FID3v2Size > 0 && (!Source.SetPosition(0) || Destination.CopyFrom(Source, FID3v2Size) != FID3v2Size))
        return false;
    if (!Destination.WriteBuffer(Plan.Bytes.data(), static_cast<int64_t>(Plan.Bytes.size()))) return false;
    if (!Source.SetPosition(FAudioOffset)) return false;
    if (Plan.Ogg) {
        TOGGStream audio(&Source);
        audio.FirstOGGHeader.Serial = Plan.Serial;
        if (!audio.ReNumberPages(Plan.FirstAudioPage, -1, Destination)) return false;
    }
    // Whatever follows (all the audio, or bytes after the last Ogg page)
    // is copied unchanged.
    int64_t rest = Source.Size() - Source.Position();
    return rest <= 0 || Destination.CopyFrom(Source, rest) == rest;
}

int TFlacTag::SaveStream(TStream& Stream, bool Buffered) {
    SavePlan plan;
    TMemoryStream out;
    bool ok = MakePlan(Stream, plan, Buffered) == flacSuccess &&
              (plan.InPlace ? WriteInPlace(Stream, plan)
                            : WriteRewrite(Stream, out, plan) && Stream.SetSize(0) && Stream.SetPosition(0) &&
                                  out.SaveToStream(Stream));
    Stream.SetPosition(0);
    return ok ? flacSuccess : flacError;
}

int TFlacTag::SaveFile(const std::string& FilePath, bool Buffered) {
    // Replace the file a link points to, not the link.
    char* real = ::realpath(FilePath.c_str(), nullptr);
    const std::string Path = real ? real : FilePath;
    std::free(real);
    struct stat st {};
    if (::stat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return flacCannotOpen;
    if ((st.st_mode & 0222) == 0) return flacReadOnly;
    // A save of ours that was killed may have left its new file behind.
    common::removeStaleTemporaries(Path);

    SavePlan plan;
    {
        auto source = TFileStream::Open(Path, TFileMode::fmOpenRead);
        if (!source) return flacCannotOpen;
        int result = MakePlan(*source, plan, Buffered);
        if (result != flacSuccess) return result;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (plan.InPlace) {
        auto target = TFileStream::Open(Path, TFileMode::fmOpenReadWrite);
        if (!target) return flacCannotOpen;
        if (!WriteInPlace(*target, plan) || !target->Good()) return flacError;
    } else {
        auto source = TFileStream::Open(Path, TFileMode::fmOpenReadWrite);
        if (!source) return flacCannotLock;
        int replaced = ReplaceFileThroughTemp(
            Path, [&](TFileStream& destination) { return WriteRewrite(*source, destination, plan) ? 0 : -1; });
        if (replaced != 0) return flacTempFile;
    }
    if (PreserveFileDateTime) ::utimensat(AT_FDCWD, Path.c_str(), times, 0);
    return flacSuccess;
}

namespace {
template <typename Save>
int WithoutExceptions(Save save) {
    try {
        return save();
    } catch (...) {
        common::log::caught("tags.flac", "saving the tag");
        return flacError;
    }
}
}  // namespace

int TFlacTag::SaveToFile(const std::string& Path, bool Buffered) {
    int result = WithoutExceptions([&] { return SaveFile(Path, Buffered); });
    FExists = result == flacSuccess;
    return result;
}

int TFlacTag::SaveToStream(TStream& Stream, bool Buffered) {
    int result = WithoutExceptions([&] { return SaveStream(Stream, Buffered); });
    FExists = result == flacSuccess;
    return result;
}

int RemoveFlacTagFromFile(const std::string& FileName, uint32_t PaddingSizeToWrite, bool PreserveFileDateTime) {
    TFlacTag tag;
    tag.ForceReWrite = true;
    tag.PaddingSizeToWrite = PaddingSizeToWrite;
    tag.PreserveFileDateTime = PreserveFileDateTime;
    return tag.SaveToFile(FileName);
}

}  // namespace tags

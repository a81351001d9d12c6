// Saving the comment header: the pages that carried it (and the setup header
// sharing them) are replaced by new ones, in place when they have exactly
// the old size and number, otherwise through a new file that takes the
// original's place only once it is complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/files.h"
#include "common/log.h"
#include "tags/core/bytes.h"
#include "tags/core/replacefile.h"
#include "tags/ogg/ogglayout.h"

namespace tags {

struct TOpusTag::SavePlan {
    bool InPlace = false;
    int64_t Offset = 0;  // the first old header page: where the new pages go
    std::string Pages;
    std::vector<std::pair<int64_t, int64_t>> OldPages;
    uint32_t Serial = 0;
    // How many more pages the headers take now; later pages of the stream
    // move their sequence numbers by as much.
    int64_t Delta = 0;
};

namespace {

// The next position at or after from where a whole page with a correct
// checksum starts; the stream's size when there is none.
int64_t NextValidPage(TStream& s, int64_t from) {
    const int64_t size = s.Size();
    constexpr int64_t kBlock = 1 << 16;
    for (int64_t base = from; base < size; base += kBlock - 3) {
        std::string block;
        if (!s.SetPosition(base) || !s.ReadBytes(block, std::min(kBlock, size - base))) return size;
        for (size_t i = block.find("OggS"); i != std::string::npos; i = block.find("OggS", i + 1)) {
            const int64_t at = base + static_cast<int64_t>(i);
            if (at < from) continue;
            std::string head;
            TOggHeader h;
            if (!s.SetPosition(at) || !s.ReadBytes(head, std::min<int64_t>(TOggHeader::kMaxSize, size - at)) ||
                !TOggHeader::Parse(head.data(), static_cast<int64_t>(head.size()), h))
                continue;
            std::string page;
            if (!s.SetPosition(at) || !s.ReadBytes(page, h.HeaderSize() + h.DataSize()) ||
                static_cast<int64_t>(page.size()) != h.HeaderSize() + h.DataSize())
                continue;
            SetOggPageChecksum(page);
            if (ReadLE32(page.data() + 22) == h.Checksum) return at;
        }
    }
    return size;
}

template <typename F>
int WithoutExceptions(F&& f) {
    try {
        return f();
    } catch (...) {
        common::log::caught("tags.ogg", "saving the comment");
        return oggError;
    }
}

}  // namespace

int TOpusTag::MakePlan(TStream& Source, SavePlan& Plan) {
    Layout L;
    TOggFileInfo keep = Info;  // the layout read here is the target's, not ours
    int result = Read(Source, false, L);
    Info = keep;
    if (L.Format == ofUnknown) return oggNotSupported;
    if (result != oggSuccess) return result;
    if (!L.IdentAlone || !L.EndsPage || L.HeaderPages.empty()) return oggCorruptHeader;

    const std::string vendor = !L.Vendor.empty() ? L.Vendor : !VendorString.empty() ? VendorString : "Unknown vendor";
    const std::string extra = L.Format == ofOpus ? L.OpusExtra : std::string();
    const bool hasSetup = L.Format != ofOpus;
    const int64_t comment = static_cast<int64_t>(BuildPacket(L.Format, vendor, extra, 0).size());
    const std::vector<bool> flush = {L.CommentEndsPage};

    int64_t oldBytes = 0;
    for (const auto& p : L.HeaderPages) oldBytes += p.second;
    const int oldPages = static_cast<int>(L.HeaderPages.size());
    // Zero bytes after the comment can make up for a shorter one; Theora's
    // comment has no room for them, and data an Opus writer asked to keep
    // must stay last.
    const int64_t maxPadding =
        WritePadding && L.Format != ofTheora && extra.empty() ? static_cast<int64_t>(PaddingSizeToWrite) : 0;
    int64_t padding = maxPadding;
    if (L.Contiguous) {
        for (int64_t p = 0; p <= maxPadding; ++p) {
            std::vector<int64_t> sizes = {comment + p};
            if (hasSetup) sizes.push_back(static_cast<int64_t>(L.Setup.size()));
            TOggPageLayout layout = OggPacketsLayout(sizes, flush);
            if (layout.Bytes == oldBytes && layout.Pages == oldPages) {
                Plan.InPlace = true;
                padding = p;
                break;
            }
            if (layout.Bytes > oldBytes) break;
        }
    }
    std::vector<std::string> packets = {BuildPacket(L.Format, vendor, extra, padding)};
    if (hasSetup) packets.push_back(L.Setup);
    Plan.Pages = OggPacketsToPages(packets, flush, L.IdentPage, L.FirstHeaderNumber);
    Plan.Offset = L.HeaderPages.front().first;
    Plan.OldPages = L.HeaderPages;
    Plan.Serial = L.IdentPage.Serial;
    std::vector<int64_t> sizes;
    for (const std::string& p : packets) sizes.push_back(static_cast<int64_t>(p.size()));
    Plan.Delta = OggPacketsLayout(sizes, flush).Pages - oldPages;
    return oggSuccess;
}

bool TOpusTag::WriteRewrite(TStream& Source, TStream& Destination, const SavePlan& Plan) {
    if (!Source.SetPosition(0) || Destination.CopyFrom(Source, Plan.Offset) != Plan.Offset) return false;
    if (!Destination.WriteBuffer(Plan.Pages.data(), static_cast<int64_t>(Plan.Pages.size()))) return false;
    const int64_t size = Source.Size();
    size_t old = 0;        // the next old header page to drop
    bool inStream = true;  // until the stream's last page: a chained stream may reuse the serial
    for (int64_t pos = Plan.Offset; pos < size;) {
        if (!Source.SetPosition(pos)) return false;
        TOGGStream reader(&Source);
        TOggHeader h;
        TMemoryStream page;
        if (!reader.GetNextPageHeader(h, &page)) {
            // Bytes that are no page are kept as they are.
            int64_t next = NextValidPage(Source, pos + 1);
            if (!Source.SetPosition(pos) || Destination.CopyFrom(Source, next - pos) != next - pos) return false;
            pos = next;
            continue;
        }
        std::string& bytes = page.Bytes();
        const int64_t pageSize = static_cast<int64_t>(bytes.size());
        if (old < Plan.OldPages.size() && Plan.OldPages[old].first == pos) {
            ++old;
        } else {
            if (h.Serial == Plan.Serial && inStream && Plan.Delta != 0) {
                WriteLE32(bytes.data() + 18, static_cast<uint32_t>(h.PageNumber + Plan.Delta));
                SetOggPageChecksum(bytes);
            }
            if (!Destination.WriteBuffer(bytes.data(), pageSize)) return false;
            if (h.Serial == Plan.Serial && (h.TypeFlag & 4)) inStream = false;
        }
        pos += pageSize;
    }
    return true;
}

int TOpusTag::SaveStream(TStream& Stream) {
    SavePlan plan;
    int result = MakePlan(Stream, plan);
    if (result == oggSuccess) {
        if (plan.InPlace) {
            if (!Stream.SetPosition(plan.Offset) ||
                !Stream.WriteBuffer(plan.Pages.data(), static_cast<int64_t>(plan.Pages.size())))
                result = oggError;
        } else {
            TMemoryStream out;
            if (!WriteRewrite(Stream, out, plan) || !Stream.SetSize(0) || !Stream.SetPosition(0) ||
                !out.SaveToStream(Stream))
                result = oggError;
        }
    }
    Stream.SetPosition(0);
    return result;
}

int TOpusTag::SaveFile(const std::string& FilePath) {
    // Replace the file a link points to, not the link.
    char* real = ::realpath(FilePath.c_str(), nullptr);
    const std::string Path = real ? real : FilePath;
    std::free(real);
    struct stat st {};
    if (::stat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return oggCannotOpen;
    if ((st.st_mode & 0222) == 0) return oggReadOnly;
    // A save of ours that was killed may have left its new file behind.
    common::removeStaleTemporaries(Path);

    // Held exclusively from the reading of the layout to the last write.
    auto file = TFileStream::Open(Path, TFileMode::fmOpenReadWrite);
    if (!file) return errno == EWOULDBLOCK || errno == EAGAIN ? oggCannotLock : oggCannotOpen;
    SavePlan plan;
    int result = MakePlan(*file, plan);
    if (result != oggSuccess) return result;
    if (plan.InPlace) {
        if (!file->SetPosition(plan.Offset) ||
            !file->WriteBuffer(plan.Pages.data(), static_cast<int64_t>(plan.Pages.size())) || !file->Good())
            return oggError;
    } else {
        int replaced = ReplaceFileThroughTemp(
            Path, [&](TFileStream& destination) { return WriteRewrite(*file, destination, plan) ? 0 : -1; });
        if (replaced != 0) return oggTempFile;
    }
    if (PreserveFileDateTime) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, Path.c_str(), times, 0);
    }
    return oggSuccess;
}

int TOpusTag::SaveToFile(const std::string& Path) {
    return WithoutExceptions([&] { return SaveFile(Path); });
}

int TOpusTag::SaveToStream(TStream& Stream) {
    return WithoutExceptions([&] { return SaveStream(Stream); });
}

int RemoveOggVorbisAndOpusTagFromFile(const std::string& FileName, uint32_t PaddingSizeToWrite,
                                      bool PreserveFileDateTime) {
    TOpusTag tag;
    if (tag.LoadFromFile(FileName) != oggSuccess) return oggError;
    for (int i = tag.Count(); i-- > 0;)
        if (tag.Frames[static_cast<size_t>(i)]->Name != "ENCODER") tag.DeleteFrame(i);
    tag.PaddingSizeToWrite = PaddingSizeToWrite;
    tag.PreserveFileDateTime = PreserveFileDateTime;
    return tag.SaveToFile(FileName);
}

}  // namespace tags

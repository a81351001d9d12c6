// The cover box of the main window: the playing file's picture, decoded on a
// worker once the sound has started and scaled to the box, with its size line.
// While there is none the drawn placeholder behind it shows.
#include <cstdio>

#include "common/files.h"
#include "common/log.h"
#include "image/imageloader.h"
#include "image/pictureworker.h"
#include "player/duration.h"
#include "tags/facade/tagslibrary.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

namespace {
// The box at its design size, until the front end reports the real one: the
// left column's width, the cover box's height less the size line.
constexpr int kCoverBoxWidth = 225, kCoverBoxHeight = 232 - 16;
constexpr uint32_t kFrontCover = 3;

// "42.5 KB, 300 x 300"
std::string sizeLine(size_t bytes, int width, int height) {
    char dimensions[32];
    std::snprintf(dimensions, sizeof dimensions, "%d x %d", width, height);
    return player::FormatByteSize(static_cast<int64_t>(bytes)) + ", " + dimensions;
}
}  // namespace

void TForm1::clearCover() {
    if (coverWorker_) coverWorker_->Cancel();  // a decode of the last file shows nothing now
    ImageTAG.Clear();
    if (Hooks.NotificationPicture) Hooks.NotificationPicture(nullptr);
}

void TForm1::listCover() {
    if (setting(&TForm2::ShowCoverArts)) ListCoverArts();
}

void TForm1::ListCoverArts() {
    clearCover();
    if (!common::fileExists(CurrentFile)) return;
    tags::TTags& tags = PlayingTags();
    if (tags.FileName != CurrentFile) tags.LoadFromFile(CurrentFile);

    // Front covers first, then the rest, each group in the file's order; the
    // first that decodes is shown, pictures that do not are passed over.
    std::vector<std::string> pictures;
    for (bool front : {true, false})
        for (const auto& cover : tags.CoverArts)
            if ((cover->CoverType == kFrontCover) == front && cover->Stream.GetSizeConst() > 0)
                pictures.push_back(cover->Stream.Bytes());
    // Without the library the placeholder stays; starting it said why.
    if (pictures.empty() || !CoverLoader || !CoverLoader->Available()) return;

    const int width = ImageTAG.Width() > 0 ? ImageTAG.Width() : kCoverBoxWidth;
    const int height = ImageTAG.Height() > 0 ? ImageTAG.Height() : kCoverBoxHeight;
    const image::TImageLoader* loader = CoverLoader;
    if (!coverWorker_) coverWorker_ = std::make_unique<image::TPictureWorker>(Application().dispatcher());
    coverWorker_->Submit(
        [this, loader, pictures = std::move(pictures), width, height, file = CurrentFile]() -> std::function<void()> {
            // The worker's side: nothing of the window is touched here.
            for (const std::string& picture : pictures) {
                int pictureWidth = 0, pictureHeight = 0;
                if (!loader->GetImageSizeFromMemory(picture, pictureWidth, pictureHeight)) continue;
                TBitmapPtr bitmap =
                    loader->LoadScaledHBitmapFromMemory(picture, width, height, true, image::FILTER_LANCZOS3);
                if (!bitmap) continue;
                return [this, bitmap, line = sizeLine(picture.size(), pictureWidth, pictureHeight)] {
                    ImageTAG.Picture.set(bitmap);
                    LabelImageTag.Caption.set(line);
                    if (Hooks.NotificationPicture) Hooks.NotificationPicture(bitmap);
                };
            }
            common::log::warn("ui.cover", "none of the ", pictures.size(), " pictures of ", file, " could be shown");
            return {};
        });
}

void TForm1::WaitForCover() {
    if (coverWorker_) coverWorker_->WaitIdle();
    Application().ProcessMessages();
}

}  // namespace ui

#include <gtest/gtest.h>

#include <filesystem>

#include "common/files.h"
#include "image/imageloader.h"
#include "player/duration.h"
#include "tags/core/stream.h"
#include "tags/facade/tagslibrary.h"
#include "ui/testenv.h"

using ui::TForm1;

namespace {

std::string sample(const std::string& name) { return std::string(ORVELIN_SOURCE_DIR) + "/resources/samples/" + name; }
std::string testPicture(const std::string& name) {
    return common::readFile(std::string(ORVELIN_SOURCE_DIR) + "/tests/image/pictures/" + name).value_or("");
}

// The real start-up on the silent device; the cover decodes on its worker and
// WaitForCover lets it show.
struct Cover : ::testing::Test, testenv::Player {
    void start(const std::vector<std::string>& tracks, const std::string& options = "ShowCoverArts=1\r\n") {
        Player::start(tracks, options);
    }
    std::string sizeLine(size_t bytes, int width, int height) {
        return player::FormatByteSize(int64_t(bytes)) + ", " + std::to_string(width) + " x " + std::to_string(height);
    }
};

}  // namespace

TEST_F(Cover, TheSamplesShowTheirCoverScaledToTheBoxAndTheOthersThePlaceholder) {
    struct Case {
        const char* file;
        bool cover;
        size_t bytes;
        int width, height;
    } cases[] = {
        {"01 Morning Arpeggio.mp3", true, 10309, 300, 300},  // a JPEG
        {"02 Glass Steps.flac", true, 19055, 200, 200},      // a palette PNG, grown to the box
        {"06 Last Light.wav", false, 0, 0, 0},
    };
    std::vector<std::string> tracks;
    for (const Case& c : cases) tracks.push_back(sample(c.file));
    start(tracks);
    ui::TBitmapPtr placeholder = f->ImageSubstrate.Picture();
    ASSERT_TRUE(placeholder);
    for (int row = 0; row < int(std::size(cases)); ++row) {
        const Case& c = cases[row];
        play(row);
        ASSERT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING) << c.file;
        f->WaitForCover();
        if (c.cover) {
            ASSERT_TRUE(f->ImageTAG.Picture()) << c.file;
            // The 225 x 216 box of the design: square pictures become 216 x 216.
            EXPECT_EQ(f->ImageTAG.Picture()->Width, 216) << c.file;
            EXPECT_EQ(f->ImageTAG.Picture()->Height, 216) << c.file;
            EXPECT_EQ(f->LabelImageTag.Caption(), sizeLine(c.bytes, c.width, c.height)) << c.file;
        } else {
            EXPECT_FALSE(f->ImageTAG.Picture()) << c.file;
            EXPECT_EQ(f->LabelImageTag.Caption(), "") << c.file;
        }
        EXPECT_EQ(f->ImageSubstrate.Picture(), placeholder) << c.file;
        EXPECT_EQ(f->ImageSubstrate.Visible(), !c.cover) << c.file;  // shown only in place of a cover
    }
    f->StopButton.OnClick();
    EXPECT_FALSE(f->ImageTAG.Picture());
    EXPECT_TRUE(f->ImageSubstrate.Visible());
}

TEST_F(Cover, TheFirstFrontCoverThatDecodesIsShown) {
    // A back cover first, then a front "cover" that is no picture, then the real front cover.
    std::string file = env.dir.path + "covers.mp3";
    std::filesystem::copy_file(sample("01 Morning Arpeggio.mp3"), file);
    std::string png = testPicture("alpha.png"), jpg = testPicture("front.jpg");
    {
        tags::TTags t;
        ASSERT_EQ(t.LoadFromFile(file), 0);
        t.DeleteAllCoverArts();
        struct Picture {
            std::string bytes, mime;
            uint32_t type;
        } pictures[] = {{png, "image/png", 4}, {"not a picture", "image/jpeg", 3}, {jpg, "image/jpeg", 3}};
        for (const Picture& p : pictures) {
            tags::TMemoryStream stream(p.bytes);
            t.AddCoverArt("Cover", stream, p.mime)->CoverType = p.type;
        }
        ASSERT_EQ(t.SaveToFile(file, tags::ttAutomatic), 0);
    }
    start({file});
    play(0);
    f->WaitForCover();
    ASSERT_TRUE(f->ImageTAG.Picture());
    EXPECT_EQ(f->LabelImageTag.Caption(), sizeLine(jpg.size(), 48, 32));
    EXPECT_EQ(f->ImageTAG.Picture()->Width, 225);  // 48 x 32 grown to the box's width
    EXPECT_EQ(f->ImageTAG.Picture()->Height, 150);
}

TEST_F(Cover, NoCoverWithoutTheSettingTheLibraryOrAfterTheTrackEnded) {
    start({sample("01 Morning Arpeggio.mp3")}, "ShowCoverArts=0\r\n");
    play(0);
    f->WaitForCover();
    EXPECT_FALSE(f->ImageTAG.Picture());

    // Without the library the placeholder shows and playback goes on.
    f->Form2->ShowCoverArts.Checked.set(true);
    image::TImageLoader missing("libfreeimage-not-here.so.0");
    missing.InitImageLoader();
    f->CoverLoader = &missing;
    play(0);
    f->WaitForCover();
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_FALSE(f->ImageTAG.Picture());
    EXPECT_TRUE(f->ImageSubstrate.Picture());

    // A decode still under way when the track stops shows nothing afterwards.
    f->CoverLoader = &image::ImageLoader();
    play(0);
    f->WaitForCover();
    ASSERT_TRUE(f->ImageTAG.Picture());
    f->ListCoverArts();  // unlike a start, lets nothing of the worker's through yet
    f->StopButton.OnClick();
    f->WaitForCover();
    EXPECT_FALSE(f->ImageTAG.Picture());
    EXPECT_EQ(f->LabelImageTag.Caption(), "");
}

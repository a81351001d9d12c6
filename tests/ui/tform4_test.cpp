#include <gtest/gtest.h>

#include "image/imageloader.h"
#include "kit/fakes.h"
#include "ui/tform4.h"

namespace {

struct CoverWindow : ::testing::Test {
    ui::TestApplication t;
    image::TImageLoader& loader = image::ImageLoader();
    ui::TForm4 form{t.app, loader};

    std::string jpeg(int width, int height) {
        return loader.SaveBitmapToJpegMemory(ui::TBitmap(width, height, 0xFF808080), 85);
    }
    std::pair<std::string, std::string> size() { return {form.WidthImage.Text(), form.HeightImage.Text()}; }
    using Size = std::pair<std::string, std::string>;
};

}  // namespace

TEST_F(CoverWindow, ShowsTheWorkingPictureAtFullSizeAndCropsItToTheCentredSquare) {
    ASSERT_TRUE(loader.Available());
    struct Case {
        int width, height;
        const char *before[2], *after[2];
    } cases[] = {
        {300, 200, {"300", "200"}, {"200", "200"}},
        {200, 301, {"200", "301"}, {"200", "200"}},
        {1200, 1200, {"1200", "1200"}, {"1200", "1200"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form.LoadPicture(jpeg(c.width, c.height)), 1);
        ASSERT_TRUE(form.WorkingPicture());
        EXPECT_EQ(size(), Size(c.before[0], c.before[1]));
        form.ButtonEdit.OnClick();
        EXPECT_EQ(size(), Size(c.after[0], c.after[1]));
        EXPECT_EQ(form.WorkingPicture()->Width, std::stoi(c.after[0]));
    }
    // Bytes that are no picture count as found but show nothing.
    EXPECT_EQ(form.LoadPicture("not a picture"), 1);
    EXPECT_FALSE(form.WorkingPicture());
    EXPECT_EQ(size(), Size("0", "0"));
    EXPECT_EQ(form.LoadPicture(""), 0);
    form.ButtonEdit.OnClick();  // nothing to crop
    EXPECT_FALSE(form.WorkingPicture());
}

TEST_F(CoverWindow, ShowingAsksTheTagEditorAndSavingClosesFirst) {
    std::vector<std::string> calls;
    form.Hooks.LoadWorkingPicture = [&] {
        calls.push_back("load");
        form.LoadPicture(jpeg(64, 48));
    };
    form.Hooks.SaveTags = [&] { calls.push_back(form.Showing() ? "save while showing" : "save"); };
    form.Hooks.Closed = [&] { calls.push_back("closed"); };

    form.LoadPicture(jpeg(10, 10));  // left over from an earlier showing
    form.Show();
    EXPECT_EQ(size(), Size("64", "48"));
    form.ButtonSave.OnClick();
    EXPECT_FALSE(form.Showing());
    EXPECT_EQ(calls, (std::vector<std::string>{"load", "closed", "save"}));

    // Without a picture to load the window opens empty.
    form.Hooks.LoadWorkingPicture = nullptr;
    form.Show();
    EXPECT_FALSE(form.WorkingPicture());
    EXPECT_EQ(size(), Size("0", "0"));
    form.ButtonClose.OnClick();
    EXPECT_FALSE(form.Showing());
}

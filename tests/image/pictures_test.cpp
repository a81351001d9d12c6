#include <gtest/gtest.h>

#include <future>

#include "image/pictures.h"
#include "image/pictureworker.h"
#include "kit/fakes.h"

namespace {

// Each pixel tells where it was: x in the low byte, y in the next.
ui::TBitmapPtr numbered(int width, int height) {
    auto b = std::make_shared<ui::TBitmap>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b->at(x, y) = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
    return b;
}

}  // namespace

TEST(Pictures, CropTakesTheCentredSquare) {
    struct Case {
        int width, height, side, left, top;
    } cases[] = {{300, 200, 200, 50, 0}, {200, 301, 200, 0, 50}, {201, 100, 100, 50, 0}, {64, 64, 64, 0, 0}};
    for (const Case& c : cases) {
        ui::TBitmapPtr square = image::CropToCentredSquare(numbered(c.width, c.height));
        ASSERT_TRUE(square);
        ASSERT_EQ(square->Width, c.side);
        ASSERT_EQ(square->Height, c.side);
        const ui::TBitmap& s = *square;
        EXPECT_EQ(s.at(0, 0) & 0xFFFF, uint32_t(c.top) << 8 | uint32_t(c.left)) << c.width << "x" << c.height;
        EXPECT_EQ(s.at(c.side - 1, c.side - 1) & 0xFFFF,
                  uint32_t(c.top + c.side - 1) << 8 | uint32_t(c.left + c.side - 1));
    }
    EXPECT_FALSE(image::CropToCentredSquare(nullptr));
}

TEST(Pictures, DrawnPicturesFitTheirControlAndShowWithoutTheDecoder) {
    for (auto id : {image::TResourcePicture::rpCoverPlaceholder, image::TResourcePicture::rpRadio}) {
        ui::TBitmapPtr p = image::ResourcePicture(id, 120);
        ASSERT_TRUE(p);
        ASSERT_EQ(p->Width, 120);
        ASSERT_EQ(p->Height, 120);
        auto alphaAt = [&](int x, int y) { return p->Pixels[size_t(y) * 120 + size_t(x)] >> 24; };
        EXPECT_EQ(alphaAt(0, 0), 0u);  // transparent round the shape
        int opaque = 0;
        for (uint32_t px : p->Pixels) opaque += (px >> 24) == 255;
        EXPECT_GT(opaque, 120 * 120 / 20);  // and a shape there is
    }
    EXPECT_NE(image::ResourcePicture(image::TResourcePicture::rpRadio, 50)->Pixels,
              image::ResourcePicture(image::TResourcePicture::rpCoverPlaceholder, 50)->Pixels);
}

TEST(Pictures, ShownInAControlTheyFitItsShorterSide) {
    ui::TestApplication t;
    ui::TForm form(t.app, "Form");
    ui::TImage control(&form, "Image1");
    struct Case {
        int width, height;
        bool fit;
        int side;
    } cases[] = {{120, 100, true, 100},
                 {120, 100, false, image::kResourcePictureSize},
                 {0, 0, true, image::kResourcePictureSize}};
    for (const Case& c : cases) {
        control.SetBounds(0, 0, c.width, c.height);
        EXPECT_TRUE(image::ShowResourcePicture(control, image::TResourcePicture::rpRadio, c.fit));
        ASSERT_TRUE(control.Picture());
        EXPECT_EQ(control.Picture()->Width, c.side);
        EXPECT_TRUE(control.Stretch() && control.Proportional() && control.Center());
    }
}

namespace {

// A request that reports when it starts and then waits to be let go.
struct Gate {
    std::promise<void> started, release;
    std::shared_future<void> go = release.get_future().share();
};

}  // namespace

TEST(PictureWorker, OnlyTheNewestRequestReachesTheWindow) {
    ui::TestApplication t;
    image::TPictureWorker worker(t.dispatcher);
    std::vector<std::string> ran, applied;  // ran: worker thread, read after WaitIdle
    auto request = [&](std::string name, Gate* gate = nullptr) {
        return [&ran, &applied, name, gate]() -> std::function<void()> {
            if (gate) {
                gate->started.set_value();
                gate->go.wait();
            }
            ran.push_back(name);
            return [&applied, name] { applied.push_back(name); };
        };
    };

    // B arrives while A runs and is replaced by C before it starts.
    Gate a;
    worker.Submit(request("A", &a));
    a.started.get_future().wait();
    worker.Submit(request("B"));
    worker.Submit(request("C"));
    a.release.set_value();
    worker.WaitIdle();
    t.dispatcher.processMessages();
    EXPECT_EQ(ran, (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(applied, std::vector<std::string>{"C"});

    // Cancelled while it runs: its result is dropped.
    Gate d;
    worker.Submit(request("D", &d));
    d.started.get_future().wait();
    worker.Cancel();
    d.release.set_value();
    worker.WaitIdle();
    t.dispatcher.processMessages();
    EXPECT_EQ(applied, std::vector<std::string>{"C"});
}

TEST(PictureWorker, NothingPostedRunsAfterTheWorkerIsGone) {
    ui::TestApplication t;
    bool applied = false;
    {
        image::TPictureWorker worker(t.dispatcher);
        worker.Submit([&applied]() -> std::function<void()> { return [&applied] { applied = true; }; });
        worker.WaitIdle();
        EXPECT_EQ(t.dispatcher.pending(), 1u);
    }
    t.dispatcher.processMessages();
    EXPECT_FALSE(applied);
}

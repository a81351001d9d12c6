#include "image/pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace image {

namespace {

struct TColour {
    double r, g, b;
};

uint8_t channel(uint32_t pixel, int shift) { return static_cast<uint8_t>(pixel >> shift); }

// Paints colour with the given opacity over a pixel; both are straight alpha.
void blend(uint32_t& pixel, TColour c, double alpha) {
    double below = channel(pixel, 24) / 255.0;
    double out = alpha + below * (1 - alpha);
    if (out <= 0) return;
    auto mix = [&](double top, int shift) {
        double v = (top * alpha + channel(pixel, shift) / 255.0 * below * (1 - alpha)) / out;
        return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    pixel = static_cast<uint32_t>(std::lround(out * 255)) << 24 | mix(c.r, 16) << 16 | mix(c.g, 8) << 8 | mix(c.b, 0);
}

// Shapes are signed distances in units of the picture's side (negative
// inside), measured from the centre; a pixel's coverage comes from its
// distance to the edge, which smooths the edges.
class TCanvas {
public:
    explicit TCanvas(int size) : bitmap_(std::make_shared<ui::TBitmap>(size, size, 0)), side_(size) {}

    template <class Shape, class Paint>
    void fill(Shape shape, Paint paint) {
        each(
            [&](uint32_t& pixel, double u, double v, double cover) {
                if (cover > 0) blend(pixel, paint(u, v), cover);
            },
            shape);
    }
    template <class Shape>
    void erase(Shape shape) {
        each(
            [](uint32_t& pixel, double, double, double cover) {
                auto alpha = static_cast<uint32_t>(std::lround(channel(pixel, 24) * (1 - cover)));
                pixel = (pixel & 0x00FFFFFF) | alpha << 24;
            },
            shape);
    }
    ui::TBitmapPtr done() { return bitmap_; }

private:
    template <class Apply, class Shape>
    void each(Apply apply, Shape shape) {
        for (int y = 0; y < side_; ++y)
            for (int x = 0; x < side_; ++x) {
                double u = (x + 0.5) / side_ - 0.5, v = (y + 0.5) / side_ - 0.5;
                double cover = std::clamp(0.5 - shape(u, v) * side_, 0.0, 1.0);
                apply(bitmap_->at(x, y), u, v, cover);
            }
    }

    std::shared_ptr<ui::TBitmap> bitmap_;
    int side_;
};

constexpr TColour kAccent{0.25, 0.44, 0.63};

double radius(double u, double v) { return std::hypot(u, v); }

// A record seen from above: grooves, a sheen, a label and the hole.
ui::TBitmapPtr record(int size) {
    TCanvas canvas(size);
    canvas.fill([](double u, double v) { return radius(u, v) - 0.46; },
                [](double u, double v) {
                    double r = radius(u, v);
                    double groove = 0.015 * std::sin(r * 2 * std::numbers::pi * 45);
                    double sheen = 0.10 * std::pow(std::max(0.0, std::cos(2 * (std::atan2(v, u) - 0.7))), 6);
                    double l = 0.12 + groove + sheen;
                    return TColour{l, l * 1.04, l * 1.1};
                });
    canvas.fill([](double u, double v) { return radius(u, v) - 0.16; },
                [](double u, double v) {
                    double shade = 1.0 - 0.6 * radius(u, v);
                    return TColour{kAccent.r * shade, kAccent.g * shade, kAccent.b * shade};
                });
    canvas.erase([](double u, double v) { return radius(u, v) - 0.018; });
    return canvas.done();
}

// A mast sending waves to both sides.
ui::TBitmapPtr radio(int size) {
    TCanvas canvas(size);
    auto paint = [](double, double) { return kAccent; };
    canvas.fill([](double u, double v) { return radius(u, v + 0.05) - 0.05; }, paint);
    canvas.fill(
        [](double u, double v) {
            double below = v + 0.02;  // from the dot down to the foot
            double halfWidth = 0.012 + below * 0.1;
            return std::max(std::abs(u) - halfWidth, std::max(-below, below - 0.44));
        },
        paint);
    constexpr double kSpread = 40 * std::numbers::pi / 180;  // each wave's half angle
    for (double r : {0.14, 0.24, 0.34})
        canvas.fill(
            [r](double u, double v) {
                double w = v + 0.05;
                double ring = std::abs(radius(u, w) - r) - 0.022;
                double off = (std::atan2(std::abs(w), std::abs(u)) - kSpread) * radius(u, w);
                return std::max(ring, off);
            },
            paint);
    return canvas.done();
}

}  // namespace

ui::TBitmapPtr ResourcePicture(TResourcePicture id, int size) {
    size = std::clamp(size, 1, 4096);
    return id == TResourcePicture::rpRadio ? radio(size) : record(size);
}

bool ShowResourcePicture(ui::TImage& control, TResourcePicture id, bool fit) {
    int side = kResourcePictureSize;
    if (fit && control.Width() > 0 && control.Height() > 0) side = std::min(control.Width(), control.Height());
    control.Stretch.set(true);
    control.Proportional.set(true);
    control.Center.set(true);
    control.Picture.set(ResourcePicture(id, side));
    return true;
}

ui::TBitmapPtr CropToCentredSquare(const ui::TBitmapPtr& picture) {
    if (!picture || picture->Width == picture->Height) return picture;
    const int side = std::min(picture->Width, picture->Height);
    const int left = (picture->Width - side) / 2, top = (picture->Height - side) / 2;
    auto square = std::make_shared<ui::TBitmap>(side, side);
    for (int y = 0; y < side; ++y) {
        const uint32_t* from = &picture->Pixels[size_t(top + y) * size_t(picture->Width) + size_t(left)];
        std::copy(from, from + side, &square->at(0, y));
    }
    return square;
}

}  // namespace image

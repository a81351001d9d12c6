// Pictures the models draw: images (a cover) and paint boxes (the spectrum).
#include "kit/controls.h"
#include "qt/binders/binders.h"
#include "qt/watch.h"
#include "qt/widgets.h"

namespace orvelin::qt::binders {

using namespace ui;

QWidget* image(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TImage&>(c);
    auto* b = new BitmapWidget(parent);
    watch(m.Picture, b, [b](const TBitmapPtr& p) { b->setBitmap(p); });
    auto mode = [b, &m](const bool&) { b->setMode(m.Stretch(), m.Proportional(), m.Center()); };
    watch(m.Stretch, b, mode);
    watch(m.Proportional, b, mode);
    watch(m.Center, b, mode);
    return b;
}

QWidget* paintBox(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TPaintBox&>(c);
    auto* b = new BitmapWidget(parent);
    b->setMode(true, false, false);
    b->setFillsWidget(true);
    watch(m.Picture, b, [b](const TBitmapPtr& p) { b->setBitmap(p); });
    return b;
}

}  // namespace orvelin::qt::binders

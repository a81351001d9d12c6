// Controls that hold others: panels, group boxes, tab sheets and the page
// control that shows them.
#include <QFrame>
#include <QGroupBox>
#include <QTabWidget>

#include "kit/controls.h"
#include "qt/alignlayout.h"
#include "qt/binders/binders.h"
#include "qt/qtext.h"
#include "qt/watch.h"

namespace orvelin::qt::binders {

using namespace ui;

namespace {

// The children are laid out by the model's Align rules.
template <class Box>
Box* container(QWidget* parent) {
    auto* box = new Box(parent);
    new AlignLayout(box);
    return box;
}

}  // namespace

QWidget* panel(BinderContext&, TControl&, QWidget* parent) { return container<QFrame>(parent); }

QWidget* groupBox(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TGroupBox&>(c);
    auto* g = container<QGroupBox>(parent);
    watch(m.Caption, g, [g](const std::string& s) { g->setTitle(toQ(s)); });
    return g;
}

QWidget* tabControl(BinderContext&, TControl&, QWidget* parent) {
    auto* f = container<QFrame>(parent);
    f->setFrameShape(QFrame::StyledPanel);
    return f;
}

QWidget* tabSheet(BinderContext&, TControl&, QWidget* parent) { return container<QWidget>(parent); }

QWidget* pageControl(BinderContext& context, TControl& c, QWidget* parent) {
    auto& m = static_cast<TPageControl&>(c);
    auto* tabs = new QTabWidget(parent);
    // The tab widget places its pages; they are built here, not by the walk.
    for (TTabSheet* page : m.Pages()) {
        QWidget* pw = context.buildControl(*page, tabs);
        tabs->addTab(pw, toQ(page->Caption()));
        watch(page->Caption, pw, [tabs, pw](const std::string& s) { tabs->setTabText(tabs->indexOf(pw), toQ(s)); });
        watch(page->TabVisible, pw, [tabs, pw](const bool& on) { tabs->setTabVisible(tabs->indexOf(pw), on); });
    }
    watch(m.ActivePageIndex, tabs, [tabs](const int& i) {
        QSignalBlocker block(tabs);
        tabs->setCurrentIndex(i);
    });
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [&m](int i) {
        if (m.ActivePageIndex.set(i)) m.OnChange();
    });
    return tabs;
}

}  // namespace orvelin::qt::binders

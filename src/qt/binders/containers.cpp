// Controls that hold others: panels, group boxes, tab sheets and the page
// control that shows them.
#include <QFrame>
#include <QGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

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
    }
    // With every tab hidden something else (a tree) chooses the page: the
    // bar goes, and the pages stay reachable, which hidden tabs are not.
    auto tabsShown = [tabs, &m](const bool&) {
        const auto pages = m.Pages();
        bool any = std::any_of(pages.begin(), pages.end(), [](TTabSheet* p) { return p->TabVisible(); });
        tabs->tabBar()->setVisible(any);
        for (int i = 0; i < static_cast<int>(pages.size()); ++i)
            tabs->setTabVisible(i, !any || pages[static_cast<size_t>(i)]->TabVisible());
        QSignalBlocker block(tabs);
        tabs->setCurrentIndex(m.ActivePageIndex());
    };
    for (TTabSheet* page : m.Pages()) watch(page->TabVisible, tabs, tabsShown);
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

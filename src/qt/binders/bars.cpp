// Bars: the track bar the user drags, the progress bar, the status bar.
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolTip>

#include "kit/controls.h"
#include "qt/binders/binders.h"
#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/widgets.h"

namespace orvelin::qt::binders {

using namespace ui;

QWidget* trackBar(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TTrackBar&>(c);
    auto* s = new TrackBarWidget(m, parent);
    auto range = [s, &m](const int&) {
        QSignalBlocker block(s);
        s->setRange(m.Min(), m.Max());
        s->setValue(m.Position());
    };
    watch(m.Min, s, range);
    watch(m.Max, s, range);
    watch(m.Position, s, [s](const int& v) {
        QSignalBlocker block(s);
        s->setValue(v);
    });
    watch(m.Orientation, s, [s](const TTrackBarOrientation& o) {
        // A vertical track bar has its minimum at the top, as the keys and wheel agree.
        const bool vertical = o == TTrackBarOrientation::trVertical;
        s->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
        s->setInvertedAppearance(vertical);
        s->setInvertedControls(vertical);
    });
    watch(m.TickMarks, s, [s](const bool& on) { s->setTickPosition(on ? QSlider::TicksBelow : QSlider::NoTicks); });
    watch(m.Frequency, s, [s](const int& f) { s->setTickInterval(f); });
    QObject::connect(s, &QSlider::valueChanged, s, [&m](int v) { m.Position.set(v); });
    // A bar's hint follows its value (a time, a percentage) and shows at
    // the mouse while the mouse rests on the bar.
    watch(m.Hint, s, [s](const std::string& h) {
        if (s->underMouse() && !h.empty()) QToolTip::showText(QCursor::pos(), toQ(h), s);
    });
    return s;
}

QWidget* progressBar(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TProgressBar&>(c);
    auto* p = new QProgressBar(parent);
    auto range = [p, &m](const int&) { p->setRange(m.Min(), m.Max()); };
    watch(m.Min, p, range);
    watch(m.Max, p, range);
    watch(m.Position, p, [p](const int& v) { p->setValue(v); });
    return p;
}

QWidget* statusBar(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TStatusBar&>(c);
    auto* bar = new QFrame(parent);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    watch(m.Panels, bar, [bar, layout](const std::vector<TStatusPanel>& panels) {
        while (layout->count() < static_cast<int>(panels.size())) {
            auto* l = new QLabel(bar);
            l->setFrameShape(QFrame::Panel);
            l->setFrameShadow(QFrame::Sunken);
            layout->addWidget(l);
        }
        while (layout->count() > static_cast<int>(panels.size())) delete layout->takeAt(layout->count() - 1)->widget();
        for (size_t i = 0; i < panels.size(); ++i) {
            auto* l = static_cast<QLabel*>(layout->itemAt(static_cast<int>(i))->widget());
            l->setText(toQ(panels[i].Text));
            l->setAlignment(toQt(panels[i].Alignment));
            // The last panel takes what is left, as status bars do.
            if (i + 1 < panels.size()) {
                l->setFixedWidth(panels[i].Width);
            } else {
                l->setMinimumWidth(std::min(panels[i].Width, 20));
                l->setMaximumWidth(QWIDGETSIZE_MAX);
            }
        }
    });
    return bar;
}

}  // namespace orvelin::qt::binders

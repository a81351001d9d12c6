// Menus: the model's menu items as Qt actions, the form's popup menus, and
// the tray icon with its menu and balloon.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <map>
#include <memory>

#include "qt/icons.h"
#include "qt/keys.h"
#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/windowbuilder.h"

namespace orvelin::qt {

using namespace ui;

namespace {
// A run of tabs in a caption puts the rest in the menu's right-hand column,
// where Qt expects one tab.
QString menuText(const std::string& caption) {
    QString text = toQ(caption);
    qsizetype tab = text.indexOf(u'\t');
    if (tab < 0) return text;
    qsizetype rest = tab;
    while (rest < text.size() && text[rest] == u'\t') ++rest;
    return text.left(tab) + u'\t' + text.mid(rest);
}
}  // namespace

void WindowBuilder::fillMenu(QMenu* menu, TMenuItem& item) {
    auto rebuild = std::make_shared<std::function<void()>>();
    *rebuild = [this, menu, &item, weak = std::weak_ptr<std::function<void()>>(rebuild)] {
        // Everything the last build made goes, with the observers it holds.
        // A copy: each delete takes the object out of the menu's own list.
        const QObjectList children = menu->children();
        for (QObject* o : children)
            if (o->property("orvelinBuilt").toBool()) delete o;
        menu->clear();
        std::map<int, QActionGroup*> groups;
        for (TMenuItem* child : item.Items()) {
            QAction* a;
            if (child->IsSeparator()) {
                a = new QAction(menu);
                a->setSeparator(true);
            } else if (!child->Items().empty()) {
                auto* sub = new QMenu(menu);
                sub->setProperty("orvelinBuilt", true);
                fillMenu(sub, *child);
                a = sub->menuAction();
            } else {
                a = new QAction(menu);
                QObject::connect(a, &QAction::triggered, a, [a, child] {
                    child->Click();
                    a->setChecked(child->Checked());  // the model's tick is the truth
                });
            }
            a->setProperty("orvelinBuilt", true);
            menu->addAction(a);
            watch(child->Visible, a, [a](const bool& on) { a->setVisible(on); });
            // A leaf that gains children becomes a submenu, and back.
            bool wasEmpty = child->Items().empty();
            watch(child->Items, a, [menu, weak, wasEmpty](const std::vector<TMenuItem*>& items) {
                if (items.empty() == wasEmpty) return;
                if (auto again = weak.lock()) QTimer::singleShot(0, menu, *again);
            });
            if (child->IsSeparator()) continue;
            watch(child->Caption, a, [a](const std::string& s) { a->setText(menuText(s)); });
            watch(child->Enabled, a, [a](const bool& on) { a->setEnabled(on); });
            watch(child->ShortCut, a, [a](const TShortCut& s) { a->setShortcut(toSequence(s)); });
            watch(child->Checked, a, [a, child](const bool& on) {
                a->setCheckable(on || child->RadioItem());
                a->setChecked(on);
            });
            if (child->RadioItem()) {
                QActionGroup*& g = groups[child->GroupIndex()];
                if (!g) {
                    g = new QActionGroup(menu);
                    g->setProperty("orvelinBuilt", true);
                    g->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);  // the model ticks
                }
                g->addAction(a);
            }
        }
    };
    // The observer keeps the rebuild function alive as long as the menu exists.
    watch(item.Items, menu, [rebuild](const std::vector<TMenuItem*>&) { (*rebuild)(); });
}

void WindowBuilder::bindPopups() {
    for (TComponent* comp : form_.Components()) {
        if (comp->Kind() == TControlKind::PopupMenu) {
            auto& m = *static_cast<TPopupMenu*>(comp);
            auto* menu = new QMenu(window_);
            menu->setObjectName(toQ(m.Name()));
            fillMenu(menu, m.Root());
            m.OnPopupRequest = [this, menu](const TPopupPlacement& where) {
                QPoint at(where.X, where.Y);
                if (where.Anchor) {
                    if (QWidget* aw = widgetOf(where.Anchor)) {
                        QPoint corner = aw->mapToGlobal(QPoint(aw->width(), aw->height()));
                        at = where.BelowRightAligned ? corner - QPoint(menu->sizeHint().width(), 0) : corner;
                        if (where.Above) at = aw->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height());
                    }
                }
                menu->popup(at);
            };
        } else if (comp->Kind() == TControlKind::TrayIcon) {
            auto& m = *static_cast<TTrayIcon*>(comp);
            auto* tray = new QSystemTrayIcon(trayIcon(m.IconIndex()), window_);
            m.SystemTrayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
            if (m.PopupMenu) {
                auto* menu = new QMenu(window_);
                fillMenu(menu, m.PopupMenu->Root());
                tray->setContextMenu(menu);
            }
            watch(m.Hint, tray, [tray](const std::string& s) { tray->setToolTip(toQ(s)); });
            watch(m.IconIndex, tray, [tray](const int& i) { tray->setIcon(trayIcon(i)); });
            watch(m.Visible, tray, [tray](const bool& on) {
                if (QSystemTrayIcon::isSystemTrayAvailable()) tray->setVisible(on);
            });
            QObject::connect(tray, &QSystemTrayIcon::activated, tray, [&m](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::DoubleClick) m.OnDblClick();
                if (r == QSystemTrayIcon::Trigger) m.OnClick();
            });
            m.OnBalloonRequest = [tray, &m] {
                if (tray->isVisible()) tray->showMessage(toQ(m.BalloonTitle()), toQ(m.BalloonHint()));
            };
        }
    }
}

}  // namespace orvelin::qt

#include "qt/icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include "ui/tform1.h"

namespace orvelin::qt {

namespace {

using B = ui::TForm1;

void drawGlyph(QPainter& p, int index) {
    QColor ink = QApplication::palette().color(QPalette::ButtonText);
    // A mode that is off shows its picture faded.
    if (index == B::biRandomOff || index == B::biRepeatOff) {
        ink.setAlpha(80);
        index = index == B::biRandomOff ? B::biRandom : B::biRepeat;
    }
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    auto poly = [&](std::initializer_list<QPointF> pts) { p.drawPolygon(QPolygonF(QList<QPointF>(pts))); };
    switch (index) {
    case B::biPlay: poly({{6, 4}, {16, 10}, {6, 16}}); break;
    case B::biPause:
        p.drawRect(QRectF(5, 4, 3, 12));
        p.drawRect(QRectF(12, 4, 3, 12));
        break;
    case B::biStop: p.drawRect(QRectF(5, 5, 10, 10)); break;
    case B::biPrevious:
        p.drawRect(QRectF(4, 5, 2, 10));
        poly({{16, 5}, {7, 10}, {16, 15}});
        break;
    case B::biNext:
        poly({{4, 5}, {13, 10}, {4, 15}});
        p.drawRect(QRectF(14, 5, 2, 10));
        break;
    case B::biRandom:
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3, 6), QPointF(7, 6));
        p.drawLine(QPointF(7, 6), QPointF(13, 14));
        p.drawLine(QPointF(13, 14), QPointF(17, 14));
        p.drawLine(QPointF(3, 14), QPointF(7, 14));
        p.drawLine(QPointF(7, 14), QPointF(13, 6));
        p.drawLine(QPointF(13, 6), QPointF(17, 6));
        p.drawLine(QPointF(15, 4), QPointF(17, 6));
        p.drawLine(QPointF(15, 16), QPointF(17, 14));
        break;
    case B::biRepeat:
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 4, 14, 12), 30 * 16, 300 * 16);
        poly({{15, 2}, {18, 6}, {13, 7}});
        break;
    case B::biSound:
    case B::biSoundOff:
        poly({{3, 8}, {6, 8}, {10, 4}, {10, 16}, {6, 12}, {3, 12}});
        p.setBrush(Qt::NoBrush);
        if (index == B::biSound) {
            p.drawArc(QRectF(9, 6, 6, 8), -60 * 16, 120 * 16);
            p.drawArc(QRectF(9, 3, 9, 14), -60 * 16, 120 * 16);
        } else {
            p.drawLine(QPointF(12, 7), QPointF(17, 13));
            p.drawLine(QPointF(17, 7), QPointF(12, 13));
        }
        break;
    case B::biSettings: {
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10, 10), 3, 3);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(10, 10);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, -5), QPointF(0, -7.5));
            p.restore();
        }
        p.drawEllipse(QPointF(10, 10), 5.5, 5.5);
        break;
    }
    case B::biAdd:
        p.drawLine(QPointF(10, 4), QPointF(10, 16));
        p.drawLine(QPointF(4, 10), QPointF(16, 10));
        break;
    case B::biDelete: p.drawLine(QPointF(4, 10), QPointF(16, 10)); break;
    case B::biSort:
        p.drawLine(QPointF(6, 4), QPointF(6, 16));
        poly({{3, 13}, {6, 16}, {9, 13}});
        p.drawLine(QPointF(11, 6), QPointF(17, 6));
        p.drawLine(QPointF(11, 10), QPointF(15, 10));
        p.drawLine(QPointF(11, 14), QPointF(13, 14));
        break;
    case B::biPlaylists:
        p.setBrush(Qt::NoBrush);
        for (int y : {5, 10, 15}) p.drawLine(QPointF(4, y), QPointF(16, y));
        break;
    case B::biMore:
        for (int x : {5, 10, 15}) p.drawEllipse(QPointF(x, 10), 1.2, 1.2);
        break;
    default: break;
    }
}

}  // namespace

QIcon buttonIcon(int index) {
    if (index < 0) return {};
    QPixmap pm(40, 40);
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, index);
    return QIcon(pm);
}

QIcon trayIcon(int index) {
    if (index != 0 && index != 1) return appIcon();
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = index == 0 ? QColor(0x20, 0x20, 0x20) : QColor(0xF0, 0xF0, 0xF0);
    p.setPen(QPen(ink, 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(QPolygonF(QList<QPointF>{{24, 16}, {48, 32}, {24, 48}}));
    return QIcon(pm);
}

QIcon appIcon() {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2D, 0x6C, 0xDF));
    p.drawEllipse(QRectF(2, 2, 60, 60));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF(QList<QPointF>{{24, 16}, {48, 32}, {24, 48}}));
    return QIcon(pm);
}

}  // namespace orvelin::qt

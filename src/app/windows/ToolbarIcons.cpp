#include "app/windows/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace zelta::icons {

namespace {

// Draws a picture given in a 24 x 24 grid at the usual sizes.
QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 24.0, size / 24.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kOutline(0x30, 0x30, 0x30);

void person(QPainter& p, QPointF head, double scale, const QColor& color)
{
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(color);
    const double r = 3.2 * scale;
    QPainterPath body;
    const QPointF base(head.x(), head.y() + r + 1.0 * scale);
    body.moveTo(base.x() - 6.0 * scale, base.y() + 9.0 * scale);
    body.cubicTo(base.x() - 6.0 * scale, base.y() + 1.0 * scale, base.x() - 3.5 * scale, base.y(), base.x(), base.y());
    body.cubicTo(base.x() + 3.5 * scale, base.y(), base.x() + 6.0 * scale, base.y() + 1.0 * scale, base.x() + 6.0 * scale,
                 base.y() + 9.0 * scale);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(0xf2, 0xc9, 0x9e));
    p.drawEllipse(head, r, r);
}

} // namespace

QIcon advisors()
{
    return drawn([](QPainter& p) {
        person(p, QPointF(12, 9), 1.0, QColor(0x2a, 0x4f, 0x9a));
        // Academic cap on the head.
        p.setPen(QPen(kOutline, 0.6));
        p.setBrush(QColor(0x20, 0x20, 0x20));
        p.drawPolygon(QPolygonF{QPointF(12, 3.0), QPointF(18.5, 5.6), QPointF(12, 8.2), QPointF(5.5, 5.6)});
        p.setPen(QPen(QColor(0xe0, 0xb0, 0x20), 0.9));
        p.drawLine(QPointF(18.0, 5.8), QPointF(18.0, 9.5));
    });
}

QIcon holders()
{
    return drawn([](QPainter& p) {
        person(p, QPointF(8.5, 6.5), 0.85, QColor(0x2e, 0x8b, 0x57));
        person(p, QPointF(15.5, 9.5), 0.85, QColor(0x3c, 0xb3, 0x71));
    });
}

QIcon verification()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(kOutline, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 13, 18));
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.9));
        for (double y : {6.5, 9.5, 12.5})
            p.drawLine(QPointF(7, y), QPointF(15, y));
        p.setPen(QPen(QColor(0x1f, 0x9d, 0x3a), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{QPointF(10, 15.5), QPointF(13.5, 19.5), QPointF(21, 10)});
    });
}

QIcon disk()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(kOutline, 0.9));
        p.setBrush(QColor(0x24, 0x3b, 0x6e));
        p.drawPolygon(QPolygonF{QPointF(3, 3), QPointF(18.5, 3), QPointF(21, 5.5), QPointF(21, 21), QPointF(3, 21)});
        p.setBrush(QColor(0xc8, 0xcc, 0xd2));
        p.drawRect(QRectF(7, 3, 9, 6.5));
        p.setBrush(QColor(0x24, 0x3b, 0x6e));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(12.5, 4, 2, 4.5));
        p.setPen(QPen(kOutline, 0.7));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 12.5, 12, 8.5));
        p.setPen(QPen(QColor(0xa0, 0x30, 0x30), 0.8));
        p.drawLine(QPointF(7.5, 15), QPointF(16.5, 15));
        p.drawLine(QPointF(7.5, 17.5), QPointF(14, 17.5));
    });
}

QIcon reports()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(kOutline, 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 2.5, 10, 8));
        p.setBrush(QColor(0x8a, 0x8f, 0x98));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8.5), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 14.5, 11, 7.5));
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.7));
        p.drawLine(QPointF(8.5, 17), QPointF(15.5, 17));
        p.drawLine(QPointF(8.5, 19.5), QPointF(13.5, 19.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3c, 0xd0, 0x50));
        p.drawEllipse(QPointF(18.5, 12), 0.9, 0.9);
    });
}

QIcon exit()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(kOutline, 0.9));
        p.setBrush(QColor(0x8b, 0x5a, 0x2b));
        p.drawRect(QRectF(3.5, 2.5, 10, 19));
        p.setBrush(QColor(0xe8, 0xc0, 0x40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(11.3, 12.5), 0.9, 0.9);
        p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(12.5, 12.5), QPointF(20.5, 12.5));
        p.drawPolyline(QPolygonF{QPointF(17.5, 9), QPointF(21, 12.5), QPointF(17.5, 16)});
    });
}

} // namespace zelta::icons

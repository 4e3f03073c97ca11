#include "widgets/Icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace mojing::Icons {

QPixmap programPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    QLinearGradient ink(0, 0, 0, 64);
    ink.setColorAt(0, QColor(40, 74, 118));
    ink.setColorAt(1, QColor(12, 28, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);

    // Whale: a round body, a lifted tail and a spout.
    QPainterPath whale;
    whale.moveTo(8, 38);
    whale.cubicTo(8, 24, 26, 20, 38, 26);
    whale.cubicTo(44, 29, 47, 33, 50, 30);
    whale.lineTo(56, 20);
    whale.lineTo(55, 33);
    whale.lineTo(60, 36);
    whale.lineTo(51, 37);
    whale.cubicTo(46, 46, 30, 50, 18, 47);
    whale.cubicTo(12, 46, 8, 43, 8, 38);
    p.setBrush(QColor(245, 248, 252));
    p.drawPath(whale);
    p.setBrush(QColor(12, 28, 52));
    p.drawEllipse(QPointF(17, 34), 1.8, 1.8);

    QPen spout(QColor(160, 205, 240), 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(spout);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(22, 21), QPointF(22, 13));
    p.drawArc(QRectF(14, 9, 8, 8), 0 * 16, 120 * 16);
    p.drawArc(QRectF(22, 9, 8, 8), 60 * 16, 120 * 16);

    // Ink waves under the whale.
    QPen wave(QColor(120, 160, 205), 2.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    QPainterPath waves;
    waves.moveTo(8, 54);
    waves.cubicTo(16, 50, 20, 58, 28, 54);
    waves.cubicTo(36, 50, 40, 58, 48, 54);
    waves.cubicTo(52, 52, 54, 53, 56, 54);
    p.drawPath(waves);
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(programPixmap(size));
    return icon;
}

QPixmap openAccessPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 14.0, size / 14.0);
    // An open padlock in orange.
    const QColor orange(236, 120, 20);
    p.setPen(QPen(orange, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(4, 7);
    shackle.lineTo(4, 4);
    shackle.arcTo(QRectF(4, 1, 6, 6), 180, -180);
    shackle.lineTo(10, 3.5);
    p.drawPath(shackle);
    p.setPen(Qt::NoPen);
    p.setBrush(orange);
    p.drawRoundedRect(QRectF(2, 7, 10, 6.5), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(7, 10.2), 1.2, 1.2);
    return pixmap;
}

} // namespace mojing::Icons

#include "DownloadStateIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace mojing {

QPixmap DownloadStateIcons::pixmap(int state, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF disc(0.5, 0.5, s - 1, s - 1);
    QPen white(Qt::white, s / 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (state) {
    case 1: { // waiting: a grey clock
        p.setPen(QPen(QColor(110, 110, 110), 1));
        p.setBrush(QColor(225, 225, 225));
        p.drawEllipse(disc);
        p.setPen(QPen(QColor(70, 70, 70), s / 9.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s / 2, s / 2), QPointF(s / 2, s * 0.22));
        p.drawLine(QPointF(s / 2, s / 2), QPointF(s * 0.72, s / 2));
        break;
    }
    case 2: { // downloading: a blue disc with a downward arrow
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 110, 210));
        p.drawEllipse(disc);
        p.setPen(white);
        p.drawLine(QPointF(s / 2, s * 0.2), QPointF(s / 2, s * 0.72));
        p.drawLine(QPointF(s * 0.28, s * 0.5), QPointF(s / 2, s * 0.74));
        p.drawLine(QPointF(s * 0.72, s * 0.5), QPointF(s / 2, s * 0.74));
        break;
    }
    case 3: { // finished: a green disc with a tick
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 150, 70));
        p.drawEllipse(disc);
        p.setPen(white);
        QPainterPath tick;
        tick.moveTo(s * 0.25, s * 0.52);
        tick.lineTo(s * 0.43, s * 0.7);
        tick.lineTo(s * 0.76, s * 0.3);
        p.drawPath(tick);
        break;
    }
    case 5: { // a web page: a white sheet with a blue band and lines of text
        const QRectF sheet(s * 0.16, s * 0.06, s * 0.68, s * 0.88);
        p.setPen(QPen(QColor(60, 90, 140), qMax(1.0, s / 14.0)));
        p.setBrush(Qt::white);
        p.drawRoundedRect(sheet, s * 0.06, s * 0.06);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 110, 210));
        p.drawRect(QRectF(sheet.left(), sheet.top(), sheet.width(), s * 0.2));
        p.setPen(QPen(QColor(120, 130, 150), qMax(1.0, s / 14.0)));
        for (const qreal y : {0.5, 0.66, 0.82})
            p.drawLine(QPointF(s * 0.28, s * y), QPointF(s * 0.72, s * y));
        break;
    }
    case 6: { // an error page: an amber warning triangle with an exclamation mark
        QPainterPath triangle;
        triangle.moveTo(s / 2, s * 0.06);
        triangle.lineTo(s * 0.96, s * 0.92);
        triangle.lineTo(s * 0.04, s * 0.92);
        triangle.closeSubpath();
        p.setPen(QPen(QColor(150, 95, 0), qMax(1.0, s / 14.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(245, 175, 20));
        p.drawPath(triangle);
        p.setPen(QPen(QColor(40, 30, 0), s / 8.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s / 2, s * 0.36), QPointF(s / 2, s * 0.6));
        p.drawPoint(QPointF(s / 2, s * 0.77));
        break;
    }
    default: { // failed: a red disc with a cross
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(205, 40, 40));
        p.drawEllipse(disc);
        p.setPen(white);
        p.drawLine(QPointF(s * 0.3, s * 0.3), QPointF(s * 0.7, s * 0.7));
        p.drawLine(QPointF(s * 0.7, s * 0.3), QPointF(s * 0.3, s * 0.7));
        break;
    }
    }
    return pm;
}

QIcon DownloadStateIcons::icon(RowIcon kind) {
    return icon(int(kind));
}

QIcon DownloadStateIcons::icon(int state) {
    static std::array<QIcon, 6> cache;
    const int index = std::clamp(state, 1, 6) - 1;
    if (cache[size_t(index)].isNull()) {
        QIcon icon;
        icon.addPixmap(pixmap(index + 1, 14));
        icon.addPixmap(pixmap(index + 1, 28));
        cache[size_t(index)] = icon;
    }
    return cache[size_t(index)];
}

} // namespace mojing

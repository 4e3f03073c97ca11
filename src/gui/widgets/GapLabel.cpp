#include "widgets/GapLabel.h"

#include <QPainter>

namespace mojing {

GapLabel::GapLabel(const QString& caption, QWidget* field, QWidget* parent)
    : QLabel(caption, parent), m_field(field) {
    m_field->setParent(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString GapLabel::prefix() const {
    const qsizetype gap = text().indexOf(u' ');
    return gap < 0 ? text() : text().left(gap);
}

QString GapLabel::suffix() const {
    const qsizetype end = text().lastIndexOf(u' ');
    return end < 0 ? QString() : text().mid(end + 1);
}

int GapLabel::fieldWidth() const {
    const int gap = fontMetrics().horizontalAdvance(text()) - fontMetrics().horizontalAdvance(prefix()) -
                    fontMetrics().horizontalAdvance(suffix());
    // A field with a fixed width keeps it; others take their preferred width.
    return std::max(gap, std::min(m_field->sizeHint().width(), m_field->maximumWidth()));
}

QSize GapLabel::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int width = fm.horizontalAdvance(prefix()) + fieldWidth() + fm.horizontalAdvance(suffix()) + 8;
    return {width, std::max(fm.height(), m_field->sizeHint().height())};
}

void GapLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    const int h = m_field->sizeHint().height();
    m_field->setGeometry(fontMetrics().horizontalAdvance(prefix()) + 2, (height() - h) / 2, fieldWidth(), h);
}

void GapLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    const QFontMetrics fm = fontMetrics();
    const int baseline = (height() + fm.ascent() - fm.descent()) / 2;
    p.drawText(0, baseline, prefix());
    p.drawText(fm.horizontalAdvance(prefix()) + fieldWidth() + 6, baseline, suffix());
}

} // namespace mojing

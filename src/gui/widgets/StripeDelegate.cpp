#include "widgets/StripeDelegate.h"

namespace mojing {

StripeDelegate::StripeDelegate(int stripeRole, QObject* parent)
    : QStyledItemDelegate(parent), m_role(stripeRole) {}

void StripeDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->backgroundBrush = index.data(m_role).toInt() == 0 ? QBrush(kGreen) : QBrush(Qt::white);
}

} // namespace mojing

#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace mojing {

// Paints the alternating row bands of the program's lists: band 0 light green, band 1 white.
// The band comes from the model's stripe role, so the colours stay with the rows when sorting.
class StripeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static inline const QColor kGreen{231, 248, 237};

    StripeDelegate(int stripeRole, QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int m_role;
};

} // namespace mojing

#pragma once

#include "widgets/StripeDelegate.h"

namespace mojing {

// The download list's cells: striped rows, and the state picture in front of the name.
class DownloadRowDelegate : public StripeDelegate {
    Q_OBJECT
public:
    explicit DownloadRowDelegate(QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace mojing

#pragma once

#include "widgets/StripeDelegate.h"

namespace mojing {

// The download list's cells: striped rows, and the row's picture (its state; for a finished row,
// whether it holds a file, a web page or an error page) in front of the name.
class DownloadRowDelegate : public StripeDelegate {
    Q_OBJECT
public:
    explicit DownloadRowDelegate(QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace mojing

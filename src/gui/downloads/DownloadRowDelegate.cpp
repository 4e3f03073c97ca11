#include "DownloadRowDelegate.h"

#include "DownloadStateIcons.h"
#include "downloads/DownloadListModel.h"

namespace mojing {

DownloadRowDelegate::DownloadRowDelegate(QObject* parent)
    : StripeDelegate(DownloadListModel::StripeRole, parent) {}

void DownloadRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    StripeDelegate::initStyleOption(option, index);
    if (index.column() == DownloadListModel::NameCol) {
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = DownloadStateIcons::icon(index.data(DownloadListModel::IconRole).toInt());
        option->decorationSize = QSize(14, 14);
    }
}

} // namespace mojing

#pragma once

#include <QIdentityProxyModel>

namespace mojing {

// Sits between a file dialog and its file list: sizes and modification times read in the
// program's locale (QLocale()), where the file list itself writes them in the system's locale
// ("9 Dec" on a system without one). Everything else passes through unchanged.
class LocalizedFileModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

} // namespace mojing

#include "widgets/LocalizedFileModel.h"

#include <QFileSystemModel>
#include <QLocale>

namespace mojing {

namespace {
// The file list's columns.
constexpr int kSizeColumn = 1;
constexpr int kTimeColumn = 3;
} // namespace

QVariant LocalizedFileModel::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || role != Qt::DisplayRole || (index.column() != kSizeColumn && index.column() != kTimeColumn))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == kTimeColumn)
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    if (files->isDir(source))
        return QString();
    return QLocale().formattedDataSize(files->size(source));
}

} // namespace mojing

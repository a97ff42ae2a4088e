#include "ui/lists/CameraListModel.h"

#include "ui/lists/CameraListView.h"

namespace zka {

CameraListModel::CameraListModel(const CameraListView& view)
    : view_(view)
{
}

void CameraListModel::setColumns(std::vector<Column> columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

int CameraListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : view_.listRowCount();
}

int CameraListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant CameraListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= view_.listRowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return view_.cellText(index.row(), index.column());
    return view_.cellData(index.row(), index.column(), role);
}

QVariant CameraListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return columns_[std::size_t(section)].title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[std::size_t(section)].alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CameraListModel::flags(const QModelIndex& index) const
{
    // Selectable, never editable: the lists refuse to edit their labels.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace zka

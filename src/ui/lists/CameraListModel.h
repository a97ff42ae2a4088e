#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace zka {

class CameraListView;

// The item model behind a camera list. It keeps no rows of its own: it asks its view, which keeps
// them in whatever form its kind of list needs, and it hears of every change through the view's
// begin/end helpers. It exists so that the list gets the item view's selection, keyboard navigation,
// scrolling and accessibility for free.
class CameraListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Column {
        QString title;
        int width = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    explicit CameraListModel(const CameraListView& view);

    void setColumns(std::vector<Column> columns);
    const std::vector<Column>& columns() const { return columns_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    friend class CameraListView;

    const CameraListView& view_;
    std::vector<Column> columns_;
};

} // namespace zka

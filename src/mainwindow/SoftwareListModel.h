#pragma once

#include "mainwindow/ListRow.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <vector>

namespace mainwindow {

// The rows of the software list. Rows are formatted once when they are set; sorting reorders an
// index vector over them, so a sort costs no formatting and no row copies.
class SoftwareListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoftwareListModel)

public:
    enum Role {
        SortRole = Qt::UserRole + 1, // typed value: qint64 size / price, QDate date, else text
        KeyRole,                     // TargetURL
        BaseRole,                    // BaseURL
        MarkRole,                    // entry mark
    };
    // The drag format of list rows; the tree reads only that it is there.
    static QString DragFormat();

    explicit SoftwareListModel(QObject* parent = nullptr);

    // Replaces every row and sorts them by the current sort.
    void setRows(std::vector<ListRow> rows);
    void clear();

    // The row shown at position r.
    const ListRow& rowAt(int r) const { return m_rows[std::size_t(m_order[std::size_t(r)])]; }

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Shows the header arrow of one column: image 0 ascending, 1 descending; -1 none.
    void setHeaderImage(int column, int image);
    int headerImage(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    QVariant sortValue(const ListRow& row, int column) const;
    QVariant toolTip(const ListRow& row, int column) const;
    void sortOrderVector();
    const QIcon& listIcon(int number) const;
    const std::vector<QString>& foldedColumn(int column);

    std::vector<ListRow> m_rows;
    std::vector<int> m_order; // display position -> index in m_rows
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<int> m_headerImage;
    // Case-folded texts of a text column, made at its first sort after a fill.
    std::array<std::vector<QString>, ColumnCount> m_folded;
    mutable std::vector<QIcon> m_icons;
    QIcon m_sortIcons[2];
};

} // namespace mainwindow

#pragma once

#include "mainwindow/EntryKey.h"
#include "mainwindow/SoftwareListModel.h"

#include <QList>
#include <QString>
#include <QTreeView>

namespace mainwindow {

// The report-style software list `lstView`: the rows of one folder, of the favourites or of
// the last search result, sorted by any column with an arrow in the header, several rows
// selectable, and the drag source of its selected rows.
class SoftwareList final : public QTreeView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoftwareList)

public:
    explicit SoftwareList(QWidget* parent = nullptr);

    SoftwareListModel* listModel() const { return m_model; }

    // Builds the columns from the stored widths and restores the stored sort.
    bool SetupListColumns();
    // The list font and the column widths of the settings.
    void ApplyFont();
    void ApplyColumnWidths();
    // Replaces the rows with the entries of a folder key, "Favorites" or "Search"; selects the
    // first row. False when the catalogue cannot be read (the list is then empty).
    bool FillSoftwareList(const QString& key);
    // Shows (or removes) the sort arrow of a column: image 0 ascending, 1 descending.
    void SetSortMark(int column, int image, bool show);
    // 0 selects every row, 1 inverts the selection, 2 clears it.
    bool SelectRows(int mode);
    int SelectedCount() const;
    int RowCount() const { return m_model->rowCount(); }

    // The list's selected item: its current row when that is selected, else the first
    // selected row; -1 without a selection.
    int SelectedRow() const;
    // Selected rows in list order.
    QList<int> SelectedRows() const;
    QList<EntryKey> SelectedEntries() const;
    EntryKey EntryAt(int row) const;

    // The header click: sort by the column (the icon column sorts by the entry mark), the order
    // toggling on every click.
    void SortByColumnClick(int column);
    // Column widths in twips, the hidden mark column included.
    QList<int> ColumnWidthsTwips() const;

signals:
    // The user changed the selection (not emitted while the list is being filled).
    void selectionEdited();
    // A double click on a row, or Enter on the current row.
    void rowActivated();
    // Right button released over the list, or the menu key pressed.
    void contextMenuWanted(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The menu key (or Shift+F10) opens the context menu at the current row.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

private:
    void applySort(int column, int order);
    void selectFirstRow();

    SoftwareListModel* m_model;
    bool m_filling = false;
};

} // namespace mainwindow

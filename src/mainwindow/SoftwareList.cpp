#include "mainwindow/SoftwareList.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/WindowLayout.h"
#include "util/Trace.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace mainwindow {

namespace {

// The list rows of the entries a list key stands for, made as the entries are read; false when
// the catalogue could not be read.
bool ReadEntries(const QString& key, std::vector<ListRow>* rows, QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        *error = db.lastError().nativeErrorCode();
        return false;
    }
    const auto add = [rows](const catalogue::EntryRow& entry) {
        rows->push_back(MakeListRow(entry));
    };
    const catalogue::EntryFields fields = catalogue::EntryFields::List;
    bool read = false;
    if (key == u"Favorites")
        read = catalogue::VisitFavoriteEntries(db, fields, add);
    else if (key == u"Search")
        read = catalogue::VisitSearchEntries(db, config::settings().SearchMax, fields, add);
    else
        read = catalogue::VisitFolderEntries(db, key, fields, add);
    if (!read)
        *error = db.lastError().nativeErrorCode();
    return read;
}

} // namespace

SoftwareList::SoftwareList(QWidget* parent)
    : QTreeView(parent), m_model(new SoftwareListModel(this))
{
    setObjectName(QStringLiteral("lstView"));
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // the header click is handled here: its order rule is our own
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionClicked, this, &SoftwareList::SortByColumnClick);
}

bool SoftwareList::SetupListColumns()
{
    const config::Settings& s = config::settings();
    m_model->clear();
    ApplyFont();
    ApplyColumnWidths();
    setColumnHidden(MarkColumn, true);
    const int key = s.SortKey >= 0 && s.SortKey < ColumnCount ? s.SortKey : 0;
    const int order = s.SortOrder == 1 ? 1 : 0;
    applySort(key, order);
    SetSortMark(key == MarkColumn ? IconColumn : key, order, true);
    return true;
}

void SoftwareList::ApplyFont()
{
    const config::Settings& s = config::settings();
    setFont(QFont(s.ListViewFont, s.ListViewFontSize > 0 ? s.ListViewFontSize : 10));
}

void SoftwareList::ApplyColumnWidths()
{
    const config::Settings& s = config::settings();
    const double dpi = LogicalDpi(this);
    for (int c = 0; c < MarkColumn; ++c)
        header()->resizeSection(c, TwipsToPixels(s.ListViewWidths[std::size_t(c)], dpi));
    header()->resizeSection(MarkColumn, 0);
}

bool SoftwareList::FillSoftwareList(const QString& key)
{
    WaitCursor wait;
    m_filling = true;
    m_model->clear();
    std::vector<ListRow> rows;
    QString error;
    const bool read = ReadEntries(key, &rows, &error);
    if (read)
        m_model->setRows(std::move(rows));
    else
        util::TraceIfDebug(QStringLiteral("リストビューの更新に失敗(") + error + u')');
    selectFirstRow();
    m_filling = false;
    return read;
}

void SoftwareList::selectFirstRow()
{
    if (m_model->rowCount() == 0)
        return;
    const QModelIndex first = m_model->index(0, 0);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollToTop();
}

void SoftwareList::SetSortMark(int column, int image, bool show)
{
    m_model->setHeaderImage(column, show ? image : -1);
}

void SoftwareList::SortByColumnClick(int column)
{
    WaitCursor wait;
    const int sortColumn = column == IconColumn ? MarkColumn : column;
    const int order = m_model->sortOrder() == Qt::DescendingOrder ? 0 : 1;
    applySort(sortColumn, order);
    for (int j = 0; j < ColumnCount; ++j)
        SetSortMark(j, order, j == column);
}

void SoftwareList::applySort(int column, int order)
{
    m_model->sort(column, order == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool SoftwareList::SelectRows(int mode)
{
    if (m_model->rowCount() > 0) {
        const QItemSelection all(m_model->index(0, 0),
                                 m_model->index(m_model->rowCount() - 1, ColumnCount - 1));
        switch (mode) {
        case 0:
            selectionModel()->select(all, QItemSelectionModel::Select);
            break;
        case 1:
            selectionModel()->select(all, QItemSelectionModel::Toggle);
            break;
        case 2:
            selectionModel()->clearSelection();
            break;
        default:
            break;
        }
    }
    return true;
}

int SoftwareList::SelectedCount() const
{
    return int(selectionModel()->selectedRows().size());
}

int SoftwareList::SelectedRow() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), {}))
        return current.row();
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QList<int> SoftwareList::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<EntryKey> SoftwareList::SelectedEntries() const
{
    QList<EntryKey> entries;
    for (int row : SelectedRows())
        entries.append(EntryAt(row));
    return entries;
}

EntryKey SoftwareList::EntryAt(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return {};
    const ListRow& r = m_model->rowAt(row);
    return {r.base, r.key};
}

QList<int> SoftwareList::ColumnWidthsTwips() const
{
    const double dpi = LogicalDpi(this);
    QList<int> widths;
    for (int c = 0; c < ColumnCount; ++c)
        widths.append(isColumnHidden(c) ? 0 : PixelsToTwips(header()->sectionSize(c), dpi));
    return widths;
}

void SoftwareList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        if (currentIndex().isValid())
            emit rowActivated();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void SoftwareList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    // Only a double click that hits a row acts.
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit rowActivated();
}

void SoftwareList::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton && m_model->rowCount() > 0)
        emit contextMenuWanted(event->globalPosition().toPoint());
}

void SoftwareList::contextMenuEvent(QContextMenuEvent* event)
{
    // The mouse's menu opens when the right button is released.
    if (event->reason() != QContextMenuEvent::Keyboard || m_model->rowCount() == 0) {
        event->ignore();
        return;
    }
    event->accept();
    const QRect row = visualRect(currentIndex());
    emit contextMenuWanted(viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint()));
}

void SoftwareList::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    if (!m_filling)
        emit selectionEdited();
}

} // namespace mainwindow

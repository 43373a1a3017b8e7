#include "mainwindow/SoftwareListModel.h"

#include "resources/IconNames.h"
#include "resources/Icons.h"
#include "util/FileUtil.h"

#include <QColor>
#include <QDate>
#include <QMimeData>
#include <algorithm>
#include <numeric>

namespace mainwindow {

namespace {

// A Windows colour value 0x00BBGGRR.
QColor WindowsColor(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// Captions of the columns; the icon and mark columns have none.
const std::array<QString, ColumnCount> kCaptions{
    QString(),
    QStringLiteral("ソフト名"),
    QStringLiteral("VER"),
    QStringLiteral("サイズ"),
    QStringLiteral("公開日"),
    QStringLiteral("種類"),
    QStringLiteral("金額"),
    QStringLiteral("説明"),
    QString(),
};

bool RightAligned(int column)
{
    return column == SizeColumn || column == PriceColumn;
}

bool NumericColumn(int column)
{
    return column == SizeColumn || column == PriceColumn || column == DateColumn;
}

qint64 NumericKey(const ListRow& row, int column)
{
    switch (column) {
    case SizeColumn:
        return row.sizeKey;
    case PriceColumn:
        return row.priceKey;
    default:
        return row.dateKey;
    }
}

} // namespace

QString SoftwareListModel::DragFormat()
{
    return QStringLiteral("application/x-pelimond-entries");
}

SoftwareListModel::SoftwareListModel(QObject* parent)
    : QAbstractTableModel(parent), m_headerImage(ColumnCount, -1)
{
    m_sortIcons[0] = resources::Icon(resources::ImageList::Sort, u"Asc");
    m_sortIcons[1] = resources::Icon(resources::ImageList::Sort, u"Desc");
}

void SoftwareListModel::setRows(std::vector<ListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (std::vector<QString>& folded : m_folded)
        folded.clear();
    m_order.resize(m_rows.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    sortOrderVector();
    endResetModel();
}

void SoftwareListModel::clear()
{
    setRows({});
}

void SoftwareListModel::setHeaderImage(int column, int image)
{
    if (column < 0 || column >= ColumnCount || m_headerImage[std::size_t(column)] == image)
        return;
    m_headerImage[std::size_t(column)] = image;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int SoftwareListModel::headerImage(int column) const
{
    return column >= 0 && column < ColumnCount ? m_headerImage[std::size_t(column)] : -1;
}

int SoftwareListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SoftwareListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SoftwareListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ListRow& row = rowAt(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return row.text[std::size_t(column)];
    case Qt::DecorationRole:
        return column == IconColumn ? QVariant(listIcon(row.icon)) : QVariant();
    case Qt::ForegroundRole:
        return row.color ? QVariant(WindowsColor(*row.color)) : QVariant();
    case Qt::ToolTipRole:
        return toolTip(row, column);
    case Qt::TextAlignmentRole:
        return RightAligned(column) ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case SortRole:
        return sortValue(row, column);
    case KeyRole:
        return row.key;
    case BaseRole:
        return row.base;
    case MarkRole:
        return row.text[MarkColumn];
    default:
        return {};
    }
}

QVariant SoftwareListModel::sortValue(const ListRow& row, int column) const
{
    switch (column) {
    case SizeColumn:
        return row.sizeKey;
    case PriceColumn:
        return row.priceKey;
    case DateColumn:
        return row.dateKey < 0
                   ? QVariant(QDate())
                   : QVariant(QDate(int(row.dateKey / 10000), int(row.dateKey / 100 % 100),
                                    int(row.dateKey % 100)));
    default:
        return row.text[std::size_t(column)];
    }
}

QVariant SoftwareListModel::toolTip(const ListRow& row, int column) const
{
    // Hovering the name shows the description.
    if (column == NameColumn)
        return util::TrimNull(row.text[DescriptionColumn]);
    if (column == IconColumn || column == MarkColumn)
        return {};
    return util::TrimNull(row.text[std::size_t(column)]);
}

QVariant SoftwareListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return kCaptions[std::size_t(section)].trimmed();
    case Qt::DecorationRole: {
        const int image = m_headerImage[std::size_t(section)];
        return image == 0 || image == 1 ? QVariant(m_sortIcons[image]) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return int((RightAligned(section) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    default:
        return {};
    }
}

Qt::ItemFlags SoftwareListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

void SoftwareListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        column = IconColumn;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> rowsBefore;
    rowsBefore.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before)
        rowsBefore.push_back(m_order[std::size_t(index.row())]);

    m_sortColumn = column;
    m_sortOrder = order;
    sortOrderVector();

    std::vector<int> position(m_order.size());
    for (std::size_t r = 0; r < m_order.size(); ++r)
        position[std::size_t(m_order[r])] = int(r);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(position[std::size_t(rowsBefore[std::size_t(i)])], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SoftwareListModel::sortOrderVector()
{
    // Rows that compare equal keep the order in which the catalogue gave them.
    const int column = m_sortColumn;
    if (column == IconColumn) {
        std::iota(m_order.begin(), m_order.end(), 0);
        return;
    }
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    if (NumericColumn(column)) {
        std::vector<qint64> keys(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            keys[i] = NumericKey(m_rows[i], column);
        std::stable_sort(m_order.begin(), m_order.end(), [&keys, descending](int a, int b) {
            return descending ? keys[std::size_t(a)] > keys[std::size_t(b)]
                              : keys[std::size_t(a)] < keys[std::size_t(b)];
        });
        return;
    }
    // Texts compare without regard to case, through their case-folded forms.
    const std::vector<QString>& keys = foldedColumn(column);
    std::stable_sort(m_order.begin(), m_order.end(), [&keys, descending](int a, int b) {
        const int c = QString::compare(keys[std::size_t(a)], keys[std::size_t(b)]);
        return descending ? c > 0 : c < 0;
    });
}

const std::vector<QString>& SoftwareListModel::foldedColumn(int column)
{
    std::vector<QString>& folded = m_folded[std::size_t(column)];
    if (folded.size() != m_rows.size()) {
        folded.clear();
        folded.reserve(m_rows.size());
        for (const ListRow& row : m_rows)
            folded.push_back(row.text[std::size_t(column)].toCaseFolded());
    }
    return folded;
}

const QIcon& SoftwareListModel::listIcon(int number) const
{
    if (m_icons.empty()) {
        for (int i = 0; i < resources::ListIconCount; ++i)
            m_icons.push_back(resources::ListIcon(i));
        m_icons.emplace_back(); // any number outside the image list
    }
    if (number < 0 || number >= resources::ListIconCount)
        return m_icons.back();
    return m_icons[std::size_t(number)];
}

QStringList SoftwareListModel::mimeTypes() const
{
    return {DragFormat()};
}

QMimeData* SoftwareListModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList keys;
    for (const QModelIndex& index : indexes) {
        if (index.column() == IconColumn || indexes.size() == 1)
            keys.append(rowAt(index.row()).key);
    }
    auto* mime = new QMimeData;
    mime->setData(DragFormat(), keys.join(u'\n').toUtf8());
    return mime;
}

Qt::DropActions SoftwareListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

} // namespace mainwindow

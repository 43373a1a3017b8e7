#include "mainwindow/FolderTree.h"

#include "config/Settings.h"
#include "mainwindow/FolderBranch.h"
#include "mainwindow/SoftwareListModel.h"
#include "mainwindow/WaitCursor.h"
#include "resources/Icons.h"
#include "update/CategoryAnalysis.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>

namespace mainwindow {

namespace {

QString Folded(const QString& key)
{
    return key.toLower();
}

} // namespace

const QString FolderTree::FavoritesKey = QStringLiteral("Favorites");
const QString FolderTree::SearchKey = QStringLiteral("Search");

QString FolderTree::LibraryRootKey()
{
    return config::SiteRoot + config::AreaPaths[0];
}

QString FolderTree::NewArrivalRootKey()
{
    return config::SiteRoot + config::AreaPaths[1];
}

FolderTree::FolderTree(QWidget* parent)
    : QTreeWidget(parent), m_folderIcon(resources::TreeIcon(u"Close", u"Open")),
      m_newFolderIcon(resources::TreeIcon(u"CloseNew", u"OpenNew"))
{
    setObjectName(QStringLiteral("tview"));
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::onExpanded);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) {
        if (node)
            emit nodeClicked(node);
    });
}

bool FolderTree::AddRootNodes()
{
    ApplyFont();
    // The roots' first expansion is not a branch read: the window loads both areas itself.
    const QSignalBlocker quiet(this);
    addRoot(FavoritesKey, QStringLiteral("お気に入り"), QStringLiteral("Favorites"), false);
    addRoot(SearchKey, QStringLiteral("検索結果"), QStringLiteral("Search"), false);
    addRoot(NewArrivalRootKey(), QStringLiteral("新着ライブラリ"), QStringLiteral("NewArrival"),
            true);
    addRoot(LibraryRootKey(), QStringLiteral("タルベックスライブラリ"),
            QStringLiteral("TalvexRoot"), true);
    return true;
}

void FolderTree::ApplyFont()
{
    const config::Settings& s = config::settings();
    setFont(QFont(s.TreeViewFont, s.TreeViewFontSize > 0 ? s.TreeViewFontSize : 9));
}

QTreeWidgetItem* FolderTree::addRoot(const QString& key, const QString& text, const QString& image,
                                     bool expanded)
{
    auto* node = new QTreeWidgetItem(this, {text});
    node->setData(0, KeyRole, key);
    node->setIcon(0, resources::TreeIcon(image, image));
    m_nodes.insert(Folded(key), node);
    node->setExpanded(expanded);
    return node;
}

bool FolderTree::LoadFolderBranch(const QString& key)
{
    WaitCursor wait;
    const std::optional<QList<catalogue::FolderRow>> rows = ReadFolderBranch(key);
    if (!rows)
        return false;
    for (const catalogue::FolderRow& row : *rows)
        addFolder(row.TargetURL, row.Description);
    return true;
}

bool FolderTree::addFolder(const QString& url, const QString& description)
{
    if (m_nodes.contains(Folded(url)))
        return false;
    QTreeWidgetItem* parent = m_nodes.value(Folded(update::ParentFolderUrl(url)));
    if (!parent)
        return false;
    auto* node = new QTreeWidgetItem(parent, {description});
    node->setData(0, KeyRole, url);
    const bool newArrival = url.contains(NewArrivalRootKey());
    node->setIcon(0, newArrival ? m_newFolderIcon : m_folderIcon);
    m_nodes.insert(Folded(url), node);
    return true;
}

void FolderTree::onExpanded(QTreeWidgetItem* node)
{
    if (node->data(0, TagRole).toString() == u"OK")
        return;
    LoadFolderBranch(KeyOf(node));
    node->setData(0, TagRole, QStringLiteral("OK"));
}

QString FolderTree::NodePath(const QTreeWidgetItem* node) const
{
    if (!node)
        return {};
    const QTreeWidgetItem* parent = node->parent();
    if (!parent) {
        const QString key = KeyOf(node);
        return key == FavoritesKey || key == SearchKey ? node->text(0) : QString();
    }
    const QString above = NodePath(parent);
    return above.isEmpty() ? node->text(0) : above + QStringLiteral(" > ") + node->text(0);
}

QTreeWidgetItem* FolderTree::Node(const QString& key) const
{
    return m_nodes.value(Folded(key));
}

QString FolderTree::KeyOf(const QTreeWidgetItem* node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

QString FolderTree::SelectedKey() const
{
    return KeyOf(currentItem());
}

void FolderTree::SelectNode(QTreeWidgetItem* node)
{
    m_selecting = true;
    setCurrentItem(node);
    m_selecting = false;
}

void FolderTree::RemoveNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    forget(node);
    delete node;
}

void FolderTree::forget(QTreeWidgetItem* node)
{
    m_nodes.remove(Folded(KeyOf(node)));
    for (int i = 0; i < node->childCount(); ++i)
        forget(node->child(i));
}

void FolderTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    // The folder menu: the hit node is selected only while the menu is open.
    event->accept();
    if (QTreeWidgetItem* node = itemAt(event->position().toPoint()))
        emit folderMenuWanted(node, event->globalPosition().toPoint());
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event)
{
    QTreeWidgetItem* node = currentItem();
    // The mouse's menu opens when the right button is pressed.
    if (event->reason() != QContextMenuEvent::Keyboard || !node) {
        event->ignore();
        return;
    }
    event->accept();
    emit folderMenuWanted(node, viewport()->mapToGlobal(visualItemRect(node).center()));
}

void FolderTree::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before && !m_selecting)
        emit nodeClicked(after);
}

bool FolderTree::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTreeWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QTreeWidgetItem* node = itemAt(help->pos());
    if (!node) {
        QToolTip::hideText();
        return true;
    }
    const QRect row = visualItemRect(node);
    const int icon = iconSize().isValid()
                         ? iconSize().width()
                         : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int margins = 3 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
    const int needed = row.left() + icon + margins + fontMetrics().horizontalAdvance(node->text(0));
    if (needed > viewport()->width())
        QToolTip::showText(help->globalPos(), node->text(0), viewport(), row);
    else
        QToolTip::hideText();
    return true;
}

bool FolderTree::overFavorites(const QPoint& pos) const
{
    return KeyOf(itemAt(pos)) == FavoritesKey;
}

void FolderTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(SoftwareListModel::DragFormat()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FolderTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(SoftwareListModel::DragFormat()) &&
        overFavorites(event->position().toPoint())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FolderTree::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasFormat(SoftwareListModel::DragFormat()) ||
        !overFavorites(event->position().toPoint())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit favoritesDropped();
}

} // namespace mainwindow

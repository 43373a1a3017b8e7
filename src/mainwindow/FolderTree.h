#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QTreeWidget>

namespace mainwindow {

// The folder tree `tview`: the favourites, the last search result and the two area roots, with
// the catalogue's folders below the area roots. Branches are read two levels deep and deeper
// levels on first expansion. It is the drop target for adding list rows to the favourites.
class FolderTree final : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderTree)

public:
    enum Role {
        KeyRole = Qt::UserRole + 1, // node key
        TagRole,                    // "OK" once the node's branch was read on expansion
    };
    static const QString FavoritesKey;
    static const QString SearchKey;
    // Folder-root keys of the library and the new-arrivals area.
    static QString LibraryRootKey();
    static QString NewArrivalRootKey();

    explicit FolderTree(QWidget* parent = nullptr);

    // Sets the tree font and adds the four roots. Always true.
    bool AddRootNodes();
    // The tree font of the settings.
    void ApplyFont();
    // Adds the folders below key, down to two levels below it. False when the catalogue could
    // not be read (the tree is then left as it was).
    bool LoadFolderBranch(const QString& key);
    // The " > "-joined path of a node for the status bar; the area roots' own names are left out.
    QString NodePath(const QTreeWidgetItem* node) const;

    QTreeWidgetItem* Node(const QString& key) const;
    static QString KeyOf(const QTreeWidgetItem* node);
    QString SelectedKey() const;
    // Makes the node the selected one without running the node-click handling.
    void SelectNode(QTreeWidgetItem* node);
    // Removes the node and everything below it.
    void RemoveNode(QTreeWidgetItem* node);

signals:
    // The user chose a node with the mouse or the keyboard.
    void nodeClicked(QTreeWidgetItem* node);
    // Right button pressed on a node, or the menu key pressed.
    void folderMenuWanted(QTreeWidgetItem* node, const QPoint& globalPos);
    // List rows were dropped on the favourites node.
    void favoritesDropped();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // The menu key (or Shift+F10) opens the folder menu of the current node.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A node whose name the tree cuts short shows the whole name as its tool tip.
    bool viewportEvent(QEvent* event) override;

private:
    void onExpanded(QTreeWidgetItem* node);
    QTreeWidgetItem* addRoot(const QString& key, const QString& text, const QString& image,
                             bool expanded);
    bool addFolder(const QString& url, const QString& description);
    void forget(QTreeWidgetItem* node);
    bool overFavorites(const QPoint& pos) const;

    QHash<QString, QTreeWidgetItem*> m_nodes; // by lower-case key: URLs compare without case
    QIcon m_folderIcon;
    QIcon m_newFolderIcon;
    bool m_selecting = false;
};

} // namespace mainwindow

#pragma once

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>
#include <array>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace search {

// The scope picker "カテゴリの参照": the three areas of the catalogue as a tree whose branches
// are read from the catalogue when first expanded. OK(&O) returns the chosen node's address
// and text; キャンセル(&C), Escape and the close box return nothing. Modal: open it with exec().
class frmSearchRef final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSearchRef)

public:
    // Tree roles of a node: its key (an area's folder root or a folder's TargetURL) and its
    // tag, "OK" once the folders below it have been read.
    enum Role { KeyRole = Qt::UserRole + 1, TagRole };

    // currentArea: the site area the main window shows (0 to 2); its root cannot be chosen.
    explicit frmSearchRef(int currentArea, QWidget* parent = nullptr);
    ~frmSearchRef() override;

    // The chosen folder's TargetURL and the node's text; both empty when nothing was chosen.
    QString prtyFolder() const { return m_folder; }
    QString prtyName() const { return m_name; }

    QTreeWidget* treeref() const { return m_tree; }
    // The node with this key (compared without regard to case), or nullptr.
    QTreeWidgetItem* Node(const QString& key) const;

private:
    QTreeWidgetItem* AddRoot(const QString& key, const QString& text, const QString& image);
    // Reads the folders below the node once per window.
    void LoadBranch(QTreeWidgetItem* node);
    void AddFolder(const QString& url, const QString& description);
    void treeref_NodeClick();
    void cmd_okc_Click(int index);

    QString m_disabledKey;
    QTreeWidget* m_tree;
    QIcon m_folderIcon;
    QIcon m_newFolderIcon;
    std::array<QPushButton*, 2> cmd_okc{};
    QHash<QString, QTreeWidgetItem*> m_nodes; // by lower-case key
    QString m_folder;
    QString m_name;
};

} // namespace search

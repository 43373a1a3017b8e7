#include "search/frmSearchRef.h"

#include "config/Settings.h"
#include "mainwindow/FolderBranch.h"
#include "mainwindow/WaitCursor.h"
#include "resources/Icons.h"
#include "update/CategoryAnalysis.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace search {

namespace {

const QString kLoaded = QStringLiteral("OK");

// The tree image of the key; the fallback's when the image list has none by that key.
QString AreaRoot(int area)
{
    return config::SiteRoot + config::AreaPaths[std::size_t(std::clamp(area, 0, 2))];
}

} // namespace

frmSearchRef::frmSearchRef(int currentArea, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_disabledKey(AreaRoot(currentArea)), m_tree(new QTreeWidget(this)),
      m_folderIcon(resources::TreeIcon(u"Close", u"Open")),
      m_newFolderIcon(resources::TreeIcon(u"CloseNew", u"OpenNew"))
{
    setObjectName(QStringLiteral("frmSearchRef"));
    setWindowTitle(QStringLiteral("カテゴリの参照"));
    setWindowIcon(resources::ProgramIcon());
    setModal(true);

    auto* caption = new QLabel(QStringLiteral("カテゴリを選択してください。"), this);
    caption->setBuddy(m_tree);
    m_tree->setObjectName(QStringLiteral("treeref"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    cmd_okc[0] = new QPushButton(QStringLiteral("OK(&O)"), this);
    cmd_okc[1] = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    for (int i = 0; i < 2; ++i) {
        cmd_okc[i]->setObjectName(QStringLiteral("cmd_okc_") + QString::number(i));
        connect(cmd_okc[i], &QPushButton::clicked, this, [this, i] { cmd_okc_Click(i); });
    }
    cmd_okc[0]->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmd_okc[0]);
    buttons->addWidget(cmd_okc[1]);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);

    {
        const mainwindow::WaitCursor wait;
        QTreeWidgetItem* roots[] = {
            AddRoot(AreaRoot(1), QStringLiteral("新着ライブラリ"), QStringLiteral("NewArrival")),
            AddRoot(AreaRoot(0), QStringLiteral("タルベックスライブラリ"),
                    QStringLiteral("TalvexRoot")),
            AddRoot(AreaRoot(2), QStringLiteral("タルベックスゲームズ"),
                    QStringLiteral("TalvexGames")),
        };
        for (QTreeWidgetItem* root : roots) {
            LoadBranch(root);
            root->setExpanded(true);
        }
    }
    connect(m_tree, &QTreeWidget::itemExpanded, this, &frmSearchRef::LoadBranch);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &frmSearchRef::treeref_NodeClick);

    const int em = fontMetrics().averageCharWidth();
    resize(em * 56, em * 64);
}

frmSearchRef::~frmSearchRef() = default;

QTreeWidgetItem* frmSearchRef::Node(const QString& key) const
{
    return m_nodes.value(key.toLower());
}

QTreeWidgetItem* frmSearchRef::AddRoot(const QString& key, const QString& text,
                                       const QString& image)
{
    auto* node = new QTreeWidgetItem(m_tree, {text});
    node->setData(0, KeyRole, key);
    node->setIcon(0, resources::TreeIcon(image));
    m_nodes.insert(key.toLower(), node);
    return node;
}

void frmSearchRef::LoadBranch(QTreeWidgetItem* node)
{
    if (!node || node->data(0, TagRole).toString() == kLoaded)
        return;
    const mainwindow::WaitCursor wait;
    const std::optional<QList<catalogue::FolderRow>> rows =
        mainwindow::ReadFolderBranch(node->data(0, KeyRole).toString());
    for (const catalogue::FolderRow& row : rows.value_or(QList<catalogue::FolderRow>()))
        AddFolder(row.TargetURL, row.Description);
    node->setData(0, TagRole, kLoaded);
}

void frmSearchRef::AddFolder(const QString& url, const QString& description)
{
    // A folder that is there already, or whose parent is not, is left out.
    if (m_nodes.contains(url.toLower()))
        return;
    QTreeWidgetItem* parent = m_nodes.value(update::ParentFolderUrl(url).toLower());
    if (!parent)
        return;
    auto* node = new QTreeWidgetItem(parent, {description});
    node->setData(0, KeyRole, url);
    node->setIcon(0, url.contains(AreaRoot(1)) ? m_newFolderIcon : m_folderIcon);
    m_nodes.insert(url.toLower(), node);
}

void frmSearchRef::treeref_NodeClick()
{
    const QList<QTreeWidgetItem*> chosen = m_tree->selectedItems();
    const QString key = chosen.isEmpty() ? QString() : chosen.first()->data(0, KeyRole).toString();
    cmd_okc[0]->setEnabled(key != m_disabledKey);
}

void frmSearchRef::cmd_okc_Click(int index)
{
    const QList<QTreeWidgetItem*> chosen = m_tree->selectedItems();
    if (index == 0 && !chosen.isEmpty()) {
        m_folder = chosen.first()->data(0, KeyRole).toString();
        m_name = chosen.first()->text(0);
        accept();
        return;
    }
    m_folder.clear();
    m_name.clear();
    if (index == 0)
        accept();
    else
        reject();
}

} // namespace search

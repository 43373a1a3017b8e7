#include "mainwindow/MainCommands.h"

#include "resources/Icons.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <span>

namespace mainwindow {

namespace {

const char* const kAvailable = "pelimondAvailable";

} // namespace

// The kinds a submenu offers, one item each, indexed from 0.
enum class Kinds { None, Copy, Page, Download, Service, Mode };

struct ItemDef
{
    int index;
    QStringView caption; // "-" is a separator
    QStringView shortcut = {};
    QStringView subArray = {}; // control array of the item's submenu
    Kinds kinds = Kinds::None;
};

struct MenuDef
{
    QStringView name;
    QStringView caption;
    QStringView array;
    std::span<const ItemDef> items;
};

namespace {

// Page kinds 0 to 5; the copy submenus have kind 6 as well.
constexpr std::array<QStringView, 7> kPageKinds{
    u"詳細ページ(&T)",   u"ダウンロードページ(&D)", u"作者ページ(&A)", u"シェア・カルナページ(&S)",
    u"PickUpページ(&P)", u"News記事ページ(&N)",     u"ファイル名(&F)"};
constexpr std::array<QStringView, 4> kDownloadMethods{u"PLMダウンロード(&E)", u"ダウンロード(&D)",
                                                      u"Iriaへ送る(&I)", u"Irvineへ送る(&V)"};
constexpr std::array<QStringView, 2> kServiceKinds{u"ラフィノに追加(&W)", u"友達に教える(&F)"};
constexpr std::array<QStringView, 4> kModes{u"オンラインモード(&O)", u"キャッシュモード(&C)",
                                            u"キャッシュデートモード(&D)", u"オフラインモード(&L)"};

std::span<const QStringView> KindCaptions(Kinds kinds)
{
    switch (kinds) {
    case Kinds::Copy:
        return kPageKinds;
    case Kinds::Page:
        return std::span<const QStringView>(kPageKinds).first(6);
    case Kinds::Download:
        return kDownloadMethods;
    case Kinds::Service:
        return kServiceKinds;
    case Kinds::Mode:
        return kModes;
    case Kinds::None:
        break;
    }
    return {};
}

constexpr ItemDef kFileItems[]{
    {0, u"名前を付けて保存(&A)"},
    {1, u"データベースの最適化(&O)"},
    {2, u"終了(&X)"},
};
constexpr ItemDef kEditItems[]{
    {0, u"すべて選択(&A)", u"Ctrl+A"},
    {1, u"選択の切り替え(&I)", u"Ctrl+R"},
    {2, u"-"},
    {3, u"クリップボードへコピー(&C)", {}, u"mnu_edit_suba", Kinds::Copy},
    {4, u"-"},
    // The desktop's key for finding.
    {5, u"検索(&S)", u"Ctrl+F"},
};
constexpr ItemDef kRefreshItems[]{
    {0, u"ツリーを更新(&T)"},
    {1, u"選択したカテゴリを更新(&C)"},
    {2, u"選択したカテゴリ以下を更新(&R)"},
    {3, u"カテゴリを全て更新(&A)"},
};
constexpr ItemDef kOpeItems[]{
    {0, u"ブラウザで開く(&B)", {}, u"mnu_ope_suba", Kinds::Page},
    {1, u"ダウンロード(&D)", {}, u"mnu_ope_subb", Kinds::Download},
    {2, u"その他の操作(&E)", {}, u"mnu_ope_subc", Kinds::Service},
};
constexpr ItemDef kToolItems[]{
    {0, u"キャッシュモード(&C)", {}, u"mnu_tool_suba", Kinds::Mode},
    {1, u"オプション(&P)"},
    {2, u"インターネットオプション(&O)"},
};
constexpr ItemDef kHelpItems[]{
    {0, u"ヘルプ(&H)"},
    {1, u"バージョン表示(&V)"},
};
constexpr ItemDef kListMenuItems[]{
    {0, u"ブラウザで開く(&B)", {}, u"mnu_rclick_suba", Kinds::Page},
    {1, u"クリップボードへコピー(&C)", {}, u"mnu_rclick_subb", Kinds::Copy},
    {2, u"その他の操作(&E)", {}, u"mnu_rclick_subd", Kinds::Service},
    {3, u"-"},
    {4, u"お気に入りに追加(&F)"},
    {5, u"お気に入りから削除(&D)"},
    {6, u"-"},
    {7, u"ダウンロード(&D)", {}, u"mnu_rclick_subc", Kinds::Download},
    {8, u"-"},
    {99, u"プロパティ(&P)"},
};
constexpr ItemDef kFolderMenuItems[]{
    {0, u"選択したカテゴリを更新(&C)"},
    {1, u"選択したカテゴリ以下を更新(&R)"},
    {2, u"-"},
    {3, u"ブラウザで開く(&B)"},
    {4, u"-"},
    {5, u"削除(&D)"},
    {6, u"-"},
    {99, u"プロパティ(&P)"},
};

constexpr MenuDef kMenuBar[]{
    {u"mnu_file", u"ファイル(&F)", u"mnu_file_sub", kFileItems},
    {u"mnu_edit", u"編集(&E)", u"mnu_edit_sub", kEditItems},
    {u"mnu_refresh", u"更新(&R)", u"mnu_refresh_sub", kRefreshItems},
    {u"mnu_ope", u"操作(&O)", u"mnu_ope_sub", kOpeItems},
    {u"mnu_tool", u"ツール(&T)", u"mnu_tool_sub", kToolItems},
    {u"mnu_help", u"ヘルプ(&H)", u"mnu_help_sub", kHelpItems},
};
constexpr MenuDef kPopupMenus[]{
    {u"mnu_rclick", u"右クリックメニュー(&R)", u"mnu_rclick_sub", kListMenuItems},
    {u"mnu_frclick", u"右フォルダメニュー(&R)", u"mnu_frclick_sub", kFolderMenuItems},
};

struct ButtonDef
{
    QStringView key; // empty for a separator
    QStringView description;
    QStringView toolTip;
    QStringView image;
    bool mode = false; // one of the four connection-mode buttons
    QStringView shortcut = {};
};

constexpr ButtonDef kToolbar[]{
    {},
    {u"Save", u"名前を付けて保存", u"名前を付けて保存", u"Save"},
    {u"Refresh", u"カテゴリの更新", u"カテゴリ更新", u"Refresh"},
    {u"RefreshClass", u"カテゴリの更新(以下すべて)", u"カテゴリ更新(以下すべて)", u"RefreshClass"},
    {u"Search", u"ライブラリの検索", u"検索", u"Search"},
    // The desktop's key for the properties of the selection.
    {u"Property", u"プロパティ", u"プロパティ", u"Property", false, u"Alt+Return"},
    {u"AddFavorites", u"お気に入りに追加", u"お気に入りに追加", u"Favorites"},
    {u"DeleteFavorites", u"お気に入りから削除", u"お気に入りから削除", u"DelFavorites"},
    {},
    {u"Setting", u"設定", u"設定", u"Contol"},
    {},
    {u"Online", u"オンラインモード", u"オンラインモード", u"NetOnly", true},
    {u"Cache", u"キャッシュモード", u"キャッシュモード", u"NetFile", true},
    {u"CacheDate", u"キャッシュデート", u"キャッシュデートモード", u"NetTime", true},
    {u"OffLine", u"オフライン", u"オフラインモード", u"FileOnly", true},
};

} // namespace

QString ItemName(QStringView array, int index)
{
    return array.toString() + u'_' + QString::number(index);
}

MainCommands::MainCommands(QMainWindow* window) : QObject(window)
{
    buildMenuBar(window);
    buildContextMenus(window);
    buildToolbar(window);
}

void MainCommands::fillMenu(QMenu* menu, const MenuDef& def)
{
    menu->setObjectName(def.name.toString());
    m_menus.insert(def.name.toString(), menu);
    for (const ItemDef& item : def.items)
        addItem(menu, def.array.toString(), item.index, item.caption, item.shortcut);
    for (const ItemDef& item : def.items) {
        if (item.kinds != Kinds::None)
            addSubmenu(menu, this->item(def.array, item.index), item.subArray.toString(),
                       int(item.kinds));
    }
}

void MainCommands::buildMenuBar(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();
    for (const MenuDef& def : kMenuBar) {
        fillMenu(bar->addMenu(def.caption.toString()), def);
    }
}

void MainCommands::buildContextMenus(QMainWindow* window)
{
    for (const MenuDef& def : kPopupMenus) {
        fillMenu(new QMenu(def.caption.toString(), window), def);
    }
}

QAction* MainCommands::addItem(QMenu* menu, const QString& array, int index, QStringView caption,
                               QStringView shortcut)
{
    QAction* action = caption == u"-" ? menu->addSeparator() : menu->addAction(caption.toString());
    action->setObjectName(ItemName(array, index));
    action->setProperty(kAvailable, true);
    if (!shortcut.isEmpty())
        action->setShortcut(QKeySequence(shortcut.toString()));
    if (caption != u"-") {
        connect(action, &QAction::triggered, this,
                [this, array, index] { emit menuChosen(array, index); });
    }
    m_items.insert(action->objectName(), action);
    return action;
}

// The item's submenu replaces the plain item, in place and under the same name.
void MainCommands::addSubmenu(QMenu* parent, QAction* owner, const QString& array, int kinds)
{
    auto* submenu = new QMenu(owner->text(), parent);
    submenu->setObjectName(array);
    m_menus.insert(array, submenu);
    const bool modes = Kinds(kinds) == Kinds::Mode;
    const std::span<const QStringView> captions = KindCaptions(Kinds(kinds));
    for (std::size_t k = 0; k < captions.size(); ++k) {
        QAction* action = addItem(submenu, array, int(k), captions[k], {});
        action->setCheckable(modes);
    }
    QAction* menuAction = submenu->menuAction();
    menuAction->setObjectName(owner->objectName());
    menuAction->setProperty(kAvailable, true);
    parent->insertAction(owner, menuAction);
    parent->removeAction(owner);
    m_items.insert(owner->objectName(), menuAction);
    owner->deleteLater();
}

void MainCommands::buildToolbar(QMainWindow* window)
{
    m_toolbar = window->addToolBar(QStringLiteral("toolbarmain"));
    m_toolbar->setObjectName(QStringLiteral("toolbarmain"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_modeButtons = new QActionGroup(this);
    m_modeButtons->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const ButtonDef& def : kToolbar) {
        if (def.key.isEmpty()) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* action = m_toolbar->addAction(
            resources::Icon(resources::ImageList::Toolbar, def.image), def.description.toString());
        const QString key = def.key.toString();
        action->setObjectName(QStringLiteral("toolbar_") + key);
        action->setToolTip(def.toolTip.toString());
        action->setProperty(kAvailable, true);
        if (!def.shortcut.isEmpty())
            action->setShortcut(QKeySequence(def.shortcut.toString()));
        if (def.mode) {
            action->setCheckable(true);
            m_modeButtons->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, key] { emit buttonClicked(key); });
        m_buttons.insert(key, action);
    }
}

QAction* MainCommands::item(QStringView array, int index) const
{
    return m_items.value(ItemName(array, index));
}

QAction* MainCommands::button(QStringView key) const
{
    return m_buttons.value(key.toString());
}

QMenu* MainCommands::menu(QStringView name) const
{
    return m_menus.value(name.toString());
}

void MainCommands::setAvailable(QAction* action, bool available)
{
    if (!action)
        return;
    action->setProperty(kAvailable, available);
    if (!available)
        action->setEnabled(false);
}

bool MainCommands::isAvailable(const QAction* action) const
{
    return action && action->property(kAvailable).toBool();
}

void MainCommands::setEnabled(QAction* action, bool on)
{
    if (action)
        action->setEnabled(on && isAvailable(action));
}

void MainCommands::setEnabled(QStringView array, int index, bool on)
{
    setEnabled(item(array, index), on);
}

} // namespace mainwindow

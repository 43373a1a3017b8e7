#include "mainwindow/CommandStates.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "mainwindow/FolderTree.h"
#include "mainwindow/MainCommands.h"

#include <QAction>
#include <array>

namespace mainwindow {

namespace {

// The four submenus that offer the page kinds.
constexpr std::array<QStringView, 4> kPageMenus{u"mnu_rclick_suba", u"mnu_rclick_subb",
                                                u"mnu_edit_suba", u"mnu_ope_suba"};

void SetPageKind(MainCommands& commands, int kind, bool on)
{
    for (QStringView menu : kPageMenus)
        commands.setEnabled(menu, kind, on);
}

void SetFavoriteStates(MainCommands& commands, bool favoritesView, int count)
{
    const bool add = !favoritesView && count > 0;
    const bool remove = favoritesView && count > 0;
    commands.setEnabled(u"mnu_rclick_sub", 4, add);
    commands.setEnabled(u"mnu_rclick_sub", 5, remove);
    commands.setEnabled(commands.button(u"AddFavorites"), add);
    commands.setEnabled(commands.button(u"DeleteFavorites"), remove);
}

void SetSingleStates(MainCommands& commands, bool single)
{
    for (int index : {0, 1, 2, 7})
        commands.setEnabled(u"mnu_rclick_sub", index, single);
    commands.setEnabled(u"mnu_edit_sub", 3, single);
    for (int index : {0, 1, 2})
        commands.setEnabled(u"mnu_ope_sub", index, single);
}

} // namespace

bool UpdateCommandStates(MainCommands& commands, const Selection& selection, CurrentEntry& current)
{
    current.page = selection.target;
    SetFavoriteStates(commands, selection.folderKey == FolderTree::FavoritesKey, selection.count);
    commands.setEnabled(u"mnu_file_sub", 0, selection.count > 0);
    commands.setEnabled(commands.button(u"Save"), selection.count > 0);
    const bool single = selection.count == 1;
    SetSingleStates(commands, single);
    if (!single)
        return true;

    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return true;
    const std::optional<catalogue::EntryRow> entry =
        catalogue::FindEntry(db, selection.base, selection.target);
    if (!entry)
        return true;
    SetPageKind(commands, 3, entry->RegiMoney != 0);
    current = info::RecordCurrentEntry(*entry);
    SetPageKind(commands, 4, !current.pickUp.isEmpty());
    SetPageKind(commands, 5, !current.news.isEmpty());
    return true;
}

void SetFolderMenuStates(MainCommands& commands, const QString& nodeKey)
{
    const bool special = nodeKey == FolderTree::FavoritesKey || nodeKey == FolderTree::SearchKey;
    const bool areaRoot =
        nodeKey == FolderTree::LibraryRootKey() || nodeKey == FolderTree::NewArrivalRootKey();
    commands.setEnabled(u"mnu_frclick_sub", 0, !special);
    commands.setEnabled(u"mnu_frclick_sub", 1, !special);
    commands.setEnabled(u"mnu_frclick_sub", 3, !special && !areaRoot);
    commands.setEnabled(u"mnu_frclick_sub", 5, !special && !areaRoot);
    if (nodeKey.contains(config::AreaPaths[1]))
        commands.setEnabled(u"mnu_frclick_sub", 1, false);
    commands.setEnabled(u"mnu_frclick_sub", 99, true);
}

void SetRefreshMenuStates(MainCommands& commands, const QString& selectedKey)
{
    const bool folder = !selectedKey.isEmpty() && selectedKey != FolderTree::FavoritesKey &&
                        selectedKey != FolderTree::SearchKey;
    commands.setEnabled(u"mnu_refresh_sub", 1, folder);
    commands.setEnabled(u"mnu_refresh_sub", 2, folder);
    commands.setEnabled(u"mnu_refresh_sub", 0, true);
    commands.setEnabled(u"mnu_refresh_sub", 3, true);
}

} // namespace mainwindow

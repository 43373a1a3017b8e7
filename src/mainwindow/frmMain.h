#pragma once

#include "catalogue/Compact.h"
#include "mainwindow/CommandStates.h"
#include "util/Shell.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QCloseEvent;
class QTreeWidgetItem;

namespace resources {
class AnimationWidget;
}
namespace update {
class RunObserver;
}

namespace mainwindow {

class FetchStatus;
class FolderTree;
class MainCommands;
class MainSplitter;
class SoftwareList;
class StatusPanels;

// The main window: the folder tree and the software list of the catalogue, the menus and the
// toolbar, and the connection mode. It assembles the widgets and hands each command to the
// files that carry it out. Closing it ends the program.
class frmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    // Shows the update window modally over owner; it runs the update from the update target
    // URL (update::runState()), tells statusBar what the main window's status bar shows, and
    // closes itself.
    using UpdateWindowRunner = std::function<void(QWidget* owner, update::RunObserver* statusBar)>;
    // Opens a page in the browser.
    using UrlOpener = util::UrlOpener;

    // Builds the window and runs its load sequence: layout, list columns, tree roots and both
    // area branches, the favourites list, the command states.
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Hooks for the parts that other subsystems provide. The commands that need them stay
    // disabled until they are set.
    void setUpdateWindowRunner(UpdateWindowRunner runner);
    void setUrlOpener(UrlOpener opener);

    FolderTree* tview() const { return m_tree; }
    SoftwareList* lstView() const { return m_list; }
    MainCommands* commands() const { return m_commands; }
    MainSplitter* splitter() const { return m_splitter; }
    StatusPanels* statusPanels() const { return m_status; }
    resources::AnimationWidget* picanimate() const { return m_animation; }

    // Status bar panels 1 to 3.
    QString StatusText(int panel) const;
    void SetStatusText(int panel, const QString& text);

    // Window layout and connection mode.
    bool InitWindow();
    bool ArrangeControls();
    bool SaveWindowSettings();
    bool ShowNetMode();
    // Sets the connection mode (0 offline … 3 online) and shows it.
    void SetNetMode(int mode);
    bool SetupAnimation(resources::AnimationWidget* box, int resource);
    // The toolbar animation plays, and is on screen, only while work runs.
    void ShowBusy(bool on);

    // Folder tree.
    bool OpenCategory(bool force, bool walk, bool keepList);
    // The node-click handling: open the category, show the mode, the path and the counts.
    void NodeClick(QTreeWidgetItem* node);
    QString NodePath(const QTreeWidgetItem* node) const;
    QString EntryCategoryPath() const;

    // Software list.
    bool FillSoftwareList(const QString& key);
    bool UpdateStatus();
    bool HasSelection() const;
    // The double-click (and Enter) action of OpenBrowserDoubleClick.
    void DoubleClickAction();

    // Commands.
    bool UpdateCommandStates();
    const CurrentEntry& currentEntry() const { return m_current; }
    // The address of the selected entry by kind: 0 page, 1 download page, 2 author page,
    // 3 payment page, 4 pick-up article, 5 news article, 6 archive file; "" for other kinds.
    // The kinds 2, 3 and 6 read the entry's detail page when the catalogue lacks them.
    QString GetEntryAddress(int kind);
    // The member service's page of the selected entry: 0 its download list, 1 the mail form.
    QString GetMemberServiceAddress(int kind);
    // Opens the property window that fits the selection: the folder's, the entry's or the
    // selected entries'.
    bool ShowProperties();
    // Runs the search window; after a search the 検索結果 node shows the hits.
    bool StartSearch();
    // The settings dialog, opened on one of its tabs (0 the network tab); after OK the window
    // takes the new fonts, icons, colours and connection mode.
    bool ShowSettings(int tab = 0);
    bool AddFavorites();
    bool RemoveFavorites();
    bool UpdateBelow(bool keepTree);
    bool UpdateAll();
    // Deletes the selected category with its entries (favourites and search results stay) and
    // its cached pages, after asking.
    bool DeleteCategory();

signals:
    // The window has closed; the program ends here.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    void connectSignals();
    void markAvailableCommands();
    void onMenuChosen(const QString& array, int index);
    void onButtonClicked(const QString& key);
    void onFolderMenuWanted(QTreeWidgetItem* node, const QPoint& globalPos);
    void onListMenuWanted(const QPoint& globalPos);
    void onFolderMenu(int index);
    void onListMenu(int index);
    void onRefreshMenu(int index);
    void onToolMenu(int index);
    void onToolItem(int index);
    void openPage(int kind);
    void copyAddress(int kind);
    void openMemberService(int kind);
    // The download command's method for the selected entry.
    void downloadEntry(int method);
    void showFolderProperties();
    void saveSelectionAsPages();
    // The list and tree as the settings now say: fonts, icons, type colours.
    void applyDisplaySettings();
    void openHelp();
    void showAbout();
    catalogue::CompactResult runCompaction();
    bool runUpdateWindow(const QString& target);
    // Panel 1 shows the shown node's path again, panels 2 and 3 the selection, after work that
    // wrote its own lines there.
    void restoreStatus();
    info::SelectedEntry selectedEntry() const;

    FolderTree* m_tree = nullptr;
    SoftwareList* m_list = nullptr;
    MainSplitter* m_splitter = nullptr;
    StatusPanels* m_status = nullptr;
    MainCommands* m_commands = nullptr;
    resources::AnimationWidget* m_animation = nullptr;
    QAction* m_animationAction = nullptr;
    std::unique_ptr<FetchStatus> m_fetchStatus;
    CurrentEntry m_current;
    bool m_popupChanged = false;
    UpdateWindowRunner m_updateWindow;
    UrlOpener m_openUrl;
};

} // namespace mainwindow

#include "mainwindow/frmMain.h"

#include "about/frmVersion.h"
#include "catalogue/Catalogue.h"
#include "catalogue/frmCompactdb.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "download/DownloadCommand.h"
#include "download/PrepareDownload.h"
#include "export/ExportCommand.h"
#include "info/frmProperties.h"
#include "info/frmProperty.h"
#include "info/frmPropertyf.h"
#include "mainwindow/CategoryDeletion.h"
#include "mainwindow/Favorites.h"
#include "mainwindow/FolderTree.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainSplitter.h"
#include "mainwindow/SoftwareList.h"
#include "mainwindow/StatusPanels.h"
#include "mainwindow/StatusProgress.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/WindowLayout.h"
#include "resources/AnimationWidget.h"
#include "resources/Icons.h"
#include "search/frmSearch.h"
#include "settings/frmSetting.h"
#include "update/CategoryAnalysis.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"
#include "util/Shell.h"
#include "util/Trace.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

namespace mainwindow {

namespace {

const QString kHelpFile = QStringLiteral("help/index.html");
// The toolbar animation played while a category opens.
constexpr int kToolbarAnimation = 104;
// Gap between the last toolbar button and the animation.
constexpr int kAnimationGap = 120;

// Connection mode of each item of the mode submenu, and the toolbar button that shows it.
constexpr std::array<int, 4> kModeOfItem{3, 1, 2, 0};
constexpr std::array<QStringView, 4> kModeButtons{u"Online", u"Cache", u"CacheDate", u"OffLine"};

void WriteWindowKey(const QString& key, int value, int& member)
{
    member = value;
    config::WriteIni(QStringLiteral("Window"), key, value, config::kSettingsFile);
}

// The current site area as an index into the area tables.
std::size_t CurrentArea()
{
    return std::size_t(std::clamp(update::runState().CurrentArea, 0, 2));
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Talvex File Navigator - Pelimond"));
    setWindowIcon(resources::ProgramIcon());
    m_openUrl = [](const QString& url) { util::OpenUrl(url, 5); };
    buildWidgets();
    markAvailableCommands();
    connectSignals();
    m_fetchStatus = std::make_unique<FetchStatus>(this);

    InitWindow();
    m_list->SetupListColumns();
    m_tree->AddRootNodes();
    m_tree->LoadFolderBranch(FolderTree::LibraryRootKey());
    m_tree->LoadFolderBranch(FolderTree::NewArrivalRootKey());
    m_tree->SelectNode(m_tree->Node(FolderTree::FavoritesKey));
    FillSoftwareList(FolderTree::FavoritesKey);
    UpdateCommandStates();
    m_tree->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::buildWidgets()
{
    m_commands = new MainCommands(this);
    m_animation = new resources::AnimationWidget({}, this);
    m_animation->setObjectName(QStringLiteral("picanimate"));
    auto* gap = new QWidget(this);
    gap->setFixedWidth(TwipsToPixels(kAnimationGap, LogicalDpi(this)));
    m_commands->toolbar()->addWidget(gap);
    m_animationAction = m_commands->toolbar()->addWidget(m_animation);
    m_animationAction->setVisible(false);

    m_splitter = new MainSplitter(this);
    m_tree = new FolderTree(m_splitter);
    m_list = new SoftwareList(m_splitter);
    m_tree->setMinimumWidth(1);
    m_list->setMinimumWidth(1);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    setTabOrder(m_tree, m_list);

    m_status = new StatusPanels(this);
    statusBar()->addWidget(m_status, 1);
    statusBar()->setSizeGripEnabled(true);
}

// The help pages are there in a program folder laid out by the build; the update commands
// need the update window.
void frmMain::markAvailableCommands()
{
    m_commands->setAvailable(m_commands->item(u"mnu_help_sub", 0),
                             util::FileExists(programfolder::InProgramFolder(kHelpFile)));
    setUpdateWindowRunner(nullptr);
}

void frmMain::setUpdateWindowRunner(UpdateWindowRunner runner)
{
    m_updateWindow = std::move(runner);
    const bool on = bool(m_updateWindow);
    for (QAction* a :
         {m_commands->item(u"mnu_refresh_sub", 2), m_commands->item(u"mnu_refresh_sub", 3),
          m_commands->item(u"mnu_frclick_sub", 1), m_commands->button(u"RefreshClass")}) {
        m_commands->setAvailable(a, on);
        m_commands->setEnabled(a, true);
    }
}

void frmMain::setUrlOpener(UrlOpener opener)
{
    m_openUrl = std::move(opener);
}

void frmMain::connectSignals()
{
    connect(m_commands, &MainCommands::menuChosen, this, &frmMain::onMenuChosen);
    connect(m_commands, &MainCommands::buttonClicked, this, &frmMain::onButtonClicked);
    connect(m_commands->menu(u"mnu_refresh"), &QMenu::aboutToShow, this,
            [this] { SetRefreshMenuStates(*m_commands, m_tree->SelectedKey()); });
    connect(m_tree, &FolderTree::nodeClicked, this, &frmMain::NodeClick);
    connect(m_tree, &FolderTree::folderMenuWanted, this, &frmMain::onFolderMenuWanted);
    connect(m_tree, &FolderTree::favoritesDropped, this, [this] { AddFavorites(); });
    connect(m_list, &SoftwareList::selectionEdited, this, [this] { UpdateStatus(); });
    connect(m_list, &SoftwareList::rowActivated, this, &frmMain::DoubleClickAction);
    connect(m_list, &SoftwareList::contextMenuWanted, this, &frmMain::onListMenuWanted);
}

// ---- window layout

bool frmMain::InitWindow()
{
    const config::Settings& s = config::settings();
    const double dpi = LogicalDpi(this);
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize screenPx = screen ? screen->geometry().size() : QSize(1024, 768);
    const QSize screenTw(PixelsToTwips(screenPx.width(), dpi),
                         PixelsToTwips(screenPx.height(), dpi));
    const QRect tw = InitialGeometryTwips(s.Left, s.Top, s.Width, s.Height, screenTw);
    setGeometry(TwipsToPixels(tw.x(), dpi), TwipsToPixels(tw.y(), dpi),
                TwipsToPixels(tw.width(), dpi), TwipsToPixels(tw.height(), dpi));
    if (s.LastWinState == 2)
        setWindowState(Qt::WindowMaximized);
    const int splitterLeft = s.SplitterLeft == kNotSaved ? kDefaultSplitterLeft : s.SplitterLeft;
    m_splitter->SetSplitterLeft(TwipsToPixels(splitterLeft, dpi));
    ArrangeControls();
    ShowNetMode();
    SetupAnimation(m_animation, kToolbarAnimation);
    for (int panel = 1; panel <= 3; ++panel)
        SetStatusText(panel, QString());
    return true;
}

bool frmMain::ArrangeControls()
{
    const double dpi = LogicalDpi(this);
    const PanelWidths w =
        StatusPanelWidths(PixelsToTwips(frameGeometry().width(), dpi), PixelsToTwips(width(), dpi));
    m_status->setWidths(TwipsToPixels(w.path, dpi), TwipsToPixels(w.progress, dpi),
                        TwipsToPixels(w.mark, dpi));
    return true;
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    ArrangeControls();
}

bool frmMain::SaveWindowSettings()
{
    WaitCursor wait;
    config::Settings& s = config::settings();
    const double dpi = LogicalDpi(this);
    // The normal-state geometry, also for a window closed minimised or maximised.
    const int state = isMaximized() ? 2 : 0;
    QRect normal = normalGeometry();
    if (!normal.isValid())
        normal = geometry();
    WriteWindowKey(QStringLiteral("Top"), PixelsToTwips(normal.y(), dpi), s.Top);
    WriteWindowKey(QStringLiteral("Left"), PixelsToTwips(normal.x(), dpi), s.Left);
    WriteWindowKey(QStringLiteral("Width"), PixelsToTwips(normal.width(), dpi), s.Width);
    WriteWindowKey(QStringLiteral("Height"), PixelsToTwips(normal.height(), dpi), s.Height);
    WriteWindowKey(QStringLiteral("SplitterLeft"), PixelsToTwips(m_splitter->SplitterLeft(), dpi),
                   s.SplitterLeft);
    WriteWindowKey(QStringLiteral("LastWinState"), state, s.LastWinState);
    const SoftwareListModel* model = m_list->listModel();
    WriteWindowKey(QStringLiteral("SortKey"), model->sortColumn(), s.SortKey);
    WriteWindowKey(QStringLiteral("SortOrder"), model->sortOrder() == Qt::DescendingOrder ? 1 : 0,
                   s.SortOrder);
    config::WriteIni(QStringLiteral("CACHE"), QStringLiteral("Update"), s.Update,
                     config::kSettingsFile);
    if (s.RecordListWidth == 1) {
        const QList<int> widths = m_list->ColumnWidthsTwips();
        for (int i = 0; i < widths.size(); ++i) {
            config::WriteIni(QStringLiteral("Window"), QStringLiteral("ListView%1").arg(i + 1),
                             widths[i], config::kSettingsFile);
            if (i < int(s.ListViewWidths.size()))
                s.ListViewWidths[std::size_t(i)] = widths[i];
        }
    }
    config::WriteIni(QStringLiteral("Agent"), QStringLiteral("0"), config::ProgramVersionText(),
                     config::kSettingsFile);
    return true;
}

bool frmMain::ShowNetMode()
{
    for (int i = 0; i < 4; ++i)
        m_commands->item(u"mnu_tool_suba", i)->setChecked(false);
    const int mode = config::settings().Update;
    for (std::size_t i = 0; i < kModeOfItem.size(); ++i) {
        if (kModeOfItem[i] == mode) {
            m_commands->item(u"mnu_tool_suba", int(i))->setChecked(true);
            m_commands->button(kModeButtons[i])->setChecked(true);
        }
    }
    return true;
}

void frmMain::SetNetMode(int mode)
{
    config::settings().Update = mode;
    ShowNetMode();
}

bool frmMain::SetupAnimation(resources::AnimationWidget* box, int resource)
{
    const QString name = resources::AnimationForResource(resource);
    box->setInterval(80);
    if (box->animation() == name && box->frameCount() > 0)
        return true; // already prepared: the frames are read once
    return box->setAnimation(name);
}

void frmMain::ShowBusy(bool on)
{
    // The toolbar lays its widgets out later; the work that follows may hold the event loop.
    if (on) {
        SetupAnimation(m_animation, kToolbarAnimation);
        m_animationAction->setVisible(true);
        m_animation->setVisible(true);
        m_animation->start();
        m_animation->repaint();
    } else {
        m_animation->stop();
        m_animationAction->setVisible(false);
        m_animation->setVisible(false);
    }
}

// ---- closing

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!isMinimized() && config::settings().CompactBeforeEnd == 1)
        runCompaction();
    ShowBusy(false);
    SaveWindowSettings();
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit unloaded();
}

catalogue::CompactResult frmMain::runCompaction()
{
    frmCompactdb window(config::settings().dbname, this);
    window.exec();
    return window.result();
}

// ---- status bar

QString frmMain::StatusText(int panel) const
{
    return m_status->text(panel);
}

void frmMain::SetStatusText(int panel, const QString& text)
{
    m_status->setText(panel, text);
}

// ---- folder tree

bool frmMain::OpenCategory(bool force, bool walk, bool keepList)
{
    SetStatusText(2, QString());
    SetStatusText(3, QString());
    ShowBusy(true);
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node) {
        ShowBusy(false);
        return false;
    }
    const QString key = FolderTree::KeyOf(node);
    if (key == FolderTree::FavoritesKey || key == FolderTree::SearchKey) {
        FillSoftwareList(key);
    } else {
        WaitCursor wait;
        update::RunState& run = update::runState();
        for (int area = 0; area < int(config::AreaPaths.size()); ++area) {
            if (key.contains(config::AreaPaths[std::size_t(area)])) {
                run.CurrentArea = area;
                break;
            }
        }
        const std::size_t area = CurrentArea();
        const bool areaRoot = key == config::SiteRoot + config::AreaPaths[area];
        RunStatus observer(this);
        if (update::UpdateFolder(&observer, areaRoot ? config::AreaUrls[area] : key, force, walk))
            m_tree->LoadFolderBranch(key);
        if (!keepList)
            FillSoftwareList(key);
    }
    ShowBusy(false);
    return true;
}

void frmMain::NodeClick(QTreeWidgetItem* node)
{
    OpenCategory(false, false, false);
    ShowNetMode();
    m_tree->setFocus();
    SetStatusText(1, NodePath(node));
    UpdateStatus();
}

QString frmMain::NodePath(const QTreeWidgetItem* node) const
{
    return m_tree->NodePath(node);
}

QString frmMain::EntryCategoryPath() const
{
    const QString base = m_list->EntryAt(m_list->SelectedRow()).base;
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        util::TraceIfDebug(QStringLiteral("カテゴリ名取得エラー(") +
                           db.lastError().nativeErrorCode() + u')');
        return {};
    }
    QString path;
    for (QString url = base; !url.isEmpty(); url = update::ParentFolderUrl(url)) {
        const std::optional<QString> name = catalogue::FolderDescription(db, url);
        if (db.lastError().type() != QSqlError::NoError) {
            util::TraceIfDebug(QStringLiteral("カテゴリ名取得エラー(") +
                               db.lastError().nativeErrorCode() + u')');
            return {};
        }
        if (!name)
            break;
        path = url == base ? *name : *name + QStringLiteral(" > ") + path;
    }
    return path;
}

void frmMain::onFolderMenuWanted(QTreeWidgetItem* node, const QPoint& globalPos)
{
    QString previous = m_tree->SelectedKey();
    QString hit = FolderTree::KeyOf(node);
    m_tree->SelectNode(node);
    SetFolderMenuStates(*m_commands, hit);
    m_popupChanged = false;
    m_commands->menu(u"mnu_frclick")->exec(globalPos);
    if (!m_tree->Node(previous)) {
        // The shown category was deleted: the favourites take its place.
        previous = hit = FolderTree::FavoritesKey;
        m_popupChanged = true;
    }
    if (hit == previous && m_popupChanged)
        FillSoftwareList(hit);
    m_tree->SelectNode(m_tree->Node(previous));
    UpdateCommandStates();
    restoreStatus();
}

void frmMain::restoreStatus()
{
    SetStatusText(1, NodePath(m_tree->currentItem()));
    SetStatusText(2, QString());
    if (!UpdateStatus())
        SetStatusText(3, QString());
}

void frmMain::onFolderMenu(int index)
{
    m_popupChanged = false;
    switch (index) {
    case 0:
        OpenCategory(true, false, true);
        m_popupChanged = true;
        break;
    case 1:
        UpdateBelow(false);
        m_popupChanged = true;
        break;
    case 3:
        m_openUrl(m_tree->SelectedKey());
        break;
    case 5:
        DeleteCategory();
        break;
    case 99:
        showFolderProperties();
        break;
    default:
        break;
    }
}

// ---- software list

bool frmMain::FillSoftwareList(const QString& key)
{
    const bool read = m_list->FillSoftwareList(key);
    if (m_list->RowCount() > 0)
        SetStatusText(3, m_list->listModel()->rowAt(0).text[MarkColumn]);
    return read;
}

bool frmMain::UpdateStatus()
{
    const int rows = m_list->RowCount();
    if (rows == 0)
        return false;
    UpdateCommandStates();
    const int n = m_list->SelectedCount();
    const QString key = m_tree->SelectedKey();
    if (key == FolderTree::SearchKey || key == FolderTree::FavoritesKey)
        SetStatusText(1, n == 1 ? EntryCategoryPath() : QString());
    SetStatusText(2, QStringLiteral("選択数:") + QString::number(n).rightJustified(4, u' ') +
                         QStringLiteral(" / ライブラリ数:") +
                         QString::number(rows).rightJustified(4, u' '));
    const int selected = m_list->SelectedRow();
    SetStatusText(3, n == 1 && selected >= 0 ? m_list->listModel()->rowAt(selected).text[MarkColumn]
                                             : QString());
    return true;
}

bool frmMain::HasSelection() const
{
    return m_tree->currentItem() && m_list->SelectedCount() > 0;
}

void frmMain::DoubleClickAction()
{
    const int action = config::settings().OpenBrowserDoubleClick;
    if (action < 1 || action > 5)
        return;
    UpdateCommandStates();
    if (action == 5) {
        downloadEntry(download::PlmDownload);
        return;
    }
    // 4 opens the archive's own address, the others the entry's pages.
    const QString address = GetEntryAddress(action == 4 ? info::ArchiveFile : action - 1);
    if (!address.isEmpty())
        m_openUrl(address);
}

void frmMain::onListMenuWanted(const QPoint& globalPos)
{
    UpdateStatus();
    UpdateCommandStates();
    m_commands->menu(u"mnu_rclick")->exec(globalPos);
}

void frmMain::onListMenu(int index)
{
    if (index == 4)
        AddFavorites();
    else if (index == 5)
        RemoveFavorites();
    else if (index == 99)
        ShowProperties();
}

// ---- commands

bool frmMain::UpdateCommandStates()
{
    const int row = m_list->SelectedRow();
    const EntryKey entry = m_list->EntryAt(row < 0 ? m_list->currentIndex().row() : row);
    Selection selection{m_tree->SelectedKey(), m_list->SelectedCount(), entry.base, entry.target};
    return mainwindow::UpdateCommandStates(*m_commands, selection, m_current);
}

info::SelectedEntry frmMain::selectedEntry() const
{
    const int row = m_list->SelectedRow();
    if (row < 0)
        return {};
    const ListRow& r = m_list->listModel()->rowAt(row);
    return {r.base, r.key, r.text[NameColumn]};
}

QString frmMain::GetEntryAddress(int kind)
{
    LookupStatus status(this);
    return info::GetEntryAddress(m_current, selectedEntry(), kind, &status);
}

QString frmMain::GetMemberServiceAddress(int kind)
{
    const info::SelectedEntry entry = selectedEntry();
    return entry.target.isEmpty() ? QString() : info::GetMemberServiceAddress(entry, kind);
}

void frmMain::downloadEntry(int method)
{
    if (!HasSelection())
        return;
    LookupStatus status(this);
    download::DownloadSelectedEntry(method, m_current, selectedEntry(), &status, m_openUrl);
}

void frmMain::openMemberService(int kind)
{
    const QString address = GetMemberServiceAddress(kind);
    if (!address.isEmpty())
        m_openUrl(address);
}

void frmMain::openPage(int kind)
{
    const QString address = GetEntryAddress(kind);
    if (!address.isEmpty())
        m_openUrl(address);
}

void frmMain::copyAddress(int kind)
{
    const QString address = GetEntryAddress(kind);
    if (address.isEmpty())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(address);
}

bool frmMain::AddFavorites()
{
    if (!HasSelection() || m_tree->SelectedKey() == FolderTree::FavoritesKey)
        return false;
    const QString title = QStringLiteral("お気に入りに追加");
    if (msg::Show(QStringLiteral("選択された項目をお気に入りに追加しますか?"), title,
                  msg::Icon::Question, msg::Buttons::YesNo, msg::Answer::Yes) != msg::Answer::Yes)
        return false;
    std::optional<int> count;
    QString error;
    {
        WaitCursor wait;
        count = MarkFavorites(m_list->SelectedEntries(), &error);
    }
    if (!count) {
        util::TraceIfDebug(QStringLiteral("お気に入りに追加エラー(") + error + u')');
        return false;
    }
    if (*count < 1)
        msg::Show(QStringLiteral("既にお気に入りに追加されています。"), title,
                  msg::Icon::Exclamation);
    else
        msg::Show(QString::number(*count) +
                      QStringLiteral("件のライブラリをお気に入りに追加しました。"),
                  title, msg::Icon::Information);
    return true;
}

bool frmMain::RemoveFavorites()
{
    if (!HasSelection() || m_tree->SelectedKey() != FolderTree::FavoritesKey)
        return false;
    if (msg::Show(QStringLiteral("選択された項目をお気に入りから削除しますか?"),
                  QStringLiteral("削除の確認"), msg::Icon::Question, msg::Buttons::YesNo,
                  msg::Answer::No) != msg::Answer::Yes)
        return false;
    QString error;
    bool done = false;
    {
        WaitCursor wait;
        done = UnmarkFavorites(m_list->SelectedEntries(), &error);
    }
    if (!done) {
        util::TraceIfDebug(QStringLiteral("お気に入りから削除エラー(") + error + u')');
        return false;
    }
    FillSoftwareList(FolderTree::FavoritesKey);
    return true;
}

bool frmMain::runUpdateWindow(const QString& target)
{
    if (!m_updateWindow)
        return false;
    update::runState().UpdateTargetUrl = target;
    for (int panel = 1; panel <= 3; ++panel)
        SetStatusText(panel, QString());
    RunStatus observer(this);
    ShowBusy(true);
    m_updateWindow(this, &observer);
    ShowBusy(false);
    return true;
}

bool frmMain::UpdateBelow(bool keepTree)
{
    QTreeWidgetItem* node = m_tree->currentItem();
    const QString key = FolderTree::KeyOf(node);
    if (!node || key == FolderTree::FavoritesKey || key == FolderTree::SearchKey)
        return false;
    if (msg::Show(QStringLiteral("選択されているカテゴリ以下を全て更新します。\r\n\r\n"
                                 "更新してよろしいですか?"),
                  node->text(0) + QStringLiteral(" 以下のカテゴリ更新"), msg::Icon::Question,
                  msg::Buttons::YesNo, msg::Answer::No) != msg::Answer::Yes)
        return false;
    // The run reads the category in its own area, whichever area was opened last; an area's
    // root is read from the area's start page, as opening it does.
    const auto area = std::size_t(update::AreaOfUrl(key));
    update::runState().CurrentArea = int(area);
    const bool areaRoot = key == config::SiteRoot + config::AreaPaths[area];
    if (!runUpdateWindow(areaRoot ? config::AreaUrls[area] : key))
        return false;
    if (!keepTree)
        m_tree->LoadFolderBranch(key);
    restoreStatus();
    return true;
}

bool frmMain::UpdateAll()
{
    if (msg::Show(QStringLiteral("すべてのカテゴリを更新します。\r\n\r\n更新してよろしいですか?"),
                  QStringLiteral("全カテゴリ更新"), msg::Icon::Exclamation, msg::Buttons::YesNo,
                  msg::Answer::No) != msg::Answer::Yes)
        return false;
    const std::size_t area = CurrentArea();
    if (!runUpdateWindow(config::AreaUrls[area]))
        return false;
    m_tree->LoadFolderBranch(config::SiteRoot + config::AreaPaths[area]);
    restoreStatus();
    return true;
}

void frmMain::onMenuChosen(const QString& array, int index)
{
    if (array == u"mnu_file_sub") {
        if (index == 0)
            saveSelectionAsPages();
        else if (index == 1 && runCompaction() == catalogue::CompactResult::InUse)
            msg::Show(catalogue::CatalogueInUseText(), QStringLiteral("データベースの最適化"),
                      msg::Icon::Exclamation);
        else if (index == 2)
            close();
    } else if (array == u"mnu_edit_sub") {
        if (index == 0 || index == 1)
            m_list->SelectRows(index);
        else if (index == 5)
            StartSearch();
    } else if (array == u"mnu_edit_suba" || array == u"mnu_rclick_subb") {
        copyAddress(index);
    } else if (array == u"mnu_ope_suba" || array == u"mnu_rclick_suba") {
        openPage(index);
    } else if (array == u"mnu_ope_subc" || array == u"mnu_rclick_subd") {
        openMemberService(index);
    } else if (array == u"mnu_ope_subb" || array == u"mnu_rclick_subc") {
        downloadEntry(index);
    } else if (array == u"mnu_refresh_sub") {
        onRefreshMenu(index);
    } else if (array == u"mnu_tool_suba") {
        onToolMenu(index);
    } else if (array == u"mnu_tool_sub") {
        onToolItem(index);
    } else if (array == u"mnu_help_sub") {
        if (index == 0)
            openHelp();
        else if (index == 1)
            showAbout();
    } else if (array == u"mnu_rclick_sub") {
        onListMenu(index);
    } else if (array == u"mnu_frclick_sub") {
        onFolderMenu(index);
    }
}

void frmMain::onRefreshMenu(int index)
{
    switch (index) {
    case 0:
        m_tree->LoadFolderBranch(config::SiteRoot + config::AreaPaths[CurrentArea()]);
        break;
    case 1:
        OpenCategory(true, false, false);
        restoreStatus();
        break;
    case 2:
        UpdateBelow(false);
        break;
    case 3:
        UpdateAll();
        break;
    default:
        break;
    }
}

void frmMain::onToolMenu(int index)
{
    if (index >= 0 && index < int(kModeOfItem.size()))
        SetNetMode(kModeOfItem[std::size_t(index)]);
}

void frmMain::onToolItem(int index)
{
    // The Internet options of this system are the dialog's own network tab.
    if (index == 1 || index == 2)
        ShowSettings(options::frmSetting::NetworkTab);
}

void frmMain::onButtonClicked(const QString& key)
{
    for (std::size_t i = 0; i < kModeButtons.size(); ++i) {
        if (key == kModeButtons[i]) {
            SetNetMode(kModeOfItem[i]);
            return;
        }
    }
    if (key == u"Refresh") {
        OpenCategory(true, false, false);
        restoreStatus();
    } else if (key == u"RefreshClass")
        UpdateBelow(false);
    else if (key == u"AddFavorites")
        AddFavorites();
    else if (key == u"DeleteFavorites")
        RemoveFavorites();
    else if (key == u"Property")
        ShowProperties();
    else if (key == u"Search")
        StartSearch();
    else if (key == u"Save")
        saveSelectionAsPages();
    else if (key == u"Setting")
        ShowSettings(options::frmSetting::NetworkTab);
}

// ---- entry information, maintenance, help

bool frmMain::ShowProperties()
{
    QDialog* window = nullptr;
    const int n = m_list->SelectedCount();
    const QString folderKey = m_tree->SelectedKey();
    if (n == 0) {
        showFolderProperties();
        return true;
    }
    if (n == 1) {
        const auto favoritesShown = [this] {
            return m_tree->SelectedKey() == FolderTree::FavoritesKey;
        };
        auto* sheet = new info::frmProperty(m_list->EntryAt(m_list->SelectedRow()), favoritesShown,
                                            m_openUrl, this);
        sheet->setDownloadStarter(
            [](const EntryKey& entry) { download::PrepareDownload(entry.base, entry.target); });
        window = sheet;
    } else {
        window = new info::frmProperties(m_list->SelectedEntries(), folderKey, m_openUrl, this);
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return true;
}

bool frmMain::StartSearch()
{
    bool searched = false;
    {
        search::frmSearch window(update::runState().CurrentArea, this);
        window.exec();
        searched = window.prtySearch();
    }
    if (searched) {
        QTreeWidgetItem* node = m_tree->Node(FolderTree::SearchKey);
        m_tree->SelectNode(node);
        NodeClick(node);
    }
    return true;
}

bool frmMain::ShowSettings(int tab)
{
    options::frmSetting dialog(options::frmSetting::Tab(tab), this);
    connect(&dialog, &options::frmSetting::listWidthsReset, m_list,
            &SoftwareList::ApplyColumnWidths);
    dialog.exec();
    if (dialog.okPressed())
        applyDisplaySettings();
    ShowNetMode();
    return dialog.okPressed();
}

void frmMain::applyDisplaySettings()
{
    m_tree->ApplyFont();
    m_list->ApplyFont();
    // The rows carry the icons and colours they were made with.
    FillSoftwareList(m_tree->SelectedKey());
    UpdateStatus();
}

void frmMain::saveSelectionAsPages()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    exportpages::SaveEntriesAsPages(this, node ? node->text(0) : QString(),
                                    m_list->SelectedEntries());
}

void frmMain::showFolderProperties()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node)
        return;
    auto* window = new info::frmPropertyf(FolderTree::KeyOf(node), node->text(0), m_openUrl, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

bool frmMain::DeleteCategory()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    const QString key = FolderTree::KeyOf(node);
    if (!node || !IsDeletableCategory(key))
        return false;
    if (!AskDeleteCategory(node->text(0)))
        return false;
    bool cacheDeleted = false;
    {
        WaitCursor wait;
        QString error;
        if (!DeleteCategoryRows(key, &error))
            util::TraceIfDebug(QStringLiteral("カテゴリ削除エラー(") + error + u')');
        cacheDeleted = DeleteCategoryCache(key);
        if (cacheDeleted)
            m_tree->RemoveNode(node);
    }
    if (!cacheDeleted) {
        ShowCacheDeletionFailure();
        return false;
    }
    return true;
}

void frmMain::openHelp()
{
    m_openUrl(programfolder::InProgramFolder(kHelpFile));
}

void frmMain::showAbout()
{
    about::frmVersion window(m_openUrl, this);
    window.exec();
}

} // namespace mainwindow

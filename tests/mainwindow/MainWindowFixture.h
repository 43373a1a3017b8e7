#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "mainwindow/FolderTree.h"
#include "mainwindow/SoftwareList.h"
#include "mainwindow/frmMain.h"
#include "support/TestFolder.h"
#include "util/Messages.h"

#include <QHeaderView>
#include <QTest>

// A program folder with a real catalogue and the settings a main window reads, plus helpers that
// act on the window as a user would.
namespace fixture {

inline const QString kLibrary = config::SiteRoot + QStringLiteral("tpack/filearea/");
inline const QString kNewArrivals = config::SiteRoot + QStringLiteral("tpack/whats/");

// The settings a first start would have, for the keys the main window reads.
inline void FirstStartSettings(const QString& dbPath)
{
    config::Settings& s = config::settings();
    s.dbname = dbPath;
    s.Left = s.Top = s.Width = s.Height = -999;
    s.SplitterLeft = -999;
    s.LastWinState = 0;
    s.SortKey = 0;
    s.SortOrder = 0;
    s.Update = 0; // offline: opening a folder never reaches for the site
    s.SearchMax = 100;
    s.RecordListWidth = 0;
    s.ChangeNormalIcon = 4;
    s.ChangeNewIcon = 2;
    s.ChangePickUpIcon = 1;
    s.ChangeReviewIcon = 3;
    s.TreeViewFontSize = 9;
    s.ListViewFontSize = 10;
}

class Catalogue
{
public:
    Catalogue() : m_path(m_folder.file(QStringLiteral("Pelimond.mdb")))
    {
        QVERIFY(catalogue::CreateEmptyCatalogue(m_path));
        FirstStartSettings(m_path);
        config::settings().CacheFolder = m_folder.file(QStringLiteral("CACHE"));
        // Windows colour values are 0x00BBGGRR.
        config::SoftTypes() = {
            {1, QStringLiteral("s_free2.gif"), QStringLiteral("フリー"), 0x0000FF, {}, {}},
            {2, QStringLiteral("s_share2.gif"), QStringLiteral("シェア"), 0xFF8000, {}, {}},
        };
    }

    QString path() const { return m_path; }
    // The program folder the test runs in.
    const TestFolder& folder() const { return m_folder; }

    // A folder below the library or the new arrivals, with its depth taken from its URL.
    void addFolder(const QString& url, const QString& description) const
    {
        const QString root = url.startsWith(kNewArrivals) ? kNewArrivals : kLibrary;
        catalogue::FolderRow row;
        row.TargetURL = url;
        row.Description = description;
        row.URLClass = int(url.count(u'/') - root.count(u'/'));
        catalogue::Db db;
        QVERIFY(catalogue::OpenDb(db, m_path));
        QVERIFY(catalogue::SaveFolder(db, row));
    }

    void addEntries(const QList<catalogue::EntryRow>& rows) const
    {
        catalogue::PageTransaction page(m_path);
        QVERIFY(page.isOpen());
        for (const catalogue::EntryRow& row : rows)
            QVERIFY(catalogue::SaveEntry(page.db(), row));
        QVERIFY(page.commit());
    }

    std::optional<catalogue::EntryRow> entry(const QString& base, const QString& target) const
    {
        catalogue::Db db;
        if (!catalogue::OpenDb(db, m_path))
            return std::nullopt;
        return catalogue::FindEntry(db, base, target);
    }

    QString ini(const QString& section, const QString& key) const
    {
        return config::ReadIni(config::kSettingsFile, section, key, QStringLiteral("<none>"));
    }

private:
    TestFolder m_folder;
    QString m_path;
};

inline catalogue::EntryRow Entry(const QString& base, const QString& target, const QString& name)
{
    catalogue::EntryRow row;
    row.BaseURL = base;
    row.TargetURL = target;
    row.SoftName = name;
    row.FileType = 1;
    return row;
}

inline void ShowWindow(mainwindow::frmMain& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

// Clicks a tree node with the mouse, expanding the folders above it first as a user would.
inline void ClickNode(mainwindow::frmMain& window, const QString& key)
{
    mainwindow::FolderTree* tree = window.tview();
    QStringList above;
    for (qsizetype slash = key.lastIndexOf(u'/', key.size() - 2); slash > 0;
         slash = key.lastIndexOf(u'/', slash - 1))
        above.prepend(key.left(slash + 1));
    for (const QString& parent : above) {
        if (QTreeWidgetItem* node = tree->Node(parent))
            node->setExpanded(true);
    }
    QTreeWidgetItem* node = tree->Node(key);
    QVERIFY2(node, qPrintable(key));
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
    QCOMPARE(tree->currentItem(), node);
}

inline void ClickHeader(mainwindow::frmMain& window, int column)
{
    QHeaderView* header = window.lstView()->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// The shown rows' texts of one column, top to bottom.
inline QStringList ColumnTexts(const mainwindow::frmMain& window, int column)
{
    const mainwindow::SoftwareListModel* model = window.lstView()->listModel();
    QStringList texts;
    for (int r = 0; r < model->rowCount(); ++r)
        texts.append(model->rowAt(r).text[std::size_t(column)]);
    return texts;
}

// ---- a small library branch shared by the main window's tests

inline const QString kWin = kLibrary + QStringLiteral("win/");
inline const QString kUtil = kWin + QStringLiteral("util/");
inline const QString kDisk = kUtil + QStringLiteral("disk/");
inline const QString kPage = config::SiteRoot + QStringLiteral("soft/se000123.html");

// The library's Windows branch three levels deep, a folder whose parent row is missing, and a
// new-arrivals folder.
inline void AddFolderTree(const fixture::Catalogue& db)
{
    db.addFolder(kWin, QStringLiteral("Windows"));
    db.addFolder(kUtil, QStringLiteral("ユーティリティ"));
    db.addFolder(kDisk, QStringLiteral("ディスク"));
    db.addFolder(kDisk + QStringLiteral("tools/"), QStringLiteral("ツール"));
    db.addFolder(kLibrary + QStringLiteral("mac/"), QStringLiteral("Macintosh"));
    db.addFolder(kLibrary + QStringLiteral("dos/game/"), QStringLiteral("迷子"));
    db.addFolder(kNewArrivals + QStringLiteral("win/"), QStringLiteral("新着Windows"));
}

// Three entries of the util folder: names, sizes, marks and prices differ. The sizes order
// differently as numbers and as texts.
inline QList<catalogue::EntryRow> UtilEntries()
{
    catalogue::EntryRow a = Entry(kUtil, kPage, QStringLiteral("beta"));
    a.FileSize = 1234567;
    a.RegiMoney = 1500;
    a.PickUpURL = config::SiteRoot + QStringLiteral("pickup/1.html");
    a.AuthorURL = QStringLiteral("http://author.example/");
    a.FTPURL = QStringLiteral("http://dl.talvex.example/pub/win/tv000123.zip");
    catalogue::EntryRow b = Entry(kUtil, config::SiteRoot + QStringLiteral("soft/se000200.html"),
                                  QStringLiteral("Alpha"));
    b.FileSize = 999999;
    b.NewFlag = 1;
    b.NewsURL = config::SiteRoot + QStringLiteral("news/2.html");
    catalogue::EntryRow c = Entry(kUtil, config::SiteRoot + QStringLiteral("soft/se000300.html"),
                                  QStringLiteral("gamma"));
    c.FileType = 2;
    c.Favorites = true;
    return {a, b, c};
}

inline void AddUtilFolder(const fixture::Catalogue& db)
{
    AddFolderTree(db);
    db.addEntries(UtilEntries());
}

// Shows the window and clicks one node of the tree.
inline void ShowAt(mainwindow::frmMain& window, const QString& key)
{
    fixture::ShowWindow(window);
    fixture::ClickNode(window, key);
}

} // namespace fixture

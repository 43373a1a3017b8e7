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

} // namespace fixture

// The scope picker: its three roots, the branches it reads on first expansion, its OK rule and
// what it returns.

#include "SearchFixture.h"
#include "search/frmSearchRef.h"
#include "tst_search.h"
#include "update/RunState.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using fixture::kGames;
using fixture::kLibrary;
using fixture::kNewArrivals;
using search::frmSearchRef;

namespace {

const QString kWin = kLibrary + u"win/"_s;
const QString kUtil = kWin + u"util/"_s;
const QString kDisk = kUtil + u"disk/"_s;

// Folders three levels deep in the library, one in each other area.
void AddFolders(const fixture::SearchCatalogue& db)
{
    db.addFolder(kWin, u"Windows"_s);
    db.addFolder(kUtil, u"ユーティリティ"_s);
    db.addFolder(kDisk, u"ディスク"_s);
    db.addFolder(kNewArrivals + u"win/"_s, u"新着Windows"_s);
    db.addFolder(kGames + u"act/"_s, u"アクション"_s);
    db.addFolder(kGames + u"act/rpg/"_s, u"RPG"_s);
}

QPushButton* Ok(const frmSearchRef& picker)
{
    return picker.findChild<QPushButton*>(u"cmd_okc_0"_s);
}

void Click(frmSearchRef& picker, const QString& key)
{
    QTreeWidget* tree = picker.treeref();
    QTreeWidgetItem* node = picker.Node(key);
    QVERIFY2(node, qPrintable(key));
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

} // namespace

void TstSearch::pickerTree()
{
    fixture::SearchCatalogue db;
    AddFolders(db);
    // The games area shown: depths still count from each key's own area root.
    update::runState().CurrentArea = 2;
    frmSearchRef picker(2);
    update::runState().CurrentArea = 0;
    QCOMPARE(picker.windowTitle(), u"カテゴリの参照"_s);
    QTreeWidget* tree = picker.treeref();
    QCOMPARE(tree->topLevelItemCount(), 3);
    const QStringList texts{u"新着ライブラリ"_s, u"タルベックスライブラリ"_s,
                            u"タルベックスゲームズ"_s};
    const QStringList keys{kNewArrivals, kLibrary, kGames};
    for (int i = 0; i < 3; ++i) {
        QTreeWidgetItem* root = tree->topLevelItem(i);
        QCOMPARE(root->text(0), texts[i]);
        QCOMPARE(root->data(0, frmSearchRef::KeyRole).toString(), keys[i]);
        QVERIFY(root->isExpanded());
        QVERIFY(!root->icon(0).isNull());
    }
    // Two levels below each root; the third comes on the first expansion, and only then.
    QVERIFY(picker.Node(kUtil));
    QVERIFY(picker.Node(kGames + u"act/rpg/"_s));
    QVERIFY(picker.Node(kNewArrivals + u"win/"_s));
    QVERIFY(!picker.Node(kDisk));
    QTreeWidgetItem* win = picker.Node(kWin);
    win->setExpanded(true);
    QVERIFY(picker.Node(kDisk));
    db.addFolder(kWin + u"mm/"_s, u"マルチメディア"_s);
    win->setExpanded(false);
    win->setExpanded(true);
    QVERIFY(!picker.Node(kWin + u"mm/"_s));
    QCOMPARE(win->childCount(), 1);
    QCOMPARE(picker.Node(kUtil)->childCount(), 1);
}

void TstSearch::pickerOkRule_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("library shown, library root") << 0 << kLibrary << false;
    QTest::newRow("library shown, new-arrivals root") << 0 << kNewArrivals << true;
    QTest::newRow("new arrivals shown, new-arrivals root") << 1 << kNewArrivals << false;
    QTest::newRow("games shown, games root") << 2 << kGames << false;
}

void TstSearch::pickerOkRule()
{
    QFETCH(int, area);
    QFETCH(QString, key);
    QFETCH(bool, enabled);
    fixture::SearchCatalogue db;
    AddFolders(db);
    frmSearchRef picker(area);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    Click(picker, kGames + u"act/"_s);
    QVERIFY(Ok(picker)->isEnabled());
    Click(picker, key);
    QCOMPARE(Ok(picker)->isEnabled(), enabled);
}

void TstSearch::pickerResults_data()
{
    QTest::addColumn<QString>("chosen"); // "" chooses nothing
    QTest::addColumn<QString>("button"); // cmd_okc_0, cmd_okc_1, or "" for Escape
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("OK on a folder") << kUtil << u"cmd_okc_0"_s << kUtil << u"ユーティリティ"_s;
    QTest::newRow("キャンセル") << kUtil << u"cmd_okc_1"_s << QString() << QString();
    QTest::newRow("Escape") << kUtil << QString() << QString() << QString();
    QTest::newRow("OK, nothing chosen") << QString() << u"cmd_okc_0"_s << QString() << QString();
}

void TstSearch::pickerResults()
{
    QFETCH(QString, chosen);
    QFETCH(QString, button);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    fixture::SearchCatalogue db;
    AddFolders(db);
    frmSearchRef picker(0);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    if (!chosen.isEmpty())
        Click(picker, chosen);
    if (button.isEmpty())
        QTest::keyClick(picker.treeref(), Qt::Key_Escape);
    else
        picker.findChild<QPushButton*>(button)->click();
    QVERIFY(!picker.isVisible());
    QCOMPARE(picker.prtyFolder(), folder);
    QCOMPARE(picker.prtyName(), name);
}

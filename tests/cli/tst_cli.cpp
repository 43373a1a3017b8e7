#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "config/Categories.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "support/CatalogueLines.h"
#include "support/TestFolder.h"
#include "talvex-sim/ArchiveBytes.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <csignal>
#include <functional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

// Prepares a program folder: delivered category file, empty catalogue, settings that reach the
// simulated site through its proxy port.
void prepareFolder(const TestFolder& folder, quint16 port)
{
    QList<config::CategoryRecord> rows = config::StandardCategories().mid(0, 15);
    QStringList lines;
    for (const config::CategoryRecord& row : rows)
        lines.append(config::CategoryLine(row));
    folder.writeLines(config::kCategoryFile, lines);
    QVERIFY(catalogue::CreateEmptyCatalogue(folder.file(catalogue::kCatalogueFile)));
    msg::ScriptedSink quiet;
    config::WriteDefaultSettings();
    config::WriteIni(u"URL"_s, u"Proxy"_s, 2, config::kSettingsFile);
    config::WriteIni(u"URL"_s, u"ProxyName"_s, u"127.0.0.1"_s, config::kSettingsFile);
    config::WriteIni(u"URL"_s, u"ProxyPort"_s, port, config::kSettingsFile);
    config::WriteIni(u"CaChe"_s, u"Update"_s, 3, config::kSettingsFile);
}

CliRun runCli(const TestFolder& folder, const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(PELIMOND_CLI), QStringList{u"--folder="_s + folder.path()} + args);
    CliRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString url(const QString& path)
{
    return config::SiteRoot + path;
}

catalogue::FolderRow folderRow(const QString& path, const QString& name, int urlClass,
                               const QDateTime& updated = {})
{
    return {url(path), name, urlClass, updated, false};
}

catalogue::EntryRow entryRow(const QString& base, const QString& target, bool favorite = false,
                             bool search = false)
{
    catalogue::EntryRow row;
    row.BaseURL = base;
    row.TargetURL = target;
    row.SoftName = u"ソフト "_s + target.section(u'/', -1);
    row.Favorites = favorite;
    row.Search = search;
    return row;
}

void writeRows(const TestFolder& folder, const QList<catalogue::FolderRow>& folders,
               const QList<catalogue::EntryRow>& entries)
{
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, folder.file(catalogue::kCatalogueFile)));
    for (const catalogue::FolderRow& row : folders)
        QVERIFY(catalogue::SaveFolder(db, row));
    for (const catalogue::EntryRow& row : entries)
        QVERIFY(catalogue::SaveEntry(db, row));
}

// The folder keys and the entry keys ("base target") of the catalogue.
QStringList folderKeys(const TestFolder& folder)
{
    return catalogueLines(folder.file(catalogue::kCatalogueFile))
        .filter(QRegularExpression(u"^F "_s))
        .replaceInStrings(QRegularExpression(u"^F ([^|]*)\\|.*$"_s), u"\\1"_s);
}

QStringList entryKeys(const TestFolder& folder)
{
    return catalogueLines(folder.file(catalogue::kCatalogueFile))
        .filter(QRegularExpression(u"^E "_s))
        .replaceInStrings(QRegularExpression(u"^E ([^|]*)\\|([^|]*)\\|.*$"_s), u"\\1 \\2"_s);
}

// The cache file of a site page below the program folder's first-run cache folder.
QString cacheFile(const QString& path)
{
    return u"CACHE/"_s + path;
}

// A catalogue over the three areas, with sibling folders that a prefix test taking "_" or "%"
// as wildcards would take for the deleted one; each folder has an entry and a cached page.
struct FixtureFolder
{
    QString path;
    QString name;
    int urlClass;
};

const QList<FixtureFolder> kFolders{
    {u"tpack/filearea/win/"_s, u"Windows"_s, 1},
    {u"tpack/filearea/win/util/"_s, u"ユーティリティ"_s, 2},
    {u"tpack/filearea/win/util/disk/"_s, u"ディスク"_s, 3},
    {u"tpack/filearea/win/game/"_s, u"ゲーム"_s, 2},
    {u"tpack/filearea/win/a_b/"_s, u"下線"_s, 2},
    {u"tpack/filearea/win/axb/"_s, u"下線の相手"_s, 2},
    {u"tpack/filearea/win/p%/"_s, u"百分率"_s, 2},
    {u"tpack/filearea/win/pzz/"_s, u"百分率の相手"_s, 2},
    {u"tpack/whats/win/"_s, u"Windows(新着)"_s, 1},
    {u"games/lib/win/game/action/"_s, u"アクション"_s, 1},
};
// A favourite and a search result below win/util/, besides the folders' own entries.
const QString kFavorite = u"soft/win/se000101.html"_s;
const QString kFound = u"soft/win/se000102.html"_s;

QStringList fixtureCachedPages()
{
    QStringList pages{u"download/index.html"_s, u"tpack/whats/index.html"_s,
                      u"games/lib/win/game/index.html"_s,
                      u"tpack/filearea/win/util/by_date.html"_s};
    for (const FixtureFolder& f : kFolders)
        pages.append(f.path + u"index.html"_s);
    return pages;
}

void writeDeletionFixture(const TestFolder& folder)
{
    const QDateTime when(QDate(2024, 3, 9), QTime(8, 5, 1));
    QList<catalogue::FolderRow> folders;
    QList<catalogue::EntryRow> entries;
    for (qsizetype i = 0; i < kFolders.size(); ++i) {
        folders.append(folderRow(kFolders[i].path, kFolders[i].name, kFolders[i].urlClass, when));
        entries.append(entryRow(url(kFolders[i].path),
                                url(u"soft/win/se%1.html"_s.arg(i + 1, 6, 10, QChar(u'0')))));
    }
    const QString util = url(u"tpack/filearea/win/util/"_s);
    entries.append(entryRow(util, url(kFavorite), true));
    entries.append(entryRow(util, url(kFound), false, true));
    writeRows(folder, folders, entries);
    for (const QString& page : fixtureCachedPages())
        folder.writeBytes(cacheFile(page), "<html></html>");
}

// A package of the site that meets the test, or -1.
int findPackage(const talvexsim::Site& site,
                const std::function<bool(const talvexsim::Package&)>& test)
{
    for (const talvexsim::Package& p : site.packages()) {
        if (p.area == talvexsim::kAreaLibrary && test(p))
            return p.index;
    }
    return -1;
}

// The catalogue row of a package as its folder's list names it.
catalogue::EntryRow listedRow(const talvexsim::Site& site, int index)
{
    const talvexsim::Package& p = site.package(index);
    catalogue::EntryRow row = entryRow(site.folder(p.home).url, p.url);
    row.SoftName = p.name;
    row.PickUpURL = p.pickUpUrl;
    row.NewsURL = p.newsUrl;
    return row;
}

} // namespace

class TstCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void updateGivesTheSameCatalogueAsTheUpdateWindow();
    void listPrintsTheListColumns();
    void detailReadsTheEntryPages();
    void aSiteThatDoesNotAnswerFails();
    void badCallsExitWithTwo();
    void favoriteMarksTheEntry_data();
    void favoriteMarksTheEntry();
    void deleteCategoryAsksFirst();
    void deleteCategoryRemovesTheSubtree_data();
    void deleteCategoryRemovesTheSubtree();
    void deleteCategoryRefusesOtherKeys_data();
    void deleteCategoryRefusesOtherKeys();
    void deleteCategoryReportsACacheThatStays();
    void propertiesCountTheSubtree_data();
    void propertiesCountTheSubtree();
    void addressByKind_data();
    void addressByKind();
    void memberServiceAddresses_data();
    void memberServiceAddresses();
    void verbsWithoutACatalogueFail_data();
    void verbsWithoutACatalogueFail();
    void openReadsTheAreaOfTheUrl_data();
    void openReadsTheAreaOfTheUrl();
    void aRunningUpdateKeepsCompactionAndOtherUpdatesAway();
    void searchFindsWhatTheSiteLists();
    void exportWritesTheNamedEntries();
    void setRefusesWhatTheFileCannotHold();
    void downloadFetchesTheArchive();
    void aLogLeftByAKilledRunIsWrittenBack();
    void aFullDiskStopsTheRunWithAMessage();
    void aFileThatIsNoCatalogueIsRefused_data();
    void aFileThatIsNoCatalogueIsRefused();
    void ctrlCStopsAPageBeingFetched();
    void aRefreshKilledOnItsSecondPageKeepsTheOldList();

private:
    std::shared_ptr<const talvexsim::Site> m_site;
    std::unique_ptr<talvexsim::SimServerThread> m_server;
};

void TstCli::initTestCase()
{
    m_site = std::make_shared<const talvexsim::Site>(5, 1);
    m_server = std::make_unique<talvexsim::SimServerThread>(m_site);
    QVERIFY(m_server->start());
}

void TstCli::cleanupTestCase()
{
    m_server->stop();
}

void TstCli::updateGivesTheSameCatalogueAsTheUpdateWindow()
{
    const QString start = config::SiteRoot + u"tpack/filearea/win/"_s;
    QStringList byCli;
    {
        TestFolder folder;
        prepareFolder(folder, m_server->port());
        const CliRun run = runCli(folder, {u"update"_s, start});
        QCOMPARE(run.status, 0);
        // One progress line per page, in the status bar's words.
        QVERIFY(run.err.contains(start + u"index.html を開いています..."_s));
        // The run's write-ahead log is written back when the run ends: one catalogue file.
        QVERIFY(!QFile::exists(folder.file(catalogue::kCatalogueFile + u"-wal"_s)));
        QVERIFY(!QFile::exists(folder.file(catalogue::kCatalogueFile + u"-shm"_s)));
        byCli = catalogueLines(folder.file(catalogue::kCatalogueFile));
    }
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    msg::ScriptedSink messages;
    config::LoadSettings();
    update::RunObserver observer;
    QVERIFY(update::RunUpdateWindow(&observer, start));
    QVERIFY(messages.shown.isEmpty());
    const QStringList byWindow = catalogueLines(folder.file(catalogue::kCatalogueFile));
    QVERIFY(byWindow.size() > 20);
    QCOMPARE(byCli, byWindow);
}

void TstCli::listPrintsTheListColumns()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const QString url = config::SiteRoot + u"tpack/filearea/win/"_s;
    QCOMPARE(runCli(folder, {u"update"_s, url}).status, 0);
    const QString key = catalogueLines(folder.file(catalogue::kCatalogueFile))
                            .filter(QRegularExpression(u"^E "_s))
                            .value(0)
                            .mid(2)
                            .section(u'|', 0, 0);
    QVERIFY(!key.isEmpty());
    const CliRun plain = runCli(folder, {u"list"_s, key});
    QCOMPARE(plain.status, 0);
    const QStringList lines = plain.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'\t');
        QCOMPARE(fields.size(), 10);
        QVERIFY(QRegularExpression(u"^[-P][-R][-N]$"_s).match(fields[0]).hasMatch());
        QCOMPARE(fields[8], key);
    }
    const CliRun json = runCli(folder, {u"--json"_s, u"list"_s, key});
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(rows.size(), lines.size());
    QCOMPARE(rows[0].toObject().value(u"base"_s).toString(), key);
    // An unknown folder lists nothing and is no error.
    const CliRun none = runCli(folder, {u"list"_s, config::SiteRoot + u"nothing/"_s});
    QCOMPARE(none.status, 0);
    QVERIFY(none.out.isEmpty());
}

void TstCli::detailReadsTheEntryPages()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const int win = m_site->folderByPath(u"tpack/filearea/win/"_s);
    QVERIFY(win >= 0);
    int withList = -1;
    for (int child : m_site->folder(win).children) {
        if (m_site->folder(child).hasList && !m_site->folder(child).packages.isEmpty()) {
            withList = child;
            break;
        }
    }
    QVERIFY(withList >= 0);
    const int index = m_site->folder(withList).packages.first();
    const talvexsim::Package& p = m_site->package(index);
    const talvexsim::Folder& f = m_site->folder(withList);
    const CliRun run = runCli(folder, {u"--json"_s, u"detail"_s, f.url, p.url});
    QCOMPARE(run.status, 0);
    const QJsonObject row = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(row.value(u"DetailRead"_s).toBool(), true);
    QCOMPARE(row.value(u"FileSize2"_s).toInteger(), m_site->detail(index).fileSize2);
    QCOMPARE(row.value(u"Author"_s).toString(), m_site->detail(index).author);
}

void TstCli::aSiteThatDoesNotAnswerFails()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    config::WriteIni(u"URL"_s, u"ProxyPort"_s, 1, config::kSettingsFile);
    config::WriteIni(u"URL"_s, u"TimeOut"_s, 1, config::kSettingsFile);
    const CliRun run = runCli(folder, {u"open"_s, config::SiteRoot + u"tpack/filearea/win/"_s});
    QVERIFY(run.status != 0);
    // The message box texts go to stderr as they stand.
    QVERIFY2(run.err.contains(u"接続失敗: データの取得に失敗しました。"_s), qPrintable(run.err));
}

void TstCli::badCallsExitWithTwo()
{
    TestFolder folder;
    for (const QStringList& args :
         {QStringList{}, QStringList{u"frobnicate"_s}, QStringList{u"list"_s},
          QStringList{u"detail"_s, u"one"_s}, QStringList{u"--bogus"_s, u"list"_s, u"x"_s},
          QStringList{u"favorite"_s, u"toggle"_s, u"a"_s, u"b"_s},
          QStringList{u"favorite"_s, u"add"_s, u"a"_s}, QStringList{u"delete-category"_s},
          QStringList{u"properties"_s, u"a"_s, u"b"_s},
          QStringList{u"address"_s, u"page"_s, u"a"_s, u"b"_s},
          QStringList{u"member"_s, u"1"_s, u"a"_s}}) {
        const CliRun run = runCli(folder, args);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(u"使い方: pelimond-cli"_s));
    }
    const CliRun help = runCli(folder, {u"--help"_s});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains(u"update [URL]"_s));
    // Neither a bad call nor --help writes anything into the program folder.
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TstCli::favoriteMarksTheEntry_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("favorites"); // entry numbers marked afterwards
    QTest::addColumn<QString>("message");
    const QString base = url(u"tpack/filearea/win/util/"_s);
    auto entry = [](const char* name) { return url(u"soft/win/"_s + QLatin1String(name)); };
    QTest::newRow("add") << QStringList{u"add"_s, base, entry("se000001.html")} << 0
                         << QStringList{u"1"_s, u"2"_s, u"4"_s}
                         << u"1件のライブラリをお気に入りに追加しました。"_s;
    QTest::newRow("add again") << QStringList{u"add"_s, base, entry("se000002.html")} << 0
                               << QStringList{u"2"_s, u"4"_s} << u"追加しました"_s;
    QTest::newRow("remove") << QStringList{u"remove"_s, base, entry("se000002.html")} << 0
                            << QStringList{u"4"_s} << u"お気に入りから削除しました。"_s;
    QTest::newRow("apostrophe added")
        << QStringList{u"add"_s, base, entry("it's/se000003.html")} << 0
        << QStringList{u"2"_s, u"3"_s, u"4"_s} << u"追加しました"_s;
    QTest::newRow("apostrophe removed")
        << QStringList{u"remove"_s, base, entry("it's/se000004.html")} << 0 << QStringList{u"2"_s}
        << u"削除しました"_s;
    QTest::newRow("unknown entry") << QStringList{u"add"_s, base, entry("se999999.html")} << 1
                                   << QStringList{u"2"_s, u"4"_s} << u"エントリが見つかりません"_s;
    QTest::newRow("entry of another folder")
        << QStringList{u"remove"_s, url(u"tpack/filearea/win/"_s), entry("se000002.html")} << 1
        << QStringList{u"2"_s, u"4"_s} << u"エントリが見つかりません"_s;
}

void TstCli::favoriteMarksTheEntry()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QStringList, favorites);
    QFETCH(QString, message);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const QString base = url(u"tpack/filearea/win/util/"_s);
    writeRows(folder, {},
              {entryRow(base, url(u"soft/win/se000001.html"_s)),
               entryRow(base, url(u"soft/win/se000002.html"_s), true),
               entryRow(base, url(u"soft/win/it's/se000003.html"_s)),
               entryRow(base, url(u"soft/win/it's/se000004.html"_s), true)});
    const CliRun run = runCli(folder, QStringList{u"favorite"_s} + args);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, folder.file(catalogue::kCatalogueFile)));
    QStringList marked;
    for (const catalogue::EntryRow& row : catalogue::FavoriteEntries(db))
        marked.append(row.TargetURL.right(6).left(1));
    marked.sort();
    QCOMPARE(marked, favorites);
}

void TstCli::deleteCategoryAsksFirst()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    writeDeletionFixture(folder);
    const QStringList before = catalogueLines(folder.file(catalogue::kCatalogueFile));
    // Without --yes the question is answered with its default, No: nothing changes.
    const CliRun no = runCli(folder, {u"delete-category"_s, url(u"tpack/filearea/win/util/"_s)});
    QCOMPARE(no.status, 1);
    QVERIFY2(no.err.contains(u"カテゴリ削除の確認: カテゴリ 'ユーティリティ' と"
                             "カテゴリ内の全てのライブラリを削除してもよろしいですか?"_s),
             qPrintable(no.err));
    QVERIFY(no.err.contains(u"キャンセルしました。"_s));
    QCOMPARE(catalogueLines(folder.file(catalogue::kCatalogueFile)), before);
    for (const QString& page : fixtureCachedPages())
        QVERIFY2(QFile::exists(folder.file(cacheFile(page))), qPrintable(page));
    // A folder without a row is asked about by its address.
    const QString bare = url(u"tpack/filearea/win/nowhere/"_s);
    const CliRun unnamed = runCli(folder, {u"delete-category"_s, bare});
    QCOMPARE(unnamed.status, 1);
    QVERIFY2(unnamed.err.contains(u"カテゴリ '"_s + bare + u"' と"_s), qPrintable(unnamed.err));
}

void TstCli::deleteCategoryRemovesTheSubtree_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("parentPages"); // the cached pages that list the category
    QTest::newRow("second level, favourite and search result inside")
        << u"tpack/filearea/win/util/"_s << QStringList{u"tpack/filearea/win/index.html"_s};
    QTest::newRow("third level: the parent's page in every order")
        << u"tpack/filearea/win/util/disk/"_s
        << QStringList{u"tpack/filearea/win/util/index.html"_s,
                       u"tpack/filearea/win/util/by_date.html"_s};
    QTest::newRow("first level: the area's start page")
        << u"tpack/filearea/win/"_s << QStringList{u"download/index.html"_s};
    QTest::newRow("underscore is no wildcard")
        << u"tpack/filearea/win/a_b/"_s << QStringList{u"tpack/filearea/win/index.html"_s};
    QTest::newRow("percent is no wildcard")
        << u"tpack/filearea/win/p%/"_s << QStringList{u"tpack/filearea/win/index.html"_s};
    QTest::newRow("new arrivals") << u"tpack/whats/win/"_s
                                  << QStringList{u"tpack/whats/index.html"_s};
    QTest::newRow("games") << u"games/lib/win/game/action/"_s
                           << QStringList{u"games/lib/win/game/index.html"_s};
}

void TstCli::deleteCategoryRemovesTheSubtree()
{
    QFETCH(QString, key);
    QFETCH(QStringList, parentPages);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    writeDeletionFixture(folder);
    // What must stay: every folder outside the subtree, taken character by character, and
    // every entry outside it or marked as a favourite or search result.
    QStringList folders;
    for (const QString& f : folderKeys(folder)) {
        if (!f.startsWith(url(key)))
            folders.append(f);
    }
    QStringList entries;
    for (const QString& e : entryKeys(folder)) {
        if (!e.startsWith(url(key)) || e.endsWith(kFavorite) || e.endsWith(kFound))
            entries.append(e);
    }
    const CliRun run = runCli(folder, {u"--yes"_s, u"delete-category"_s, url(key)});
    QCOMPARE(run.status, 0);
    QVERIFY(run.err.contains(u"カテゴリ削除の確認"_s));
    QCOMPARE(folderKeys(folder), folders);
    QCOMPARE(entryKeys(folder), entries);
    for (const QString& page : fixtureCachedPages())
        QVERIFY2(QFile::exists(folder.file(cacheFile(page))) !=
                     (page.startsWith(key) || parentPages.contains(page)),
                 qPrintable(page));
    QVERIFY(!QFileInfo::exists(folder.file(cacheFile(key))));
}

void TstCli::deleteCategoryRefusesOtherKeys_data()
{
    QTest::addColumn<QString>("key");
    for (std::size_t area = 0; area < config::AreaPaths.size(); ++area)
        QTest::addRow("area root %d", int(area)) << config::SiteRoot + config::AreaPaths[area];
    QTest::newRow("start page") << config::AreaUrls[0];
    QTest::newRow("favourites") << u"Favorites"_s;
    QTest::newRow("search result") << u"Search"_s;
    QTest::newRow("another host") << u"http://example.com/tpack/filearea/win/"_s;
    QTest::newRow("no trailing slash") << url(u"tpack/filearea/win"_s);
    QTest::newRow("site root") << config::SiteRoot;
}

void TstCli::deleteCategoryRefusesOtherKeys()
{
    QFETCH(QString, key);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    writeDeletionFixture(folder);
    const QStringList before = catalogueLines(folder.file(catalogue::kCatalogueFile));
    const CliRun run = runCli(folder, {u"--yes"_s, u"delete-category"_s, key});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(u"このカテゴリは削除できません"_s), qPrintable(run.err));
    QVERIFY(!run.err.contains(u"カテゴリ削除の確認"_s));
    QCOMPARE(catalogueLines(folder.file(catalogue::kCatalogueFile)), before);
    for (const QString& page : fixtureCachedPages())
        QVERIFY(QFile::exists(folder.file(cacheFile(page))));
}

void TstCli::deleteCategoryReportsACacheThatStays()
{
    if (::geteuid() == 0)
        QSKIP("the superuser deletes files in a read-only folder");
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    writeDeletionFixture(folder);
    const QString dir = folder.file(cacheFile(u"tpack/filearea/win/util/"_s));
    const QFile::Permissions before = QFile::permissions(dir);
    QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
    const CliRun run =
        runCli(folder, {u"--yes"_s, u"delete-category"_s, url(u"tpack/filearea/win/util/"_s)});
    QFile::setPermissions(dir, before);
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"ファイルの削除エラー: キャッシュファイルの削除に失敗しました。\n"
                              "他のアプリケーションでキャッシュ内のファイルを開いているなどで\n"
                              "ファイルが削除できませんでした。"_s),
             qPrintable(run.err));
    // The page that lists the category is kept, so the category is not read again by mistake.
    QVERIFY(QFile::exists(folder.file(cacheFile(u"tpack/filearea/win/index.html"_s))));
}

void TstCli::propertiesCountTheSubtree_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("folders");
    QTest::addColumn<QString>("updated"); // "now" for the fixed nodes, "" without a row
    QTest::newRow("folder with sub-folders")
        << url(u"tpack/filearea/win/"_s) << 10 << 7 << u"2024-03-09 08:05:01"_s;
    QTest::newRow("leaf") << url(u"tpack/filearea/win/util/disk/"_s) << 1 << 0
                          << u"2024-03-09 08:05:01"_s;
    QTest::newRow("underscore counts its own folder only")
        << url(u"tpack/filearea/win/a_b/"_s) << 1 << 0 << u"2024-03-09 08:05:01"_s;
    QTest::newRow("percent counts its own folder only")
        << url(u"tpack/filearea/win/p%/"_s) << 1 << 0 << u"2024-03-09 08:05:01"_s;
    QTest::newRow("favourites") << u"Favorites"_s << 1 << 0 << u"now"_s;
    QTest::newRow("search result") << u"Search"_s << 1 << 0 << u"now"_s;
    QTest::newRow("folder without a row") << url(u"tpack/filearea/mac/"_s) << 0 << 0 << QString();
}

void TstCli::propertiesCountTheSubtree()
{
    QFETCH(QString, key);
    QFETCH(int, entries);
    QFETCH(int, folders);
    QFETCH(QString, updated);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    writeDeletionFixture(folder);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    const CliRun json = runCli(folder, {u"--json"_s, u"properties"_s, key});
    QCOMPARE(json.status, 0);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(object.value(u"key"_s).toString(), key);
    QCOMPARE(object.value(u"entries"_s).toInt(-1), entries);
    QCOMPARE(object.value(u"folders"_s).toInt(-1), folders);
    const QJsonValue date = object.value(u"updated"_s);
    if (updated.isEmpty()) {
        QVERIFY(date.isNull());
    } else if (updated == u"now") {
        const QDateTime when = QDateTime::fromString(date.toString(), u"yyyy-MM-dd HH:mm:ss"_s);
        QVERIFY2(when >= before && when <= QDateTime::currentDateTime(),
                 qPrintable(date.toString()));
    } else {
        QCOMPARE(date.toString(), updated);
    }

    const CliRun text = runCli(folder, {u"properties"_s, key});
    QCOMPARE(text.status, 0);
    const QStringList lines = text.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], u"場所: "_s + key);
    QCOMPARE(lines[1], u"内容: ライブラリ数: "_s + QString::number(entries) + u"、カテゴリ数: "_s +
                           QString::number(folders));
    if (updated.isEmpty())
        QCOMPARE(lines[2], u"更新日付: ----年--月--日、--:--:--"_s);
    else if (updated != u"now")
        QCOMPARE(lines[2], u"更新日付: 2024年03月09日、08:05:01"_s);
    else
        QVERIFY(QRegularExpression(u"^更新日付: \\d{4}年\\d\\d月\\d\\d日、\\d\\d:\\d\\d:\\d\\d$"_s)
                    .match(lines[2])
                    .hasMatch());
}

void TstCli::addressByKind_data()
{
    QTest::addColumn<int>("package");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("address");  // "" when the command fails
    QTest::addColumn<QString>("message");  // on stderr
    QTest::addColumn<bool>("readsDetail"); // whether the detail page is fetched
    const talvexsim::Site& site = *m_site;
    using talvexsim::Package;
    const int full = findPackage(site, [&site](const Package& p) {
        return p.price > 0 && !p.pickUpUrl.isEmpty() && !site.detail(p.index).authorUrl.isEmpty();
    });
    const int news = findPackage(site, [](const Package& p) { return !p.newsUrl.isEmpty(); });
    const int bare = findPackage(site, [&site](const Package& p) {
        return p.price == 0 && p.pickUpUrl.isEmpty() && p.newsUrl.isEmpty() &&
               site.detail(p.index).authorUrl.isEmpty();
    });
    QVERIFY(full >= 0 && news >= 0 && bare >= 0);
    const Package& f = site.package(full);
    QTest::newRow("page") << full << u"0"_s << f.url << QString() << false;
    QTest::newRow("download page")
        << full << u"1"_s << talvexsim::Site::downloadPageUrl(f.url) << QString() << false;
    QTest::newRow("author page") << full << u"2"_s << site.detail(full).authorUrl
                                 << u"作者情報を読み込んでいます..."_s << true;
    QTest::newRow("payment page") << full << u"3"_s << site.detail(full).paymentUrl << QString()
                                  << true;
    QTest::newRow("pick-up article") << full << u"4"_s << f.pickUpUrl << QString() << false;
    QTest::newRow("news article") << news << u"5"_s << site.package(news).newsUrl << QString()
                                  << false;
    QTest::newRow("archive") << full << u"6"_s << site.detail(full).ftpUrl << QString() << true;
    QTest::newRow("no pick-up article")
        << bare << u"4"_s << QString() << u"PickUp記事がありません"_s << false;
    QTest::newRow("no news article")
        << bare << u"5"_s << QString() << u"News記事がありません"_s << false;
    QTest::newRow("author without a page")
        << bare << u"2"_s << QString()
        << u"情報を取得できませんでした: 選択されたライブラリの作者が取得できませんでした。"_s
        << true;
    QTest::newRow("free entry has no payment page")
        << bare << u"3"_s << QString()
        << u"選択されたライブラリの支払い情報が取得できませんでした。"_s << true;
    QTest::newRow("kind 7") << full << u"7"_s << QString() << u"アドレスの種類 7 はありません"_s
                            << false;
    QTest::newRow("negative kind")
        << full << u"-1"_s << QString() << u"アドレスの種類 -1 はありません"_s << false;
    QTest::newRow("unknown entry")
        << -1 << u"0"_s << QString() << u"エントリが見つかりません"_s << false;
}

void TstCli::addressByKind()
{
    QFETCH(int, package);
    QFETCH(QString, kind);
    QFETCH(QString, address);
    QFETCH(QString, message);
    QFETCH(bool, readsDetail);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const talvexsim::Site& site = *m_site;
    const int known = package >= 0 ? package : 0;
    writeRows(folder, {}, {listedRow(site, known)});
    const QString base = site.folder(site.package(known).home).url;
    const QString target =
        package >= 0 ? site.package(package).url : url(u"soft/win/se999999.html"_s);
    const qsizetype requests = m_server->requests().size();

    const CliRun run = runCli(folder, {u"address"_s, kind, base, target});
    QCOMPARE(run.status, address.isEmpty() ? 1 : 0);
    QCOMPARE(run.out, address.isEmpty() ? QString() : address + u'\n');
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    const bool fetched = !m_server->requests().recordsFor(site.package(known).url).isEmpty() &&
                         m_server->requests().size() > requests;
    QCOMPARE(fetched, readsDetail);
    if (kind != u"2" || address.isEmpty())
        return;
    // An author page already in the row is taken as it is, without reading the page again.
    const qsizetype after = m_server->requests().size();
    const CliRun again = runCli(folder, {u"address"_s, kind, base, target});
    QCOMPARE(again.out, address + u'\n');
    QCOMPARE(m_server->requests().size(), after);
}

void TstCli::memberServiceAddresses_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("path"); // of the address, with the entry number as %1
    QTest::addColumn<int>("status");
    QTest::newRow("download list")
        << u"0"_s << u"/servlet/System.FileDownload/append/html/0/%1/"_s << 0;
    QTest::newRow("mail form") << u"1"_s << u"/servlet/Service.MailTo.Top?TITLE="_s << 0;
    QTest::newRow("other kind") << u"2"_s << QString() << 1;
}

void TstCli::memberServiceAddresses()
{
    QFETCH(QString, kind);
    QFETCH(QString, path);
    QFETCH(int, status);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const talvexsim::Site& site = *m_site;
    const talvexsim::Package& p = site.package(0);
    writeRows(folder, {}, {listedRow(site, 0)});
    const CliRun run = runCli(folder, {u"member"_s, kind, site.folder(p.home).url, p.url});
    QCOMPARE(run.status, status);
    if (status != 0) {
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(u"サービスの種類 2 はありません"_s), qPrintable(run.err));
        return;
    }
    const QString address = run.out.trimmed();
    const QString host = u"http://"_s + config::MemberHost;
    const QString number = QStringLiteral("%1").arg(p.id, 6, 10, QChar(u'0'));
    QVERIFY2(address.startsWith(host + QString(path).replace(u"%1"_s, number)),
             qPrintable(address));
    if (kind == u"1")
        QVERIFY(address.endsWith(u"&EMAIL=Your+Address&NAME=Your+Name"_s));
    // The member service of the simulated site answers the address with a page of its own.
    const talvexsim::SitePages pages(m_site);
    QCOMPARE(pages.get(config::MemberHost, address.mid(host.size())).status, 200);
}

void TstCli::verbsWithoutACatalogueFail_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString base = url(u"tpack/filearea/win/"_s);
    const QString target = url(u"soft/win/se000001.html"_s);
    QTest::newRow("favorite") << QStringList{u"favorite"_s, u"add"_s, base, target}
                              << u"カタログを開けません"_s;
    QTest::newRow("delete-category")
        << QStringList{u"--yes"_s, u"delete-category"_s, base} << u"カタログを開けません"_s;
    QTest::newRow("properties") << QStringList{u"properties"_s, base} << u"カタログを読めません"_s;
    QTest::newRow("address") << QStringList{u"address"_s, u"0"_s, base, target}
                             << u"カタログを開けません"_s;
    QTest::newRow("member") << QStringList{u"member"_s, u"0"_s, base, target}
                            << u"カタログを開けません"_s;
}

void TstCli::verbsWithoutACatalogueFail()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    QVERIFY(QFile::remove(folder.file(catalogue::kCatalogueFile)));
    const CliRun run = runCli(folder, args);
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    // A missing catalogue is never made anew, empty.
    QVERIFY(!QFile::exists(folder.file(catalogue::kCatalogueFile)));
}

void TstCli::openReadsTheAreaOfTheUrl_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("folder"); // the site's folder whose sub-folders are stored
    const talvexsim::Site& site = *m_site;
    const int games = site.startFolder(talvexsim::kAreaGames);
    int genre = -1;
    for (int child : site.folder(games).children) {
        if (!site.folder(child).children.isEmpty()) {
            genre = child;
            break;
        }
    }
    QVERIFY(genre >= 0);
    const int whats = site.startFolder(talvexsim::kAreaNewArrivals);
    QTest::newRow("new arrivals") << site.folder(whats).url << whats;
    QTest::newRow("games area") << site.folder(games).url << games;
    QTest::newRow("games genre") << site.folder(genre).url << genre;
    QTest::newRow("library root key opens the start page")
        << config::SiteRoot + config::AreaPaths[0] << site.startFolder(talvexsim::kAreaLibrary);
}

void TstCli::openReadsTheAreaOfTheUrl()
{
    QFETCH(QString, address);
    QFETCH(int, folder);
    TestFolder program;
    prepareFolder(program, m_server->port());
    const CliRun run = runCli(program, {u"open"_s, address});
    QCOMPARE(run.status, 0);
    const talvexsim::Site& site = *m_site;
    QVERIFY(!site.folder(folder).children.isEmpty());
    // The companion's program folder has the delivered categories plus the new arrivals it
    // adds at start; a link is stored when its category is fetched.
    config::Categories() = QList<config::CategoryRecord>{{}} + config::StandardCategories();
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, program.file(catalogue::kCatalogueFile)));
    int stored = 0;
    for (int child : site.folder(folder).children) {
        const talvexsim::Folder& c = site.folder(child);
        const std::optional<catalogue::FolderRow> row = catalogue::FindFolder(db, c.url);
        QCOMPARE(row.has_value(), config::IsCategoryFetched(c.url));
        if (!row)
            continue;
        ++stored;
        QCOMPARE(row->URLClass, c.depth);
        QCOMPARE(row->Description, c.name);
    }
    QVERIFY(stored > 0);
}

// Two processes on one program folder: while an update runs, a compaction does not replace the
// catalogue under it and a second update does not interleave with it.
void TstCli::aRunningUpdateKeepsCompactionAndOtherUpdatesAway()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const auto slow = talvexsim::FaultRule::parse(u"delay:150@/tpack/*"_s);
    QVERIFY(slow);
    m_server->faults().add(*slow);
    m_server->requests().clear();
    QProcess first;
    first.start(QStringLiteral(PELIMOND_CLI), {u"--folder="_s + folder.path(), u"update"_s,
                                               config::SiteRoot + u"tpack/filearea/win/"_s});
    QTRY_VERIFY_WITH_TIMEOUT(m_server->requests().size() >= 2, 20000);

    const CliRun second = runCli(folder, {u"update"_s, config::SiteRoot + u"tpack/filearea/"_s});
    QCOMPARE(second.status, 1);
    QVERIFY2(second.err.contains(u"別の更新で使用中"_s), qPrintable(second.err));
    const CliRun compact = runCli(folder, {u"compact"_s});
    QCOMPARE(compact.status, 1);
    QVERIFY2(compact.err.contains(u"使用中"_s), qPrintable(compact.err));

    QVERIFY(first.waitForFinished(120000));
    m_server->faults().clear();
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(runCli(folder, {u"compact"_s}).status, 0);
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, folder.file(catalogue::kCatalogueFile)));
    catalogue::Statement* check = db.select(u"PRAGMA integrity_check"_s);
    QVERIFY(check && check->next());
    QCOMPARE(check->value(0).toString(), u"ok"_s);
    check->finish();
    QVERIFY(catalogue::CountEntriesBelow(db, config::SiteRoot + u"tpack/filearea/win/"_s) > 0);
}

// A refresh killed while it waits for the folder's second page leaves the old list whole.
void TstCli::aRefreshKilledOnItsSecondPageKeepsTheOldList()
{
    const talvexsim::Folder* multi = nullptr;
    for (const talvexsim::Folder& f : m_site->folders()) {
        if (f.hasList && m_site->pageCount(f.index) >= 3 && f.area == talvexsim::kAreaLibrary) {
            multi = &f;
            break;
        }
    }
    QVERIFY(multi);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    QCOMPARE(runCli(folder, {u"open"_s, multi->url}).status, 0);
    const QString list = runCli(folder, {u"list"_s, multi->url}).out;
    QVERIFY(list.count(u'\n') == multi->packages.size());

    const QString page2 = m_site->listPageUrl(multi->index, talvexsim::ListOrder::Index, 2).mid(25);
    const auto hold = talvexsim::FaultRule::parse(u"delay:8000@"_s + page2);
    QVERIFY(hold);
    m_server->faults().add(*hold);
    m_server->requests().clear();
    QProcess refresh;
    refresh.start(QStringLiteral(PELIMOND_CLI),
                  {u"--folder="_s + folder.path(), u"open"_s, multi->url});
    // Page 1 has been read; the refresh now waits for page 2.
    QTRY_VERIFY_WITH_TIMEOUT(m_server->requests().size() >= 1, 20000);
    QTest::qWait(1000);
    refresh.kill();
    QVERIFY(refresh.waitForFinished(10000));
    m_server->faults().clear();
    QCOMPARE(runCli(folder, {u"list"_s, multi->url}).out, list);
}

// The companion's search marks the same hits the site's own model says a search must find, and
// prints them as `list Search` does.
void TstCli::searchFindsWhatTheSiteLists()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const QString win = config::SiteRoot + u"tpack/filearea/win/"_s;
    QCOMPARE(runCli(folder, {u"update"_s, win}).status, 0);
    QCOMPARE(runCli(folder, {u"set"_s, u"Window"_s, u"SearchMax"_s, u"100000"_s}).status, 0);
    const auto asciiLower = [](QString text) {
        for (QChar& c : text) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        return text;
    };
    // What the model lists below the folder, as (folder, package page) pairs.
    const auto expected = [&](const std::function<bool(const talvexsim::Package&)>& test) {
        QStringList pairs;
        for (const talvexsim::Folder& f : m_site->folders()) {
            if (!f.url.startsWith(win) || !f.hasList)
                continue;
            for (int index : f.packages) {
                const talvexsim::Package& p = m_site->package(index);
                if (test(p))
                    pairs.append(f.url + u' ' + p.url);
            }
        }
        pairs.sort();
        return pairs;
    };
    const auto hits = [&](const QStringList& options) {
        const CliRun run = runCli(folder, QStringList{u"--json"_s, u"search"_s} + options);
        QStringList pairs;
        for (const QJsonValue& row : QJsonDocument::fromJson(run.out.toUtf8()).array())
            pairs.append(row[u"base"_s].toString() + u' ' + row[u"target"_s].toString());
        pairs.sort();
        return std::make_pair(run.status, pairs);
    };

    const auto byName = hits({u"--name"_s, u"t t"_s});
    QCOMPARE(byName.first, 0);
    QCOMPARE(byName.second, expected([&](const talvexsim::Package& p) {
                 const QString name = asciiLower(p.name);
                 const qsizetype first = name.indexOf(u't');
                 return first >= 0 && name.indexOf(u't', first + 1) > first;
             }));
    QVERIFY(!byName.second.isEmpty());

    const QDate from(2003, 1, 1);
    const auto picked = hits({u"--pickup"_s, u"--from"_s, u"2003/1/1"_s});
    QCOMPARE(picked.second, expected([&](const talvexsim::Package& p) {
                 return !p.pickUpUrl.isEmpty() && p.openDate.isValid() && p.openDate >= from;
             }));
    // A pattern the catalogue refuses is told, and the last search's hits stay.
    const QString before = runCli(folder, {u"list"_s, u"Search"_s}).out;
    const CliRun refused = runCli(folder, {u"search"_s, u"--name"_s, u"[abc"_s});
    QCOMPARE(refused.status, 1);
    QVERIFY(!refused.err.isEmpty());
    QCOMPARE(runCli(folder, {u"list"_s, u"Search"_s}).out, before);
    // No hits is no failure; a date that does not exist is a bad call.
    QCOMPARE(hits({u"--name"_s, u"no such name at all"_s}), std::make_pair(0, QStringList()));
    QCOMPARE(runCli(folder, {u"search"_s, u"--from"_s, u"2024/02/30"_s}).status, 2);
}

void TstCli::exportWritesTheNamedEntries()
{
    const talvexsim::Folder* listed = nullptr;
    for (const talvexsim::Folder& f : m_site->folders()) {
        // A category the program folder's category file fetches.
        if (f.hasList && f.packages.size() >= 3 &&
            f.url.startsWith(config::SiteRoot + u"tpack/filearea/win/"_s)) {
            listed = &f;
            break;
        }
    }
    QVERIFY(listed);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    QCOMPARE(runCli(folder, {u"open"_s, listed->url}).status, 0);
    const auto tables = [&folder](const QString& name) {
        QByteArray menu;
        return text::ReadFileBytes(folder.file(name + u"_files/menu.html"_s), &menu)
                   ? int(menu.count("<table"))
                   : -1;
    };
    QCOMPARE(runCli(folder, {u"export"_s, folder.file(u"all"_s), listed->url}).status, 0);
    QCOMPARE(tables(u"all"_s), int(listed->packages.size()));
    QVERIFY(QFile::exists(folder.file(u"all.html"_s)));
    const QString second = m_site->package(listed->packages[1]).url;
    QCOMPARE(runCli(folder, {u"export"_s, folder.file(u"one.HTM"_s), listed->url, second}).status,
             0);
    QCOMPARE(tables(u"one"_s), 1); // its name kept, its folder named without the ending
    QCOMPARE(runCli(folder, {u"export"_s, folder.file(u"none"_s), listed->url,
                             listed->url + u"se999999.html"_s})
                 .status,
             1);
    QVERIFY(!QFile::exists(folder.file(u"none.html"_s)));
}

void TstCli::setRefusesWhatTheFileCannotHold()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const QByteArray before = folder.readBytes(config::kSettingsFile);
    const CliRun refused = runCli(folder, {u"set"_s, u"PLMDM"_s, u"Folder"_s, u"/tmp/Grüße"_s});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(u"ü"_s), qPrintable(refused.err));
    QCOMPARE(folder.readBytes(config::kSettingsFile), before);
    QCOMPARE(runCli(folder, {u"set"_s, u"PLMDM"_s, u"Folder"_s, u"/tmp/ダウンロード"_s}).status, 0);
}

// The companion's download: with --wait in its own process, else in the program's download
// process, which works on the companion's program folder. Both give the site's own bytes.
void TstCli::downloadFetchesTheArchive()
{
    const talvexsim::Folder* home = nullptr;
    for (const talvexsim::Folder& f : m_site->folders()) {
        if (f.hasList && f.packages.size() >= 2 &&
            f.url.startsWith(config::SiteRoot + u"tpack/filearea/win/"_s)) {
            home = &f;
            break;
        }
    }
    QVERIFY(home);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    QCOMPARE(runCli(folder, {u"open"_s, home->url}).status, 0);
    const auto archiveOf = [&](int package, QString* path) {
        const talvexsim::Package& p = m_site->package(package);
        QString name = p.name;
        util::CleanFileName(name);
        *path = folder.file(u"DOWNLOAD/"_s + name.trimmed() + u'/' +
                            p.archiveUrl.mid(p.archiveUrl.lastIndexOf(u'/') + 1));
        const talvexsim::ArchiveBytes bytes(*m_site, package);
        return bytes.read(0, bytes.size());
    };

    const int first = home->packages[0];
    const CliRun waited =
        runCli(folder, {u"download"_s, home->url, m_site->package(first).url, u"--wait"_s});
    QCOMPARE(waited.status, 0);
    QString path;
    const QByteArray expected = archiveOf(first, &path);
    QCOMPARE(folder.readBytes(QDir(folder.path()).relativeFilePath(path)), expected);

    const int second = home->packages[1];
    QCOMPARE(runCli(folder, {u"download"_s, home->url, m_site->package(second).url}).status, 0);
    const QByteArray expectedSecond = archiveOf(second, &path);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 30000);
    QCOMPARE(folder.readBytes(QDir(folder.path()).relativeFilePath(path)), expectedSecond);
}

// A run killed in the middle leaves its write-ahead log beside the catalogue; the next start
// writes it back, and what the run had committed is there.
void TstCli::aLogLeftByAKilledRunIsWrittenBack()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const auto slow = talvexsim::FaultRule::parse(u"delay:200@/tpack/*"_s);
    QVERIFY(slow);
    m_server->faults().add(*slow);
    m_server->requests().clear();
    QProcess run;
    run.start(QStringLiteral(PELIMOND_CLI), {u"--folder="_s + folder.path(), u"update"_s,
                                             config::SiteRoot + u"tpack/filearea/win/"_s});
    const QString log = folder.file(catalogue::kCatalogueFile + u"-wal"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->requests().size() >= 4 && QFile::exists(log), 20000);
    run.kill();
    QVERIFY(run.waitForFinished(10000));
    m_server->faults().clear();
    QVERIFY(QFile::exists(log));

    const CliRun next = runCli(folder, {u"properties"_s, config::SiteRoot + u"tpack/filearea/"_s});
    QCOMPARE(next.status, 0);
    QVERIFY(!QFile::exists(log));
    QVERIFY2(!next.out.contains(u"カテゴリ数: 0"_s), qPrintable(next.out));
}

// A program folder on a small, full file system: the run stops at the first page it cannot
// store, says which file, exits with 1, and the catalogue stays sound.
void TstCli::aFullDiskStopsTheRunWithAMessage()
{
    TestFolder outer;
    const QString mount = outer.file(u"small"_s);
    QDir().mkpath(mount);
    QProcess mounting;
    mounting.start(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=300k"_s, u"tmpfs"_s, mount});
    if (!mounting.waitForFinished(10000) || mounting.exitCode() != 0)
        QSKIP("this machine cannot mount a small file system for the test");
    const auto unmount = qScopeGuard([&mount] { QProcess::execute(u"umount"_s, {mount}); });
    TestFolder source;
    prepareFolder(source, m_server->port());
    for (const QString& name :
         {config::kSettingsFile, config::kCategoryFile, catalogue::kCatalogueFile})
        QVERIFY(QFile::copy(source.file(name), mount + u'/' + name));
    QProcess run;
    run.start(QStringLiteral(PELIMOND_CLI),
              {u"--folder="_s + mount, u"update"_s, config::SiteRoot + u"tpack/filearea/"_s});
    QVERIFY(run.waitForFinished(120000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    QCOMPARE(run.exitCode(), 1);
    QVERIFY2(err.contains(u"書き込めませんでした"_s), qPrintable(err.right(400)));
    QVERIFY2(!err.contains(u"インターネットに正しく接続されているか"_s),
             qPrintable(err.right(400)));
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, mount + u'/' + catalogue::kCatalogueFile));
    catalogue::Statement* check = db.select(u"PRAGMA integrity_check"_s);
    QVERIFY(check && check->next());
    QCOMPARE(check->value(0).toString(), u"ok"_s);
    check->finish();
}

void TstCli::aFileThatIsNoCatalogueIsRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("a text file") << QByteArray("not a database\r\n");
}

// A catalogue file that is not one is refused with its name, and nothing is written into it.
void TstCli::aFileThatIsNoCatalogueIsRefused()
{
    QFETCH(QByteArray, content);
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    QFile::remove(folder.file(catalogue::kCatalogueFile));
    folder.writeBytes(catalogue::kCatalogueFile, content);
    const CliRun update =
        runCli(folder, {u"update"_s, config::SiteRoot + u"tpack/filearea/win/"_s});
    QCOMPARE(update.status, 1);
    QVERIFY2(update.err.contains(catalogue::kCatalogueFile + u" を開けません"_s),
             qPrintable(update.err));
    QCOMPARE(runCli(folder, {u"list"_s, u"Favorites"_s}).status, 1);
    QCOMPARE(folder.readBytes(catalogue::kCatalogueFile), content);
}

// Ctrl-C stops the page being fetched at once, not only the run between pages.
void TstCli::ctrlCStopsAPageBeingFetched()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const auto hold = talvexsim::FaultRule::parse(u"delay:20000@/tpack/*"_s);
    QVERIFY(hold);
    m_server->faults().add(*hold);
    m_server->requests().clear();
    QProcess open;
    open.start(QStringLiteral(PELIMOND_CLI), {u"--folder="_s + folder.path(), u"open"_s,
                                              config::SiteRoot + u"tpack/filearea/win/"_s});
    QVERIFY(open.waitForStarted());
    QTest::qWait(500);
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(open.processId()), SIGINT);
    QVERIFY(open.waitForFinished(5000));
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    m_server->faults().clear();
    QCOMPARE(open.exitCode(), 130);
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"

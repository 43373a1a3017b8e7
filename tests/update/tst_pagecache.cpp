#include "config/Settings.h"
#include "support/TestFolder.h"
#include "update/PageCache.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kRoot = config::SiteRoot;

// Every file and folder below dir, relative to it.
QStringList treeOf(const QString& dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next().mid(dir.size());
    entries.sort();
    return entries;
}

} // namespace

class TstPageCache : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cacheFileName_data();
    void cacheFileName();
    void newArrivalsDoNotChangeTheOrderOfLaterFolders();
    void hostileUrlsStayOutOfTheFileSystem_data();
    void hostileUrlsStayOutOfTheFileSystem();
    void noCacheFolderNoCacheFile();
    void isCacheCurrent_data();
    void isCacheCurrent();

private:
    std::unique_ptr<TestFolder> m_folder;
    QString m_cache;
};

void TstPageCache::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_cache = m_folder->file(u"Cache"_s);
    config::settings().CacheFolder = m_cache;
}

void TstPageCache::cleanup()
{
    m_folder.reset();
}

void TstPageCache::cacheFileName_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("file"); // below the cache folder

    const QString util = kRoot + u"tpack/filearea/win/util/"_s;
    QTest::newRow("page 1, index") << util << 0 << 1 << u"tpack/filearea/win/util/index.html"_s;
    QTest::newRow("page 1, by date") << util << 1 << 1 << u"tpack/filearea/win/util/by_date.html"_s;
    QTest::newRow("page 2, by date")
        << util << 1 << 2 << u"tpack/filearea/win/util/by_date_002.html"_s;
    QTest::newRow("page 12, by date")
        << util << 1 << 12 << u"tpack/filearea/win/util/by_date_012.html"_s;
    QTest::newRow("page 123, by name")
        << util << 2 << 123 << u"tpack/filearea/win/util/by_name_123.html"_s;
    QTest::newRow("page 1000") << util << 0 << 1000 << u"tpack/filearea/win/util/index_1000.html"_s;
    QTest::newRow("unknown order is index")
        << util << 5 << 2 << u"tpack/filearea/win/util/index_002.html"_s;
    QTest::newRow("negative order is index")
        << util << -1 << 1 << u"tpack/filearea/win/util/index.html"_s;
    QTest::newRow("new arrivals forced to index")
        << kRoot + u"tpack/whats/win/util/"_s << 1 << 3 << u"tpack/whats/win/util/index_003.html"_s;
    QTest::newRow("platform page, 6 slashes")
        << kRoot + u"tpack/filearea/win/"_s << 2 << 1 << u"tpack/filearea/win/index.html"_s;
    QTest::newRow("area start page")
        << kRoot + u"download/"_s << 1 << 1 << u"download/index.html"_s;
    QTest::newRow("site root") << kRoot << 1 << 1 << u"index.html"_s;
    QTest::newRow("detail page keeps its name")
        << kRoot + u"soft/win/util/se000123.html"_s << 1 << 2 << u"soft/win/util/se000123.html"_s;
    QTest::newRow("download page") << kRoot + u"soft/dl/win/util/se000123.html"_s << 0 << 1
                                   << u"soft/dl/win/util/se000123.html"_s;
    QTest::newRow("harmless percent-encoding kept")
        << kRoot + u"soft/%E3%81%82%20x.html"_s << 0 << 1 << u"soft/%E3%81%82%20x.html"_s;
    QTest::newRow("dots inside a name")
        << kRoot + u"soft/a..b/x.html"_s << 0 << 1 << u"soft/a..b/x.html"_s;
}

void TstPageCache::cacheFileName()
{
    QFETCH(QString, url);
    QFETCH(int, order);
    QFETCH(int, page);
    QFETCH(QString, file);
    // A reader's path is the same, and looking it up makes no folder.
    const QString readPath = update::CachePath(url, order, page);
    QCOMPARE(readPath, m_cache + u'/' + file);
    QVERIFY(!QFileInfo(readPath).dir().exists() || !file.contains(u'/'));
    const QString path = update::CacheFileName(url, order, page);
    QCOMPARE(path, m_cache + u'/' + file);
    QVERIFY2(QFileInfo(path).dir().exists(), "its folder is created");
    QVERIFY(!QFileInfo::exists(path));
    // The page fetched for a list page is the one named after it.
    if (url.endsWith(u'/'))
        QCOMPARE(update::ListPageUrl(url, order, page), url + QFileInfo(path).fileName());
}

void TstPageCache::newArrivalsDoNotChangeTheOrderOfLaterFolders()
{
    config::settings().ReadSortType = 1;
    const QString whats = kRoot + u"tpack/whats/win/util/"_s;
    const QString util = kRoot + u"tpack/filearea/win/util/"_s;
    QCOMPARE(update::ListOrderInEffect(whats), 0);
    QCOMPARE(update::ListPageUrl(whats, update::ListOrderInEffect(whats), 1),
             whats + u"index.html"_s);
    QCOMPARE(update::ListOrderInEffect(util), 1);
    QCOMPARE(update::ListPageUrl(util, update::ListOrderInEffect(util), 1),
             util + u"by_date.html"_s);
    QCOMPARE(config::settings().ReadSortType, 1);
    config::settings().ReadSortType = 3;
    QCOMPARE(update::ListOrderInEffect(util), 0);
}

void TstPageCache::hostileUrlsStayOutOfTheFileSystem_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("parent segment") << kRoot + u"../../escape.html"_s;
    QTest::newRow("parent folder URL") << kRoot + u"tpack/../../../"_s;
    QTest::newRow("dot segment") << kRoot + u"tpack/./x.html"_s;
    QTest::newRow("encoded dots") << kRoot + u"%2e%2e/%2E%2E/escape.html"_s;
    QTest::newRow("half-encoded dots") << kRoot + u".%2e/escape.html"_s;
    QTest::newRow("double-encoded dots") << kRoot + u"%252e%252e/escape.html"_s;
    QTest::newRow("encoded slash") << kRoot + u"..%2f..%2fescape.html"_s;
    QTest::newRow("encoded backslash") << kRoot + u"..%5C..%5Cescape.html"_s;
    QTest::newRow("backslash") << kRoot + u"..\\..\\escape.html"_s;
    QTest::newRow("NUL") << kRoot + u"soft/x.html\0.txt"_s;
    QTest::newRow("encoded NUL") << kRoot + u"soft/x.html%00.txt"_s;
    QTest::newRow("control character") << kRoot + u"soft/x\n.html"_s;
    QTest::newRow("empty segment") << kRoot + u"soft//x.html"_s;
    QTest::newRow("absolute path after the root") << kRoot + u"/etc/passwd"_s;
    QTest::newRow("site root inside") << kRoot + u"a/"_s + kRoot + u"b/"_s;
    QTest::newRow("other host") << u"http://evil.example/tpack/filearea/win/util/"_s;
    QTest::newRow("host with the site's name as prefix")
        << u"http://www.talvex.example.evil/x.html"_s;
    QTest::newRow("download host") << u"http://dl.talvex.example/arc/x.lzh"_s;
    QTest::newRow("parent via query") << kRoot + u"soft/view?p=../../../x"_s;
    QTest::newRow("empty") << QString();
}

void TstPageCache::hostileUrlsStayOutOfTheFileSystem()
{
    QFETCH(QString, url);
    config::settings().Debug = 1;
    const QStringList before = treeOf(m_folder->path());

    for (int order = 0; order <= 2; ++order)
        QCOMPARE(update::CacheFileName(url, order, 2), QString());

    // No folder was made, not even inside the cache; only the trace lines were written.
    QCOMPARE(treeOf(m_folder->path()), before + QStringList{u"/Trace.Log"_s});
    const QStringList lines = m_folder->readLines(u"Trace.Log"_s);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.first().contains(u"$ CacheFileName エラー("_s), qPrintable(lines.first()));
}

void TstPageCache::noCacheFolderNoCacheFile()
{
    // An unset cache folder must not turn into the file-system root.
    config::settings().CacheFolder.clear();
    QCOMPARE(update::CacheFileName(kRoot + u"soft/x.html"_s, 0, 1), QString());
}

void TstPageCache::isCacheCurrent_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("ageDays"); // -1: no cache file
    QTest::addColumn<QTime>("timeOfDay");
    QTest::addColumn<bool>("current");
    const QTime early(0, 0, 1);
    const QTime late(23, 59, 59);
    QTest::newRow("offline, missing") << 0 << 1 << -1 << early << true;
    QTest::newRow("offline, old") << 0 << 1 << 400 << early << true;
    QTest::newRow("cache, missing") << 1 << 1 << -1 << early << false;
    QTest::newRow("cache, old") << 1 << 1 << 400 << early << true;
    QTest::newRow("cache-date, today") << 2 << 1 << 0 << early << true;
    QTest::newRow("cache-date, yesterday's first second") << 2 << 1 << 1 << early << true;
    QTest::newRow("cache-date, two days ago, last second") << 2 << 1 << 2 << late << false;
    QTest::newRow("cache-date, limit 0, yesterday") << 2 << 0 << 1 << late << false;
    QTest::newRow("cache-date, limit 7, a week") << 2 << 7 << 7 << early << true;
    QTest::newRow("cache-date, missing") << 2 << 1 << -1 << early << false;
    QTest::newRow("online, fresh") << 3 << 1 << 0 << early << false;
    QTest::newRow("unknown mode") << 7 << 1 << 0 << early << false;
}

void TstPageCache::isCacheCurrent()
{
    QFETCH(int, mode);
    QFETCH(int, limit);
    QFETCH(int, ageDays);
    QFETCH(QTime, timeOfDay);
    QFETCH(bool, current);
    config::settings().Update = mode;
    config::settings().DateBeforeUpdate = limit;
    const QString path = update::CacheFileName(kRoot + u"tpack/filearea/win/util/"_s, 0, 1);
    if (ageDays >= 0) {
        m_folder->writeBytes(u"Cache/tpack/filearea/win/util/index.html"_s, "<html></html>");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime stamp(QDate::currentDate().addDays(-ageDays), timeOfDay);
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    QCOMPARE(update::IsCacheCurrent(path), current);
    if (mode == 0 || mode == 1)
        QCOMPARE(update::IsCacheCurrent(QString()), mode == 0);
}

QTEST_GUILESS_MAIN(TstPageCache)
#include "tst_pagecache.moc"

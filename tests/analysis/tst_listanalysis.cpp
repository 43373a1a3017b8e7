#include "FixturePage.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "support/TestFolder.h"
#include "update/AnalysisObserver.h"
#include "update/ListAnalysis.h"

#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using update::ListLayout;
using update::SoftListPage;

namespace {

const QString kFolder = config::SiteRoot + u"tpack/filearea/win/util/"_s;

QString site(const QString& path)
{
    return path.isEmpty() ? QString() : config::SiteRoot + path;
}

class PercentLog : public update::AnalysisObserver
{
public:
    void percentAnalysed(int percent) override { percents.append(percent); }
    QList<int> percents;
};

} // namespace

class TstListAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_folder.reset(); }
    void entries_data();
    void entries();
    void pages_data();
    void pages();
    void nextPage_data();
    void nextPage();
    void layoutMarkersAreTriedInOrder();
    void malformedPages_data();
    void malformedPages();

private:
    std::unique_ptr<TestFolder> m_folder;
};

void TstListAnalysis::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_folder->loadFirstRunSoftTypes();
}

void TstListAnalysis::entries_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("newFlag");
    QTest::addColumn<QString>("pickUp");
    QTest::addColumn<QString>("news");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("description");
    QTest::addColumn<qint64>("price");

    const QString fl = u"list_file_list.html"_s;
    QTest::newRow("file_list: new, review link with one slash")
        << fl << 0 << u"soft/1001.html"_s << u"テキスト整形"_s << u"1.20"_s << 812LL << 0 << 1
        << u"review/1001.html"_s << QString() << u"2009-12-31"_s << u"文章を整形します"_s << 0LL;
    QTest::newRow("file_list: entities, news link, size before K&nbsp;")
        << fl << 1 << u"soft/1002.html"_s << u"Tom & Jerry"_s << u"2.0 beta"_s << 1024LL << 1 << 0
        << QString() << u"softnews/2003/0501.html"_s << u"1999-12-31"_s << u"<猫>と\"鼠\"のゲーム"_s
        << 0LL;
    QTest::newRow("file_list: right after the end marker, no date but a size")
        << fl << 2 << u"soft/1003.html"_s << u"版なし"_s << QString() << 812LL << 5 << 0
        << QString() << QString() << QString() << u"日付のない説明"_s << 0LL;
    QTest::newRow("file_list: unknown icon, no size")
        << fl << 3 << u"soft/1004.html"_s << u"大きさ不明"_s << u"0.9"_s << -1LL << 99 << 0
        << QString() << QString() << u"2003-02-01"_s << u"サイズのない説明"_s << 0LL;

    const QString li = u"list_li.html"_s;
    QTest::newRow("LI: new, news link, grouped size, price")
        << li << 0 << u"games/soft/2001.html"_s << u"落ち物パズル"_s << u"1.05"_s << 1234LL << 1
        << 1 << QString() << u"softnews/g2001.html"_s << u"2003-05-01"_s
        << u"色をそろえて消すパズル"_s << 1050LL;
    QTest::newRow("LI: lower-case tags, entities, no date but a size")
        << li << 1 << u"games/soft/2002.html"_s << u"Rock'n Roll"_s << u"&2"_s << 812LL << 0 << 0
        << u"pickup/g2002.html"_s << QString() << QString() << u"日付のない&説明"_s << 0LL;
    QTest::newRow("LI: no version, unreadable price")
        << li << 2 << u"games/soft/2003.html"_s << u"名前だけ"_s << QString() << 64LL << 99 << 0
        << QString() << QString() << u"2010-01-15"_s << u"価格の読めない説明"_s << 0LL;

    const QString cl = u"list_classic.html"_s;
    QTest::newRow("classic: buttons, price, four-digit year")
        << cl << 0 << u"soft/3001.html"_s << u"家計簿 & 日記"_s << u"3.1"_s << 512LL << 1 << 1
        << u"pickup/3001.html"_s << u"softnews/3001.html"_s << u"2003-05-01"_s
        << u"青色申告対応の家計簿"_s << 2100LL;
    QTest::newRow("classic: right after the end marker, decoded version")
        << cl << 1 << u"soft/3002.html"_s << u"時計"_s << u"1.0&a"_s << 20LL << 0 << 0 << QString()
        << QString() << u"1999-12-31"_s << u"画面の隅に時計"_s << 0LL;
    QTest::newRow("classic: no version, size or date")
        << cl << 2 << u"soft/3003.html"_s << u"日付なし"_s << QString() << -1LL << 4 << 0
        << QString() << QString() << QString() << u"大きさもない"_s << 0LL;
}

void TstListAnalysis::entries()
{
    QFETCH(QString, file);
    QFETCH(int, index);
    const SoftListPage list = update::AnalyzeSoftList(page(file), kFolder, 1, 0);
    QVERIFY(index < list.entries.size());
    const update::SoftListEntry& e = list.entries[index];
    QCOMPARE(e.BaseURL, kFolder);
    QCOMPARE(e.Ranking, index + 1);
    QFETCH(QString, target);
    QCOMPARE(e.TargetURL, site(target));
    QTEST(e.SoftName, "name");
    QTEST(e.Version, "version");
    QTEST(e.FileSize.value_or(-1), "size");
    QTEST(e.FileType, "type");
    QTEST(e.NewFlag, "newFlag");
    QFETCH(QString, pickUp);
    QFETCH(QString, news);
    QCOMPARE(e.PickUpURL, site(pickUp));
    QCOMPARE(e.NewsURL, site(news));
    QTEST(e.OpenDate ? e.OpenDate->toString(Qt::ISODate) : QString(), "date");
    QTEST(e.Description, "description");
    QTEST(e.RegiMoney, "price");
}

void TstListAnalysis::pages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<ListLayout>("layout");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("next");

    QTest::newRow("file_list") << u"list_file_list.html"_s << ListLayout::FileList << 4 << 2;
    QTest::newRow("LI") << u"list_li.html"_s << ListLayout::LI << 3 << 2;
    QTest::newRow("classic") << u"list_classic.html"_s << ListLayout::Classic << 3 << -1;
    QTest::newRow("category page") << u"category_win.html"_s << ListLayout::None << 0 << -1;
}

void TstListAnalysis::pages()
{
    QFETCH(QString, file);
    const SoftListPage list = update::AnalyzeSoftList(page(file), kFolder, 1, 0);
    QTEST(list.layout, "layout");
    QTEST(int(list.entries.size()), "count");
    QTEST(list.nextPage, "next");
}

void TstListAnalysis::nextPage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("maxPages");
    QTest::addColumn<int>("next");

    const QString fl = page(u"list_file_list.html"_s);
    QTest::newRow("file_list, no limit") << fl << 7 << 0 << 8;
    QTest::newRow("file_list, below the limit") << fl << 2 << 3 << 3;
    QTest::newRow("file_list, at the limit") << fl << 3 << 3 << -1;
    QTest::newRow("file_list, navigation without a next link")
        << QString(fl).replace(u"<a href=\"index_002.html\">次へ</a>"_s, u"<b>次へ</b>"_s) << 1 << 0
        << -1;
    QTest::newRow("file_list, no navigation end")
        << QString(fl).remove(u"<!-- /ページナビ -->"_s) << 1 << 0 << -1;
    QTest::newRow("file_list, navigation marker at the very end")
        << u"<ul  class=\"file_list\"></div><!-- /ページナビ -->"_s << 1 << 0 << -1;

    const QString li = page(u"list_li.html"_s);
    QTest::newRow("LI, no limit") << li << 5 << 0 << 6;
    QTest::newRow("LI, no next link") << QString(li).remove(u"&gt;&gt;次の"_s) << 1 << 0 << -1;
    QTest::newRow("LI, next link only before the entries")
        << u"&gt;&gt;次の"_s + QString(li).remove(u"&gt;&gt;次の"_s) << 1 << 0 << -1;
}

void TstListAnalysis::nextPage()
{
    QFETCH(QString, text);
    QFETCH(int, page);
    QFETCH(int, maxPages);
    QTEST(update::AnalyzeSoftList(text, kFolder, page, maxPages).nextPage, "next");
}

void TstListAnalysis::layoutMarkersAreTriedInOrder()
{
    // A classic marker and an LI marker before the file_list marker: file_list decides.
    const QString text = u"<IMG SRC=\"/images/soft/s_free2.gif\"><LI>\n  <A HREF=\"/x\">"_s +
                         page(u"list_file_list.html"_s);
    qsizetype pos = -1;
    QCOMPARE(update::RecognizeListLayout(text, &pos), ListLayout::FileList);
    QCOMPARE(text.mid(pos, 10), u"<ul  class"_s);
    PercentLog log;
    QCOMPARE(update::AnalyzeSoftList(text, kFolder, 1, 0, &log).entries.size(), 4);
    QCOMPARE(log.percents.size(), 4);
    QVERIFY(std::is_sorted(log.percents.begin(), log.percents.end()));
    QVERIFY(log.percents.first() > 0 && log.percents.last() < 100);
}

void TstListAnalysis::malformedPages_data()
{
    QTest::addColumn<QString>("text");
    for (const char* name : {"list_file_list.html", "list_li.html", "list_classic.html"})
        QTest::newRow(name) << page(QString::fromLatin1(name));
    // Every marker the parsers look for, in both orders, after each page marker.
    const QString markers = u"<A HREF=\"|\">|</A>|&nbsp;|      </LI>|</FONT>\n  </LI>|<HR size=1>|"
                            "<STRONG>|</STRONG>|《レビュー》|<BR>|公開|公開日|K)|円|（|<FONT SIZE=|"
                            "/images/button/pickup.gif|/images/button/news.gif|</div>|"
                            "<!-- /ページナビ -->"_s;
    QStringList parts = markers.split(u'|');
    const QString forward = parts.join(QString());
    std::reverse(parts.begin(), parts.end());
    const QString backward = parts.join(QString());
    for (const QString& layout :
         {u"<ul  class=\"file_list\">"_s, u"<LI>\n  <A HREF=\""_s, u"<IMG SRC=\"/images/soft"_s}) {
        QTest::newRow(qPrintable(layout + u" markers"_s)) << layout + forward + forward;
        QTest::newRow(qPrintable(layout + u" markers reversed"_s)) << layout + backward + layout;
    }
}

void TstListAnalysis::malformedPages()
{
    // Truncated pages, pages that start anywhere, pages of markers only: nothing is read outside
    // the text (the sanitised build checks), every search ends, and what is found is well formed.
    QFETCH(QString, text);
    const qsizetype full = update::AnalyzeSoftList(text, kFolder, 1, 0).entries.size();
    for (qsizetype n = 0; n <= text.size(); ++n) {
        for (const QString& cut : {text.left(n), text.mid(n)}) {
            const SoftListPage list = update::AnalyzeSoftList(cut, kFolder, 1, 0);
            QVERIFY(list.nextPage == -1 || list.nextPage == 2);
            for (int i = 0; i < list.entries.size(); ++i) {
                QCOMPARE(list.entries[i].Ranking, i + 1);
                QVERIFY(list.entries[i].TargetURL.size() > config::SiteRoot.size());
            }
        }
        QVERIFY(update::AnalyzeSoftList(text.left(n), kFolder, 1, 0).entries.size() <= full);
        update::SoftListEntry e;
        update::AnalyzeSoftSubNew07(QStringView(text).sliced(n), &e);
        update::AnalyzeSoftSubGames(QStringView(text).sliced(n), &e);
        update::AnalyzeSoftSub(QStringView(text).sliced(n), &e);
        QVERIFY(e.FileSize.value_or(0) >= 0);
    }
}

QTEST_GUILESS_MAIN(TstListAnalysis)
#include "tst_listanalysis.moc"

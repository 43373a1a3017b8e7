#include "FixturePage.h"
#include "config/Categories.h"
#include "config/Settings.h"
#include "support/TestFolder.h"
#include "update/AnalysisObserver.h"
#include "update/CategoryAnalysis.h"
#include "update/DetailAnalysis.h"
#include "update/HtmlText.h"

#include <QHash>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kWin = config::SiteRoot + u"tpack/filearea/win/"_s;

QStringList winFolders(const QStringList& names)
{
    QStringList urls;
    for (const QString& name : names)
        urls.append(kWin + name + u'/');
    return urls;
}

// The catalogue side kept in memory: a row per folder with its visited mark.
class MemoryFolders : public update::FolderWriter
{
public:
    std::optional<bool> saveFolder(const update::FolderRecord& folder) override
    {
        if (folder.TargetURL == failing)
            return std::nullopt;
        written.append(folder);
        const bool was = visited.value(folder.TargetURL, false);
        visited[folder.TargetURL] = true;
        return was;
    }
    QHash<QString, bool> visited;
    QList<update::FolderRecord> written;
    QString failing;
};

class RunWindow : public update::AnalysisObserver
{
public:
    void foundFolder(int total) override { totals.append(total); }
    bool cancelRequested() const override { return ++polls > cancelAfter; }
    QList<int> totals;
    int cancelAfter = 1000000;
    mutable int polls = 0;
};

} // namespace

class TstPageAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_folder.reset(); }
    void decodeEntities_data();
    void decodeEntities();
    void stripTags_data();
    void stripTags();
    void dottedDates_data();
    void dottedDates();
    void findLastBefore_data();
    void findLastBefore();
    void categoryPage();
    void categoryWalk_data();
    void categoryWalk();
    void categoryCancel();
    void gamesCategory();
    void folderLink_data();
    void folderLink();
    void detailPage();
    void detailPrice_data();
    void detailPrice();
    void detailParagraphs();
    void downloadPage();
    void downloadPageUrl_data();
    void downloadPageUrl();
    void readSoftwareField();
    void truncatedPagesStayWithinTheText_data();
    void truncatedPagesStayWithinTheText();

private:
    std::unique_ptr<TestFolder> m_folder;
};

void TstPageAnalysis::init()
{
    m_folder = std::make_unique<TestFolder>();
    // The business category is switched off; everything else is fetched.
    config::Categories().append({false, u"ビジネス"_s, kWin + u"biz/"_s});
}

void TstPageAnalysis::decodeEntities_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("plain entities")
        << u"&lt;a&gt; &amp; &quot;b&quot; &#39;c&#39;&nbsp;d"_s << u"<a> & \"b\" 'c' d"_s;
    QTest::newRow("line breaks and strong")
        << u"a<BR>b<br><STRONG>c</STRONG><strong>d</strong>"_s << u"a\r\nb\r\ncd"_s;
    QTest::newRow("escaped quote entity stays an entity") << u"&amp;quot;"_s << u"&quot;"_s;
    QTest::newRow("double escapes are decoded once")
        << u"&amp;lt;b&amp;gt;&amp;nbsp;&amp;#39;"_s << u"&lt;b&gt;&nbsp;&#39;"_s;
    QTest::newRow("escaped tags stay text") << u"&lt;BR&gt;&lt;strong&gt;"_s << u"<BR><strong>"_s;
    QTest::newRow("other case and cut entities stay")
        << u"<Br>&AMP;&amp&nbsp"_s << u"<Br>&AMP;&amp&nbsp"_s;
}

void TstPageAnalysis::decodeEntities()
{
    QFETCH(QString, text);
    QTEST(update::DecodeEntities(text), "decoded");
}

void TstPageAnalysis::stripTags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("tags") << u"<p class=\"x\">a<b>b</b></p>c"_s << u"abc"_s;
    QTest::newRow("escaped text is not a tag") << u"&lt;注意&gt;"_s << u"&lt;注意&gt;"_s;
    QTest::newRow("unclosed tag is kept") << u"a<b>c < d"_s << u"ac < d"_s;
}

void TstPageAnalysis::stripTags()
{
    QFETCH(QString, text);
    QTEST(update::StripTags(text), "stripped");
}

void TstPageAnalysis::dottedDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::newRow("99") << u"99.12.31"_s << u"1999-12-31"_s;
    QTest::newRow("30 is 2030") << u"30.01.02"_s << u"2030-01-02"_s;
    QTest::newRow("31 is 1931") << u"31.01.02"_s << u"1931-01-02"_s;
    QTest::newRow("four-digit year stands") << u"2003.05.01"_s << u"2003-05-01"_s;
    QTest::newRow("blanks") << u" 2003. 5.1 "_s << u"2003-05-01"_s;
    QTest::newRow("no such day") << u"03.02.30"_s << QString();
    QTest::newRow("two parts") << u"12.31"_s << QString();
    QTest::newRow("not numbers") << u">9.12.31"_s << QString();
}

void TstPageAnalysis::dottedDates()
{
    QFETCH(QString, text);
    const std::optional<QDate> date = update::ReadDottedDate(text);
    QTEST(date ? date->toString(Qt::ISODate) : QString(), "date");
}

void TstPageAnalysis::findLastBefore_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("found");
    QTest::newRow("one character right at the end") << u"ab"_s << u"b"_s << 1 << -1;
    QTest::newRow("one character, an earlier one") << u"aXa"_s << u"a"_s << 2 << 0;
    QTest::newRow("NUL at the text's end") << u"x\0"_s << u"\0"_s << 1 << -1;
    QTest::newRow("end past the text") << u"ab"_s << u"b"_s << 5 << 1;
    QTest::newRow("longer text, cut through it") << u"</a></a>"_s << u"</a>"_s << 7 << 0;
    QTest::newRow("longer than what lies before") << u"abc"_s << u"abc"_s << 2 << -1;
}

void TstPageAnalysis::findLastBefore()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(int, end);
    QTEST(int(update::FindLastBefore(text, what, end)), "found");
}

void TstPageAnalysis::categoryPage()
{
    MemoryFolders folders;
    RunWindow window;
    const update::CategoryContext ctx{kWin, 0, QString(), 5};
    const update::CategoryAnalysis result =
        update::AnalyzeHTML(page(u"category_win.html"_s), ctx, folders, &window);

    // Parent and own links, the image link, the switched-off category, the other area's link
    // and the second link after the comment strap are skipped; the repeated link is written
    // again but walked once.
    const QStringList children = winFolders({u"util"_s, u"game"_s, u"net"_s, u"game/rpg"_s,
                                             u"text"_s, u"after1"_s, u"after3"_s, u"mm"_s});
    QCOMPARE(result.children, children);
    QCOMPARE(result.folders.size(), 9);
    QCOMPARE(folders.written.size(), 9);
    QCOMPARE(result.folders[3].TargetURL, kWin + u"util/"_s);
    QCOMPARE(window.totals, QList<int>({6, 7, 8, 9, 10, 11, 12, 13}));
    QCOMPARE(result.foundFolders, 13);
    QVERIFY(!result.cancelled);

    QHash<QString, update::FolderRecord> byUrl;
    for (const update::FolderRecord& f : result.folders)
        byUrl.insert(f.TargetURL, f);
    QCOMPARE(byUrl[kWin + u"util/"_s].Description, u"ユーティリティ"_s);
    QCOMPARE(byUrl[kWin + u"util/"_s].URLClass, 2);
    QCOMPARE(byUrl[kWin + u"game/"_s].Description, u"ゲーム & 娯楽"_s);
    QCOMPARE(byUrl[kWin + u"game/rpg/"_s].Description, u"ロールプレイング"_s);
    QCOMPARE(byUrl[kWin + u"game/rpg/"_s].URLClass, 3);
    // A link whose line has no "</A>" keeps its whole text.
    QCOMPARE(byUrl[kWin + u"mm/"_s].Description, u"マルチメディア"_s);
}

void TstPageAnalysis::categoryWalk_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("visited");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("children");

    const QStringList all = winFolders({u"util"_s, u"game"_s, u"net"_s, u"game/rpg"_s, u"text"_s,
                                        u"after1"_s, u"after3"_s, u"mm"_s});
    QTest::newRow("whole area") << config::AreaUrls[0] << QStringList() << QString() << all;
    QTest::newRow("subtree") << kWin + u"game/"_s << QStringList() << QString()
                             << winFolders({u"game"_s, u"game/rpg"_s});
    QStringList rest = all;
    rest.removeAt(2);
    rest.removeAt(0);
    QTest::newRow("visited earlier in the run")
        << QString() << winFolders({u"util"_s, u"net"_s}) << QString() << rest;
    QTest::newRow("row not written")
        << QString() << QStringList() << kWin + u"util/"_s << all.mid(1);
}

void TstPageAnalysis::categoryWalk()
{
    QFETCH(QString, target);
    QFETCH(QStringList, visited);
    MemoryFolders folders;
    for (const QString& url : visited)
        folders.visited.insert(url, true);
    QFETCH(QString, failing);
    folders.failing = failing;
    const update::CategoryAnalysis result =
        update::AnalyzeHTML(page(u"category_win.html"_s), {kWin, 0, target, 0}, folders);
    QTEST(result.children, "children");
    QCOMPARE(result.foundFolders, result.children.size());
}

void TstPageAnalysis::categoryCancel()
{
    MemoryFolders folders;
    RunWindow window;
    window.cancelAfter = 6;
    const update::CategoryAnalysis result = update::AnalyzeHTML(
        page(u"category_win.html"_s), {kWin, 0, QString(), 0}, folders, &window);
    QVERIFY(result.cancelled);
    QCOMPARE(window.polls, 7);
    QCOMPARE(result.children, winFolders({u"util"_s}));
}

void TstPageAnalysis::gamesCategory()
{
    MemoryFolders folders;
    const QString root = config::AreaUrls[2];
    const QString text = u"<A HREF=\"/games/lib/win/game/\">ゲーム</A>\r"
                         "<A HREF=\"/games/lib/win/game/puzzle/index.html\">パズル</A>"
                         "<A HREF=\"/tpack/filearea/win/\">Windows</A>\r\n"_s;
    const update::CategoryAnalysis result = update::AnalyzeHTML(text, {root, 2, root, 0}, folders);
    QCOMPARE(result.children, QStringList{root + u"puzzle/"_s});
    QCOMPARE(result.folders.value(0).URLClass, 1);
    QCOMPARE(result.folders.value(0).Description, u"パズル"_s);
}

void TstPageAnalysis::folderLink_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");

    QTest::newRow("link") << u"<A HREF=\"/tpack/filearea/win/\">Win</A>!"_s << true
                          << u"tpack/filearea/win/"_s << u"Win"_s << 34;
    QTest::newRow("no end of link") << u"<A HREF=\"/tpack/filearea/win/\">Windows"_s << true
                                    << u"tpack/filearea/win/"_s << u"Windows"_s << 38;
    QTest::newRow("image") << u"<A HREF=\"/tpack/filearea/win/\"><img src=\"w.gif\"></a>"_s << false
                           << u"tpack/filearea/win/"_s << u"<img src=\"w.gif\">"_s << 48;
    QTest::newRow("no closing quote")
        << u"see /tpack/filearea/win/ for more"_s << false << QString() << QString() << 33;
    QTest::newRow("path at the very end")
        << u"<A HREF=\"/tpack/filearea/"_s << false << QString() << QString() << 25;
}

void TstPageAnalysis::folderLink()
{
    QFETCH(QString, line);
    QString url;
    QString text;
    qsizetype position = -1;
    const qsizetype p = line.indexOf(u"tpack/filearea/");
    QTEST(update::ExtractFolderLink(line, p, &url, &text, &position), "accepted");
    QFETCH(QString, address);
    QCOMPARE(url, address.isEmpty() ? QString() : config::SiteRoot + address);
    QTEST(text, "text");
    QTEST(int(position), "position");
}

void TstPageAnalysis::detailPage()
{
    update::SoftwareDetail d;
    QVERIFY(update::AnalyzeSoftDetailEx(page(u"detail_package.html"_s), &d));
    QCOMPARE(d.FTPURL, u"http://dl.talvex.example/pub/win/util/kakeibo31.lzh"_s);
    QCOMPARE(d.Category, u"Windows & DOS"_s);
    // The paragraph right after the marker, its tags stripped before entities are decoded.
    QCOMPARE(d.DescriptionDetail, u"家計簿ソフトです。\r\n<注意>太字も&使えます。"_s);
    QCOMPARE(d.PaymentInfo, u"30日間試用可能。送金は\"郵便振替\"で。"_s);
    QCOMPARE(d.OSType, u"Windows 95/98/Me/2000/XP"_s);
    QCOMPARE(d.RegiMoney, std::optional<qint64>(2100));
    QCOMPARE(d.Author, u"山田 太郎"_s);
    QCOMPARE(d.AuthorURL, config::SiteRoot + u"person/yamada/"_s);
    // The download page's fields are not touched.
    QCOMPARE(d.FileSize2, 0);
    QVERIFY(d.PaymentURL.isEmpty());
}

void TstPageAnalysis::detailPrice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("price"); // -1: no price on the page

    const QString env = u"<!-- 動作環境 -->"_s;
    const QString envEnd = u"<!-- /動作環境 -->"_s;
    QTest::newRow("no yen") << env + u"無料"_s + envEnd << -1LL;
    QTest::newRow("only outside the block") << env + u"無料"_s + envEnd + u"送料500円"_s << 0LL;
    QTest::newRow("no block") << u"価格 1,050円"_s << 0LL;
    QTest::newRow("first yen inside") << env + u"価格：1,050円"_s + envEnd << 1050LL;
    QTest::newRow("tax-included price wins")
        << env + u"送料 500円、価格 3,150円(税込)"_s + envEnd << 3150LL;
    QTest::newRow("yen at the very end") << env + envEnd + u"円"_s << 0LL;
    QTest::newRow("yen at the very start") << u"円"_s + env + envEnd << 0LL;
}

void TstPageAnalysis::detailPrice()
{
    QFETCH(QString, text);
    update::SoftwareDetail d;
    update::AnalyzeSoftDetailEx(text, &d);
    QTEST(d.RegiMoney.value_or(-1), "price");
}

void TstPageAnalysis::detailParagraphs()
{
    // A blank after the marker is skipped, and only one.
    update::SoftwareDetail d;
    update::AnalyzeSoftDetailEx(u"<!-- ソフト詳細説明 --> <p>説明</p><p>次</p>"
                                "<!-- 利用条件・試用期間中の制限など -->\n<p>一行目\n二行目</p>"_s,
                                &d);
    QCOMPARE(d.DescriptionDetail, u"説明"_s);
    QCOMPARE(d.PaymentInfo, u"一行目二行目"_s);
    QVERIFY(d.Author.isEmpty());
    QVERIFY(d.AuthorURL.isEmpty());
    QVERIFY(d.Category.isEmpty());
    QVERIFY(!d.RegiMoney);
}

void TstPageAnalysis::downloadPage()
{
    update::SoftwareDetail d;
    QVERIFY(update::AnalyzeSoftDetailEx2(page(u"detail_download.html"_s), &d));
    QCOMPARE(d.FileSize2, 1234567);
    QCOMPARE(d.RegistDate, std::optional<QDate>(QDate(2003, 5, 1)));
    QCOMPARE(d.PaymentURL,
             u"https://shop.talvex.example/swreg/step1.reserve?srno=12345&lang=ja&site=T"_s);
    QVERIFY(d.FTPURL.isEmpty());

    // Without "Bytes" neither the size nor the date is read.
    update::AnalyzeSoftDetailEx2(u"<td>&nbsp;1,234,567 KB&nbsp;/&nbsp;2003.05.01</td>"_s, &d);
    QCOMPARE(d.FileSize2, 0);
    QVERIFY(!d.RegistDate);
    update::AnalyzeSoftDetailEx2(u"<td>&nbsp;12Bytes"_s, &d);
    QCOMPARE(d.FileSize2, 12);
    QVERIFY(!d.RegistDate);
}

void TstPageAnalysis::downloadPageUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("download");
    const QString root = config::SiteRoot;
    QTest::newRow("library") << root + u"soft/1001.html"_s << root + u"soft/dl/1001.html"_s;
    QTest::newRow("games") << root + u"games/soft/2001.html"_s
                           << root + u"games/soft/dl/2001.html"_s;
    QTest::newRow("soft deeper in the path") << root + u"tpack/soft/1.html"_s << QString();
    QTest::newRow("games without soft") << root + u"games/lib/1.html"_s << QString();
    QTest::newRow("no path") << u"http://www.talvex.example"_s << QString();
}

void TstPageAnalysis::downloadPageUrl()
{
    QFETCH(QString, url);
    QFETCH(QString, download);
    QCOMPARE(update::DownloadPageUrl(url), download);
    if (!download.isEmpty()) {
        QVERIFY(update::IsDownloadPageUrl(download));
        QVERIFY(!update::IsDownloadPageUrl(url));
    }
}

void TstPageAnalysis::readSoftwareField()
{
    catalogue::EntryRow row;
    row.AuthorURL = config::SiteRoot + u"person/a/"_s;
    row.FileSize2 = 1024;
    row.RegistDate = QDateTime(QDate(2003, 5, 1), QTime(0, 0));
    row.DetailRead = true;
    QCOMPARE(update::ReadSoftwareField(row, u"authorurl"), row.AuthorURL);
    QCOMPARE(update::ReadSoftwareField(row, u"FileSize2"), u"1024"_s);
    QCOMPARE(update::ReadSoftwareField(row, u"FileSize"), QString());
    QCOMPARE(update::ReadSoftwareField(row, u"RegistDate"), u"2003/05/01"_s);
    QCOMPARE(update::ReadSoftwareField(row, u"DetailRead"), u"True"_s);
    QCOMPARE(update::ReadSoftwareField(row, u"NoSuchColumn"), QString());
    QCOMPARE(update::ReadSoftwareField(std::nullopt, u"AuthorURL"), QString());
}

void TstPageAnalysis::truncatedPagesStayWithinTheText_data()
{
    QTest::addColumn<QString>("text");
    for (const char* name : {"category_win.html", "detail_package.html", "detail_download.html"})
        QTest::newRow(name) << page(QString::fromLatin1(name));
    QTest::newRow("markers only")
        << u"<!-- comment strap<!-- ソフト詳細説明 -->< p><p></p>tpack/filearea/\"><IMG SRC"
           "<p id=\"v_directory\">><!-- 動作環境 -->動作OS：<td></td>1,0円(税込)<!-- /動作環境 -->"
           "作者情報></a>/person/\"META NAME=\"downloadhttp:\"Bytes&nbsp;</td>SITE=T\">"_s;
}

void TstPageAnalysis::truncatedPagesStayWithinTheText()
{
    QFETCH(QString, text);
    for (qsizetype n = 0; n <= text.size(); ++n) {
        for (const QString& cut : {text.left(n), text.mid(n)}) {
            MemoryFolders folders;
            const update::CategoryAnalysis c =
                update::AnalyzeHTML(cut, {kWin, 0, QString(), 0}, folders);
            for (const QString& child : c.children)
                QVERIFY(child.size() > kWin.size());
            update::SoftwareDetail d;
            update::AnalyzeSoftDetailEx(cut, &d);
            update::AnalyzeSoftDetailEx2(cut, &d);
            QVERIFY(d.FileSize2 >= 0);
            QVERIFY(d.FTPURL.isEmpty() || d.FTPURL.startsWith(u"http:"));
        }
    }
}

QTEST_GUILESS_MAIN(TstPageAnalysis)
#include "tst_pageanalysis.moc"

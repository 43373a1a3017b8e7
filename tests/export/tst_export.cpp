#include "catalogue/Catalogue.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "export/ExportCommand.h"
#include "export/PageExport.h"
#include "support/TestFolder.h"
#include "util/Messages.h"
#include "util/Text.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kBase = config::SiteRoot + u"tpack/filearea/win/util/"_s;
const QString kRow = u"<tr><td colspan=\"4\">"_s;
const QString kSpacer = u"<td><img src=\"./spacer.gif\" width=\"46\" height=\"16\"><br></td>"_s;

catalogue::EntryRow entry(int n, const QString& name)
{
    catalogue::EntryRow row;
    row.BaseURL = kBase;
    row.TargetURL = config::SiteRoot + u"soft/se%1.html"_s.arg(n, 6, 10, QLatin1Char('0'));
    row.SoftName = name;
    row.FileType = 0;
    return row;
}

// Version, date, size, price and all three articles.
catalogue::EntryRow fullEntry()
{
    catalogue::EntryRow row = entry(1, u"窓の友"_s);
    row.Version = u"2.10"_s;
    row.OpenDate = QDateTime(QDate(2004, 5, 1), QTime(0, 0));
    row.Description = u"テキストエディタ"_s;
    row.FileSize = 1234;
    row.RegiMoney = 1500;
    row.FileType = 1;
    row.PickUpURL = config::SiteRoot + u"pickup/1.html"_s;
    row.NewsURL = config::SiteRoot + u"news/2.html"_s;
    row.PaymentURL = u"http://shop.talvex.example/swreg/step1.reserve?srno=1&SITE=T"_s;
    return row;
}

QStringList linesOf(const QByteArray& bytes)
{
    QStringList lines = text::DecodeCp932(bytes).split(u"\r\n"_s);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A program folder with a catalogue, the first-run software types and the WEBIMAGE pictures.
class ExportFolder : public TestFolder
{
public:
    ExportFolder()
    {
        loadFirstRunSoftTypes();
        config::settings().dbname = file(u"Pelimond.mdb"_s);
        QVERIFY(catalogue::CreateEmptyCatalogue(config::settings().dbname));
        const QDir images(QStringLiteral(PELIMOND_WEBIMAGE_DIR));
        QDir().mkpath(file(u"WEBIMAGE"_s));
        for (const QString& name : images.entryList({u"*.gif"_s}, QDir::Files))
            QVERIFY(QFile::copy(images.filePath(name), file(u"WEBIMAGE/"_s + name)));
    }

    void add(const QList<catalogue::EntryRow>& rows) const
    {
        catalogue::PageTransaction page(config::settings().dbname);
        for (const catalogue::EntryRow& row : rows)
            QVERIFY(catalogue::SaveEntry(page.db(), row));
        QVERIFY(page.commit());
    }
};

} // namespace

class TstExport : public QObject
{
    Q_OBJECT

private slots:
    void nameRule_data();
    void nameRule();
    void writesFramesetMenuAndPictures();
    void entryTable_data();
    void entryTable();
    void valuesAreEscaped_data();
    void valuesAreEscaped();
    void failureLeavesNoHalfSet_data();
    void failureLeavesNoHalfSet();
    void saveCommand();
};

void TstExport::nameRule_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("used");
    QTest::newRow("html") << u"/a/b.html"_s << u"/a/b.html"_s;
    QTest::newRow("HTM") << u"/a/b.HTM"_s << u"/a/b.HTM"_s;
    QTest::newRow("mixed case") << u"/a/b.HtMl"_s << u"/a/b.HtMl"_s;
    QTest::newRow("no extension") << u"/a/b"_s << u"/a/b.html"_s;
    QTest::newRow("other extension") << u"/a/b.txt"_s << u"/a/b.txt.html"_s;
    QTest::newRow("dot in the folder") << u"/a.html/b"_s << u"/a.html/b.html"_s;
}

void TstExport::nameRule()
{
    QFETCH(QString, chosen);
    QTEST(exportpages::ExportFileName(chosen), "used");
}

// Three entries: the frameset page line for line, one table per entry in the order given, each
// followed by "<hr>", and the pictures beside the list page, so its relative images resolve.
void TstExport::writesFramesetMenuAndPictures()
{
    ExportFolder folder;
    const catalogue::EntryRow a = fullEntry();
    const catalogue::EntryRow b = entry(2, u"Bravo"_s);
    const catalogue::EntryRow c = entry(3, u"Charlie"_s);
    folder.add({a, b, c});
    // The pages go into a folder whose name has a dot, away from the program folder.
    QVERIFY(QDir().mkpath(folder.file(u"my.pages"_s)));
    QVERIFY(exportpages::WriteExport(
        folder.file(u"my.pages/Windows.html"_s),
        {{kBase, c.TargetURL}, {kBase, a.TargetURL}, {kBase, b.TargetURL}}));

    const QByteArray framesetBytes = folder.readBytes(u"my.pages/Windows.html"_s);
    QVERIFY(framesetBytes.endsWith("</html>\r\n"));
    const QStringList frameset = linesOf(framesetBytes);
    const QString head =
        u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">|<html><head>|"
        u"<basefont size=\"2\">|"
        u"<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; charset=Shift_JIS\">|"
        u"<META name=\"GENERATOR\" content=\"%1 for Windows\">|<style type=\"text/css\">|<!--|"
        u"a {text-decoration:none;}|a:hover {text-decoration:underline; color:#000070;}|"
        u"table { font-size: x-small  }|-->|</style>|<title>Pelimond ライブラリメニュー</title>|"
        u"</head>"_s.arg(config::ProgramVersionText());
    QCOMPARE(frameset,
             QString(head +
                     u"|<frameset cols=\"230,*\">|"
                     u"<frame src=\"./Windows_files/menu.html\" Name=\"menu\" MARGINWIDTH=0 "
                     u"MARGINHEIGHT=4 FRAMEBORDER=1>|"
                     u"<frame src=\"http://www.talvex.example/info/sitemap.html\" Name=\"main\" "
                     u"MARGINWIDTH=0 MARGINHEIGHT=4 FRAMEBORDER=1>|</frameset>|<noframes><body>|"
                     u"フレーム未対応のブラウザをご使用の方は<a href=\"./Windows_files/menu.html\">"
                     u"ここをクリック</a><br></body>|</noframes>|</html>"_s)
                 .split(u'|'));

    const QByteArray menuBytes = folder.readBytes(u"my.pages/Windows_files/menu.html"_s);
    QVERIFY(menuBytes.endsWith("\r\n</body></html>\r\n"));
    QCOMPARE(menuBytes.count('\n'), menuBytes.count("\r\n"));
    const QStringList menu = linesOf(menuBytes);
    QCOMPARE(menu.mid(0, 15), head.split(u'|') << u"<body bgcolor=\"#ffffee\">"_s);
    QCOMPARE(menu.size(), 15 + 3 * 11 + 1);
    QStringList names;
    for (int first = 15; first < 15 + 3 * 11; first += 11) {
        QCOMPARE(menu[first], u"<table border=\"0\" width=184 colspan=0>"_s);
        QCOMPARE(menu.mid(first + 9, 2), (QStringList{u"</table>"_s, u"<hr>"_s}));
        names.append(menu[first + 1].section(u"<b>"_s, 1).section(u"</b>"_s, 0, 0));
    }
    QCOMPARE(names, (QStringList{u"Charlie"_s, u"窓の友"_s, u"Bravo"_s}));

    const QStringList gifs = QDir(folder.file(u"WEBIMAGE"_s)).entryList({u"*.gif"_s});
    QVERIFY(gifs.contains(u"spacer.gif"_s));
    for (const QString& gif : gifs) {
        QCOMPARE(folder.readBytes(u"my.pages/Windows_files/"_s + gif),
                 folder.readBytes(u"WEBIMAGE/"_s + gif));
    }
    QVERIFY(!QFile::exists(folder.file(u"Windows_files"_s)));
    QVERIFY(!QFile::exists(QDir::current().filePath(u"Windows_files"_s)));
}

void TstExport::entryTable_data()
{
    QTest::addColumn<catalogue::EntryRow>("row");
    QTest::addColumn<QString>("lines"); // lines 2 to 9 of the table, joined by "|"

    const QString pickUp =
        u"<td><a href=\"http://www.talvex.example/pickup/1.html\" target=\"main\">"
        u"<img src=\"./pickup.gif\" border=\"0\"></a><br></td>"_s;
    const QString news = u"<td><a href=\"http://www.talvex.example/news/2.html\" target=\"main\">"
                         u"<img src=\"./news.gif\" border=\"0\"></a><br></td>"_s;
    const QString regi = u"<td><a href=\"http://shop.talvex.example/swreg/step1.reserve?srno=1&amp;"
                         u"SITE=T\" target=\"main\"><img src=\"./regi.gif\" border=\"0\"></a>"
                         u"<br></td>"_s;
    QTest::newRow("everything")
        << fullEntry()
        << kRow +
               u"■<a href =\"http://www.talvex.example/soft/se000001.html\" target=\"main\">"
               u"<b>窓の友</b>&nbsp;2.10</a></td></tr>|"_s +
               kRow + u"公開日:2004/05/01<br></td></tr>|"_s + kRow +
               u"<font color=\"green\">テキストエディタ</font>&nbsp;(1,234K)&nbsp;(1,500円)"
               u"<br></td></tr>|<tr>|"
               u"<td><img src=\"s_share2.gif\" alt=\"シェアウェア\" width=\"46\" height=\"16\">"
               u"</td>|"_s +
               pickUp + u'|' + news + u'|' + regi;

    catalogue::EntryRow bare = entry(7, u"Bare"_s);
    bare.FileType = 99;
    const QString unknownType = u"|<tr>|<td><img src=\"s_unknown.gif\" alt=\"不明\" width=\"46\" "
                                u"height=\"16\"></td>|"_s +
                                kSpacer + u'|' + kSpacer + u'|' + kSpacer;
    QTest::newRow("no version, date, size or price; unknown type")
        << bare
        << kRow +
               u"■<a href =\"http://www.talvex.example/soft/se000007.html\" target=\"main\">"
               u"<b>Bare</b></a></td></tr>|"_s +
               kRow + u"公開日:<br></td></tr>|"_s + kRow +
               u"<font color=\"green\"></font><br></td></tr>"_s + unknownType;

    catalogue::EntryRow odd = entry(8, u"Odd"_s);
    odd.FileType = 42; // not in the type table: shown as the unknown type
    odd.FileSize = 0;
    odd.RegiMoney = 1234567;
    QTest::newRow("size 0, a large price, a code missing from the table")
        << odd
        << kRow +
               u"■<a href =\"http://www.talvex.example/soft/se000008.html\" target=\"main\">"
               u"<b>Odd</b></a></td></tr>|"_s +
               kRow + u"公開日:<br></td></tr>|"_s + kRow +
               u"<font color=\"green\"></font>&nbsp;(0K)&nbsp;(1,234,567円)<br></td></tr>"_s +
               unknownType;
}

void TstExport::entryTable()
{
    QFETCH(catalogue::EntryRow, row);
    QFETCH(QString, lines);
    ExportFolder folder;
    folder.add({row});
    QVERIFY(exportpages::WriteExport(folder.file(u"one.html"_s), {{row.BaseURL, row.TargetURL}}));
    const QStringList menu = linesOf(folder.readBytes(u"one_files/menu.html"_s));
    QCOMPARE(menu.size(), 15 + 11 + 1);
    QCOMPARE(menu.mid(16, 8), lines.split(u'|'));
}

// Values from the catalogue and the file name never end a tag or an attribute early, and a
// character the code page cannot hold arrives as a character reference.
void TstExport::valuesAreEscaped_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected"); // bytes that the menu or frameset page contains
    QTest::newRow("name") << u"name"_s << u"<b>\"A&B\"</b>"_s
                          << QByteArray("<b>&lt;b&gt;&quot;A&amp;B&quot;&lt;/b&gt;</b>");
    QTest::newRow("version") << u"version"_s << u"1<2>"_s << QByteArray("&nbsp;1&lt;2&gt;</a>");
    QTest::newRow("address")
        << u"target"_s << u"http://www.talvex.example/soft/x.html?a=1&b=\"2\""_s
        << QByteArray("<a href =\"http://www.talvex.example/soft/x.html?a=1&amp;b=&quot;2&quot;\" "
                      "target=\"main\">");
    QTest::newRow("article address")
        << u"news"_s << u"http://x/\" onclick=\"alert(1)"_s
        << QByteArray("<a href=\"http://x/&quot; onclick=&quot;alert(1)\" target=\"main\">");
    QTest::newRow("description outside the code page")
        << u"description"_s << u"Grüße 😀 ～ü"_s
        << QByteArray("Gr&#252;&#223;e &#128512; \x81\x60&#252;</font>");
    QTest::newRow("file name") << u"file"_s << u"A&B \"Grüße\""_s
                               << QByteArray("<frame src=\"./A&amp;B &quot;Gr&#252;&#223;e&quot;"
                                             "_files/menu.html\"");
}

void TstExport::valuesAreEscaped()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);
    ExportFolder folder;
    catalogue::EntryRow row = fullEntry();
    QString* target = field == u"name"          ? &row.SoftName
                      : field == u"version"     ? &row.Version
                      : field == u"target"      ? &row.TargetURL
                      : field == u"news"        ? &row.NewsURL
                      : field == u"description" ? &row.Description
                                                : nullptr;
    if (target)
        *target = value;
    folder.add({row});
    const QString name = target ? u"set"_s : value;
    QVERIFY(exportpages::WriteExport(folder.file(name + u".html"_s), {{kBase, row.TargetURL}}));
    const QByteArray page =
        folder.readBytes(target ? name + u"_files/menu.html"_s : name + u".html"_s);
    QVERIFY2(page.contains(expected), page.constData());
    // Only what the code page lacks is written as a reference.
    QVERIFY(page.contains(text::EncodeCp932(target ? u"■<a href =" : u"ここをクリック")));
    QVERIFY(QFile::exists(folder.file(name + u"_files/menu.html"_s)));
}

void TstExport::failureLeavesNoHalfSet_data()
{
    QTest::addColumn<QString>("place");
    // The chosen folder is a file, so nothing can be made in it.
    QTest::newRow("folder is a file") << u"plain/set.html"_s;
    // The frameset's name is taken by a folder: pictures and list page could be written, the
    // frameset not.
    QTest::newRow("frameset name is a folder") << u"taken.html"_s;
    QTest::newRow("catalogue missing") << u"nodb.html"_s;
}

void TstExport::failureLeavesNoHalfSet()
{
    QFETCH(QString, place);
    ExportFolder folder;
    const catalogue::EntryRow row = fullEntry();
    folder.add({row});
    folder.writeBytes(u"plain"_s, "a file");
    QDir().mkpath(folder.file(u"taken.html"_s));
    if (place == u"nodb.html")
        config::settings().dbname = folder.file(u"none.mdb"_s);
    const QStringList before =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QString error;
    QVERIFY(!exportpages::WriteExport(folder.file(place), {{kBase, row.TargetURL}}, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

// The save command: the dialog's start, cancel, the name rule, the failure message.
void TstExport::saveCommand()
{
    ExportFolder folder;
    const catalogue::EntryRow row = fullEntry();
    folder.add({row});
    folder.writeBytes(u"plain"_s, "a file");
    msg::ScriptedSink messages;
    QStringList asked;
    QString answer;
    const auto choose = [&](QWidget*, const QString& filter, const QString& initial) {
        asked << filter << initial;
        return answer;
    };
    const QList<mainwindow::EntryKey> entries{{kBase, row.TargetURL}};
    QVERIFY(!exportpages::SaveEntriesAsPages(nullptr, u"Windows"_s, {}, choose));
    QVERIFY(asked.isEmpty()); // no selection, no dialog

    QVERIFY(!exportpages::SaveEntriesAsPages(nullptr, u"OS/2,WARP"_s, entries, choose));
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    QCOMPARE(asked,
             (QStringList{u"Webページ(*.html)|*.html;*.htm"_s, documents + u"/OS_2_WARP.html"_s}));
    QVERIFY(QDir(folder.path()).entryList({u"*.html"_s}).isEmpty());

    answer = folder.file(u"saved"_s);
    QVERIFY(exportpages::SaveEntriesAsPages(nullptr, u"Windows"_s, entries, choose));
    QVERIFY(QFile::exists(folder.file(u"saved.html"_s)));
    QVERIFY(QFile::exists(folder.file(u"saved_files/menu.html"_s)));
    QVERIFY(messages.shown.isEmpty());

    answer = folder.file(u"plain/x.htm"_s);
    QVERIFY(!exportpages::SaveEntriesAsPages(nullptr, u"Windows"_s, entries, choose));
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].title, u"保存できませんでした。"_s);
    QCOMPARE(messages.shown[0].text,
             u"ファイルの書き込みに失敗しました。\r\nメディアが書き込み禁止になっていないか、"
             u"また十分な容量があるかを確認してください。"_s);
    QCOMPARE(messages.shown[0].icon, msg::Icon::Stop);
}

QTEST_MAIN(TstExport)
#include "tst_export.moc"

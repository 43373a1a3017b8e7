#include "config/Ini.h"
#include "config/Settings.h"
#include "support/TestFolder.h"
#include "util/Messages.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TstSettings : public QObject
{
    Q_OBJECT

private slots:
    void sectionsAndKeysIgnoreCaseAndBlanks();
    void longValuesAreKeptWhole();
    void lineEnds_data();
    void lineEnds();
    void canStoreText_data();
    void canStoreText();
    void readIniOfAMissingFileGivesTheDefaultAndCreatesNothing();
    void writeIniKeepsTheRestOfTheFile();
    void writeIniAddsSectionAndKey();
    void numberRules_data();
    void numberRules();
    void firstRunValuesAfterAStartWithoutFile();
    void firstRunFileHoldsEveryKey();
    void pathsAreResolved();
};

void TstSettings::sectionsAndKeysIgnoreCaseAndBlanks()
{
    TestFolder folder;
    folder.writeLines(u"Pelimond.INI"_s, {u"[cache]"_s, u"  cachefolder  = .\\MyCache\\ "_s,
                                          u"[ DataBase ]"_s, u"SearchMax =42"_s});
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"CACHE"_s, u"CACHEFOLDER"_s, u"d"_s),
             u".\\MyCache\\"_s);
    QCOMPARE(config::ReadIni(u"pelimond.ini"_s, u"database"_s, u"SearchMax "_s, u"d"_s), u"42"_s);
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"CACHE"_s, u"Missing"_s, u"d"_s), u"d"_s);
}

void TstSettings::longValuesAreKeptWhole()
{
    TestFolder folder;
    // A folder chosen in a folder dialog easily passes 127 bytes.
    const QString deep = u"/srv/"_s + QString(60, u'ダ') + u"/"_s + QString(80, u'a');
    folder.writeLines(u"Pelimond.INI"_s, {u"[URL]"_s, u"UserAgent="_s + QString(200, u'a'),
                                          u"[PLMDM]"_s, u"Folder="_s + deep});
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"URL"_s, u"UserAgent"_s, {}), QString(200, u'a'));
    msg::ScriptedSink messages;
    config::LoadSettings();
    QCOMPARE(config::settings().DownloadFolder, deep);
    // And written back whole.
    config::WriteIni(u"PLMDM"_s, u"Folder"_s, deep + u"/x"_s, u"Pelimond.INI"_s);
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"PLMDM"_s, u"Folder"_s, {}), deep + u"/x"_s);
}

// A file edited by hand on any system reads as the same lines: CR LF, LF alone, CR alone, mixed.
void TstSettings::lineEnds_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR") << QByteArray("\r");
}

void TstSettings::lineEnds()
{
    QFETCH(QByteArray, lineEnd);
    TestFolder folder;
    const QList<QByteArray> lines{"[URL]",    "TimeOut=30", "[CACHE]",     "CacheFolder=.\\Pages",
                                  "Update=1", "[Window]",   "SearchMax=55"};
    QByteArray bytes = lines.first();
    for (qsizetype i = 1; i < lines.size(); ++i)
        bytes += (i == 3 ? QByteArray("\r\n") : lineEnd) + lines[i]; // one CR LF among them
    folder.writeBytes(u"Pelimond.INI"_s, bytes);
    msg::ScriptedSink messages;
    config::LoadSettings();
    const config::Settings& s = config::settings();
    QCOMPARE(s.TimeOut, 30);
    QCOMPARE(s.Update, 1);
    QCOMPARE(s.SearchMax, 55);
    QCOMPARE(s.CacheFolder, folder.file(u"Pages"_s));
    // A key written into such a file keeps every other line.
    config::WriteIni(u"URL"_s, u"TimeOut"_s, 9, u"Pelimond.INI"_s);
    QCOMPARE(folder.readLines(u"Pelimond.INI"_s).size(), 7);
}

void TstSettings::canStoreText_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("unstorable");
    QTest::newRow("plain") << u"C:\\Program Files\\x"_s << QStringList{};
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("Japanese") << u"ダウンロード①～＼"_s << QStringList{};
    QTest::newRow("umlauts") << u"/home/a/Grüße/ダ"_s << QStringList{u"ü"_s, u"ß"_s};
    // The wave dash has no code of its own in code page 932 (the full-width tilde has).
    QTest::newRow("wave dash") << u"a\u301Cb"_s << QStringList{u"\u301C"_s};
    QTest::newRow("outside the BMP, twice") << u"x😀y😀"_s << QStringList{u"😀"_s};
    QTest::newRow("line break") << u"a\r\nb"_s << QStringList{u"改行"_s};
}

void TstSettings::canStoreText()
{
    QFETCH(QString, value);
    QFETCH(QStringList, unstorable);
    QCOMPARE(config::CanStoreText(value), unstorable.isEmpty());
    QCOMPARE(config::UnstorableCharacters(value), unstorable);
    if (!unstorable.isEmpty()) {
        const QString message = config::UnstorableTextMessage(value);
        QVERIFY(message.contains(value));
        for (const QString& c : unstorable)
            QVERIFY(message.contains(u'「' + c + u'」'));
    }
}

void TstSettings::readIniOfAMissingFileGivesTheDefaultAndCreatesNothing()
{
    TestFolder folder;
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"URL"_s, u"TimeOut"_s, u"10"_s), u"10"_s);
    QVERIFY(!QFile::exists(folder.file(u"Pelimond.INI"_s)));
}

void TstSettings::writeIniKeepsTheRestOfTheFile()
{
    TestFolder folder;
    const QStringList before{u"; comment"_s, u"[Window]"_s, u"Left=1"_s, u"SORTKEY = 4"_s,
                             u"Top=2"_s,     u""_s,         u"[URL]"_s,  u"TimeOut=5"_s};
    folder.writeLines(u"Pelimond.INI"_s, before);
    config::WriteIni(u"window"_s, u"SortKey"_s, 7, u"Pelimond.INI"_s);
    QStringList expected = before;
    expected[3] = u"SORTKEY=7"_s;
    QCOMPARE(folder.readLines(u"Pelimond.INI"_s), expected);
}

void TstSettings::writeIniAddsSectionAndKey()
{
    TestFolder folder;
    folder.writeLines(u"Pelimond.INI"_s, {u"[Window]"_s, u"Left=1"_s, u""_s, u"[URL]"_s});
    config::WriteIni(u"Window"_s, u"Top"_s, u"3"_s, u"Pelimond.INI"_s);
    config::WriteIni(u"PLMDM"_s, u"Folder"_s, u"D:\\ダウンロード"_s, u"Pelimond.INI"_s);
    QCOMPARE(folder.readLines(u"Pelimond.INI"_s),
             (QStringList{u"[Window]"_s, u"Left=1"_s, u"Top=3"_s, u""_s, u"[URL]"_s, u"[PLMDM]"_s,
                          u"Folder=D:\\ダウンロード"_s}));
    // CP932 on disk.
    QVERIFY(folder.readBytes(u"Pelimond.INI"_s).contains("\x83\x5f\x83\x45"));
}

void TstSettings::numberRules_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("timeOut");
    QTest::addColumn<int>("update");
    QTest::addColumn<int>("proxyPort");
    QTest::addColumn<int>("proxy");
    QTest::addColumn<int>("prefetchCount");
    const QString url = u"[URL]"_s, cache = u"[CACHE]"_s;
    QTest::newRow("plain") << QStringList{url,          u"TimeOut=30"_s,      u"ProxyPort=3128"_s,
                                          u"Proxy=2"_s, u"PrefetchCount=6"_s, cache,
                                          u"Update=1"_s}
                           << 30 << 1 << 3128 << 2 << 6;
    QTest::newRow("not numeric") << QStringList{url,
                                                u"TimeOut=abc"_s,
                                                u"ProxyPort=x"_s,
                                                u"Proxy=two"_s,
                                                u"PrefetchCount=many"_s,
                                                cache,
                                                u"Update=?"_s}
                                 << 0 << 0 << 8080 << 0 << 1;
    QTest::newRow("empty port gives 8080, missing port 0")
        << QStringList{url, u"ProxyPort="_s, u"PrefetchCount=0"_s} << 10 << 3 << 8080 << 0 << 1;
    QTest::newRow("missing keys") << QStringList{url} << 10 << 3 << 0 << 0 << 4;
    QTest::newRow("fractions round, too many pages ahead")
        << QStringList{url, u"TimeOut=7.6"_s, u"Proxy=1.2"_s, u"PrefetchCount=99"_s} << 8 << 3 << 0
        << 1 << 8;
    QTest::newRow("negative pages ahead")
        << QStringList{url, u"PrefetchCount=-3"_s} << 10 << 3 << 0 << 0 << 1;
}

void TstSettings::numberRules()
{
    QFETCH(QStringList, lines);
    TestFolder folder;
    folder.writeLines(u"Pelimond.INI"_s, lines);
    msg::ScriptedSink messages;
    config::LoadSettings();
    const config::Settings& s = config::settings();
    QTEST(s.TimeOut, "timeOut");
    QTEST(s.Update, "update");
    QTEST(s.ProxyPort, "proxyPort");
    QTEST(s.Proxy, "proxy");
    QTEST(s.PrefetchCount, "prefetchCount");
    QVERIFY(messages.shown.isEmpty());
}

void TstSettings::firstRunValuesAfterAStartWithoutFile()
{
    TestFolder folder;
    msg::ScriptedSink messages;
    config::LoadSettings();
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text,
             u"定義ファイル (Pelimond.INI) が見つかりません。\r\nデフォルト値を使用します。"_s);
    QCOMPARE(messages.shown[0].title, u"Pelimond"_s);
    QCOMPARE(messages.shown[0].icon, msg::Icon::Stop);
    const config::Settings& s = config::settings();
    QCOMPARE(s.TimeOut, 5);
    QCOMPARE(s.Update, 2);
    QCOMPARE(s.DateBeforeUpdate, 7);
    QCOMPARE(s.SearchMax, 100);
    QCOMPARE(s.ProxyPort, 8080);
    QCOMPARE(s.FirstBoot, 1);
    QCOMPARE(s.SplitterLeft, 2750);
    QCOMPARE(s.SortKey, 4);
    QCOMPARE(s.ListViewWidths[2], 1300); // wide enough for a dated version such as "2004.05.01"
    QCOMPARE(s.ListViewWidths[5], 1400); // and for "シェアウェア" and "アップデート"
    QCOMPARE(s.UserAgent, config::ProgramVersionText());
    QCOMPARE(s.TreeViewFont, u"ＭＳ Ｐゴシック"_s);
    // Keys without a first-run value take their read defaults.
    QCOMPARE(s.ReadSortType, 0);
    QCOMPARE(s.ReadMaxPages, 0);
    QCOMPARE(s.ChangeNormalIcon, 0);
    QCOMPARE(s.Debug, 0);
    QCOMPARE(s.CacheFolder, folder.file(u"CACHE"_s));
    QCOMPARE(s.dbname, folder.file(u"Pelimond.MDB"_s));
    QCOMPARE(s.DownloadFolder, folder.file(u"DOWNLOAD"_s));
    // A second start finds the file and says nothing.
    config::LoadSettings();
    QCOMPARE(messages.shown.size(), 1);
}

void TstSettings::firstRunFileHoldsEveryKey()
{
    TestFolder folder;
    QVERIFY(config::WriteDefaultSettings());
    const QStringList lines = folder.readLines(u"Pelimond.INI"_s);
    for (const QString& expected : QStringList{
             u"[URL]"_s, u"PROXY=0"_s, u"ProxyPort="_s, u"[CaChe]"_s, u"CacheFolder=.\\CACHE"_s,
             u"[Database]"_s, u"dbname=.\\Pelimond.MDB"_s, u"ListView9=0"_s, u"ListView8=8879"_s,
             u"AgentCount=16"_s, u"0="_s + config::ProgramVersionText(),
             u"15=Opera/6.05 (Windows XP; U) [ja]"_s,
             u"SoftType6=5,s_update2.gif,アップデート,8355584,icon2_u.gif"_s, u"FirstBoot=1"_s,
             u"UsePLMDMPropertyWindow=1"_s}) {
        QVERIFY2(lines.contains(expected), qPrintable(expected));
    }
    QVERIFY(lines.indexOf(u"[URL]"_s) < lines.indexOf(u"[CaChe]"_s));
    QVERIFY(lines.indexOf(u"[Agent]"_s) < lines.indexOf(u"[PLMDM]"_s));
    QVERIFY(!lines.contains(u"[System]"_s));
}

void TstSettings::pathsAreResolved()
{
    TestFolder folder;
    folder.writeLines(u"Pelimond.INI"_s,
                      {u"[CaChe]"_s, u"CacheFolder=.\\Cache\\"_s, u"[DataBase]"_s,
                       u"dbname=/srv/other/Catalogue.mdb"_s, u"[PLMDM]"_s, u"Folder=..\\DL"_s});
    msg::ScriptedSink messages;
    config::LoadSettings();
    const QString root = folder.path();
    QCOMPARE(config::settings().CacheFolder, root + u"/Cache"_s);
    QCOMPARE(config::settings().dbname, u"/srv/other/Catalogue.mdb"_s);
    QCOMPARE(config::settings().DownloadFolder, root.left(root.lastIndexOf(u'/')) + u"/DL"_s);
}

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"

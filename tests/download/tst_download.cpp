#include "tst_download.h"

#include "catalogue/Rows.h"
#include "config/Settings.h"
#include "download/DownloadTexts.h"
#include "download/PrepareDownload.h"
#include "download/Transfer.h"
#include "talvex-sim/ArchiveBytes.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "util/FileUtil.h"
#include "util/Text.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(catalogue::EntryRow)

namespace {

const QString kAddress = u"http://dl.talvex.example/pub/win/util/tool120.lzh"_s;

std::shared_ptr<const talvexsim::Site> g_site;
std::unique_ptr<talvexsim::SimServerThread> g_server;

// The head of a library information file as the main process writes it, with the three lines
// the download process reads given by the test (the dates, description and author follow).
QStringList libInfo(const QString& name, const QString& address, const QString& size)
{
    return {QString(70, u'-'),
            u"ライブラリ名  : "_s + name,
            u"バージョン    : 1.20"_s,
            u"ファイル名    : "_s + address,
            u"ファイルタイプ: フリーソフト"_s,
            u"ファイルサイズ: "_s + size,
            u"登録日        : 2003/04/01"_s};
}

// The entry folder the main process makes for name: below the download folder, cleaned.
QString entryFolder(const QString& name)
{
    return u"DOWNLOAD/"_s + download::EntryFolderName(name);
}

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
}

} // namespace

const talvexsim::Site& simSite()
{
    return *g_site;
}

talvexsim::SimServerThread& simServer()
{
    return *g_server;
}

QString archiveUrl(int package)
{
    return simSite().package(package).archiveUrl;
}

QByteArray archiveBytes(int package)
{
    const talvexsim::ArchiveBytes bytes(simSite(), package);
    return bytes.read(0, bytes.size());
}

catalogue::EntryRow entryRow(const QString& name, const QString& address)
{
    catalogue::EntryRow row;
    row.BaseURL = u"http://www.talvex.example/tpack/filearea/win/util/"_s;
    row.TargetURL = u"http://www.talvex.example/soft/win/util/se000123.html"_s;
    row.SoftName = name;
    row.FTPURL = address;
    row.FileSize2 = kArchiveBytes;
    row.FileType = 0;
    return row;
}

download::LibInfo preparedEntry(const TestFolder& folder, const QString& name,
                                const QString& address)
{
    const QString entry = folder.file(entryFolder(name));
    util::MakeFolders(entry);
    download::LibInfo info;
    if (!download::WriteLibInfo(entry, entryRow(name, address), u"フリーソフト"_s) ||
        !download::ReadLibInfo(entry, &info))
        qWarning("the library information file cannot be written and read");
    return info;
}

void TstDownload::initTestCase()
{
    g_site = std::make_shared<const talvexsim::Site>(7, 1, kArchiveBytes);
    g_server = std::make_unique<talvexsim::SimServerThread>(g_site);
    QVERIFY(g_server->start());
}

void TstDownload::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_messages = std::make_unique<msg::ScriptedSink>();
    config::Settings& s = config::settings();
    s.Proxy = 2;
    s.ProxyName = u"127.0.0.1"_s;
    s.ProxyPort = simServer().port();
    s.TimeOut = 5;
    s.UserAgent = u"Pelimond version 1.0.0"_s;
    s.DownloadFolder = m_folder->file(u"DOWNLOAD"_s);
    s.dbname = m_folder->file(u"Pelimond.mdb"_s);
    download::SetOpenRetryPauseForTests(0);
    simServer().requests().clear();
    simServer().faults().clear();
}

void TstDownload::cleanup()
{
    download::SetOpenRetryPauseForTests(-1);
    download::SetDownloadProgramForTests(QString());
    m_messages.reset();
    m_folder.reset();
}

void TstDownload::cleanupTestCase()
{
    g_server.reset();
    g_site.reset();
}

void TstDownload::readsTheThreeLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("seven digits") << u"Tool"_s << kAddress << u"1,234,567 バイト"_s
                                  << qint64(1234567) << u"tool120.lzh"_s;
    QTest::newRow("no separators")
        << u"Tool"_s << kAddress << u"  2048  バイト"_s << qint64(2048) << u"tool120.lzh"_s;
    QTest::newRow("size left empty")
        << u"Tool"_s << kAddress << u" バイト"_s << qint64(1) << u"tool120.lzh"_s;
    QTest::newRow("beyond 32 bits") << u"Tool"_s << kAddress << u"3,221,225,472 バイト"_s
                                    << qint64(3221225472LL) << u"tool120.lzh"_s;
    QTest::newRow("name the folder cleans") << u"Zip: A/B *改* \"v2\""_s << kAddress
                                            << u"10 バイト"_s << qint64(10) << u"tool120.lzh"_s;
    QTest::newRow("address without slash")
        << u"Tool"_s << u"tool.lzh"_s << u"10 バイト"_s << qint64(10) << u"tool.lzh"_s;
    QTest::newRow("address with a query") << u"Tool"_s << u"http://dl.talvex.example/get?f=a.lzh"_s
                                          << u"10 バイト"_s << qint64(10) << u"get?f=a.lzh"_s;
}

void TstDownload::readsTheThreeLines()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, sizeText);
    QFETCH(qint64, size);
    QFETCH(QString, fileName);
    const TestFolder& folder = *m_folder;
    const QString entry = entryFolder(name);
    folder.writeLines(entry + u"/LIBINFO.TXT"_s, libInfo(name, address, sizeText));
    download::LibInfo info;
    QVERIFY(download::ReadLibInfo(folder.file(entry), &info));
    QCOMPARE(info.name, name);
    QCOMPARE(info.remoteAddress, address);
    QCOMPARE(info.expectedSize, size);
    QCOMPARE(info.folder, folder.file(entry));
    QCOMPARE(info.localFile, folder.file(entry) + u'/' + fileName);
}

void TstDownload::acceptsStoredPathShapesAndLineEnds_data()
{
    QTest::addColumn<QString>("given"); // "@" stands for the program folder
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("absolute") << u"@/DOWNLOAD/Tool"_s << u"LIBINFO.TXT"_s << QByteArray("\r\n");
    QTest::newRow("relative to the program")
        << u".\\DOWNLOAD\\Tool\\"_s << u"LIBINFO.TXT"_s << QByteArray("\r\n");
    QTest::newRow("name in another case")
        << u"@/download/tool"_s << u"libinfo.txt"_s << QByteArray("\r\n");
    QTest::newRow("CR line ends") << u"@/DOWNLOAD/Tool"_s << u"LIBINFO.TXT"_s << QByteArray("\r");
}

void TstDownload::acceptsStoredPathShapesAndLineEnds()
{
    QFETCH(QString, given);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, lineEnd);
    const TestFolder& folder = *m_folder;
    QByteArray bytes;
    for (const QString& line : libInfo(u"Tool"_s, kAddress, u"2,048 バイト"_s))
        bytes += text::EncodeCp932(line) + lineEnd;
    folder.writeBytes(u"DOWNLOAD/Tool/"_s + fileName, bytes);
    download::LibInfo info;
    QVERIFY(download::ReadLibInfo(given.replace(u'@', folder.path()), &info));
    QCOMPARE(info.expectedSize, qint64(2048));
    QCOMPARE(info.localFile, folder.file(u"DOWNLOAD/Tool/tool120.lzh"_s));
}

void TstDownload::unreadableFileFails_data()
{
    QTest::addColumn<int>("lines"); // -1: no file; -2: a folder in place of the file
    QTest::newRow("no file") << -1;
    QTest::newRow("folder in place of the file") << -2;
    QTest::newRow("empty file") << 0;
    QTest::newRow("five lines") << 5;
}

void TstDownload::unreadableFileFails()
{
    QFETCH(int, lines);
    const TestFolder& folder = *m_folder;
    QDir().mkpath(folder.file(u"DOWNLOAD/Tool"_s));
    if (lines == -2)
        QDir().mkpath(folder.file(u"DOWNLOAD/Tool/LIBINFO.TXT"_s));
    else if (lines >= 0)
        folder.writeLines(u"DOWNLOAD/Tool/LIBINFO.TXT"_s,
                          libInfo(u"Tool"_s, kAddress, u"1 バイト"_s).mid(0, lines));
    download::LibInfo info;
    QVERIFY(!download::ReadLibInfo(folder.file(u"DOWNLOAD/Tool"_s), &info));
}

void TstDownload::writesTheLayout_data()
{
    QTest::addColumn<catalogue::EntryRow>("row");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<qint64>("sizeRead");
    const QString rule(70, u'-');
    catalogue::EntryRow full;
    full.TargetURL = u"http://www.talvex.example/soft/win/util/se000123.html"_s;
    full.SoftName = u"便利ツール"_s;
    full.Version = u"1.20"_s;
    full.FTPURL = kAddress;
    full.FileSize2 = 1234567;
    full.RegistDate = at("2003-04-01T00:00:00");
    full.OpenDate = at("2003-04-05T12:30:00");
    full.Description = u"便利な道具"_s;
    full.Author = u"山田 太郎"_s;
    full.DescriptionDetail = u"一行目\r\n\r\n三行目\n四行目\r\n"_s;
    QTest::newRow("every field, a seven-digit size")
        << full
        << QStringList{rule,
                       u"ライブラリ名  : 便利ツール"_s,
                       u"バージョン    : 1.20"_s,
                       u"ファイル名    : "_s + kAddress,
                       u"ファイルタイプ: シェアウェア"_s,
                       u"ファイルサイズ: 1,234,567 バイト"_s,
                       u"登録日        : 2003/04/01"_s,
                       u"公開日        : 2003/04/05"_s,
                       u"ソフト説明    : 便利な道具"_s,
                       u"作者          : 山田 太郎"_s,
                       u"ライブラリURL : "_s + full.TargetURL,
                       rule,
                       QString(),
                       u"一行目"_s,
                       QString(),
                       u"三行目"_s,
                       u"四行目"_s}
        << qint64(1234567);
    catalogue::EntryRow empty;
    empty.SoftName = u"Tool"_s;
    QTest::newRow("Null fields leave the labels alone")
        << empty
        << QStringList{rule,
                       u"ライブラリ名  : Tool"_s,
                       u"バージョン    : "_s,
                       u"ファイル名    : "_s,
                       u"ファイルタイプ: シェアウェア"_s,
                       u"ファイルサイズ:  バイト"_s,
                       u"登録日        : "_s,
                       u"公開日        : "_s,
                       u"ソフト説明    : "_s,
                       u"作者          : "_s,
                       u"ライブラリURL : "_s,
                       rule,
                       QString(),
                       QString()}
        << qint64(1);
}

void TstDownload::writesTheLayout()
{
    QFETCH(catalogue::EntryRow, row);
    QFETCH(QStringList, lines);
    QFETCH(qint64, sizeRead);
    const QString folder = m_folder->file(u"DOWNLOAD/Tool"_s);
    util::MakeFolders(folder);
    // Written over an earlier, longer file: none of its lines survive, no temporary file stays.
    catalogue::EntryRow longer = row;
    longer.DescriptionDetail = QStringList(20, u"長い説明の行"_s).join(u"\r\n"_s);
    QVERIFY(download::WriteLibInfo(folder, longer, u"シェアウェア"_s));
    QVERIFY(download::WriteLibInfo(folder, row, u"シェアウェア"_s));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"LIBINFO.TXT"_s});

    // CP932, every line ended by CR LF, nothing else.
    QByteArray expected;
    for (const QString& line : lines)
        expected += text::EncodeCp932(line) + "\r\n";
    QCOMPARE(m_folder->readBytes(u"DOWNLOAD/Tool/LIBINFO.TXT"_s), expected);
    // The download process reads back what was written.
    download::LibInfo info;
    QVERIFY(download::ReadLibInfo(folder, &info));
    QCOMPARE(info.name, row.SoftName);
    QCOMPARE(info.remoteAddress, row.FTPURL);
    QCOMPARE(info.expectedSize, sizeRead);
}

void TstDownload::sizeText_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing yet") << qint64(0) << qint64(2048) << u"0KB / 2KB"_s;
    QTest::newRow("whole KB only") << qint64(2047) << qint64(2048) << u"1KB / 2KB"_s;
    QTest::newRow("separators") << qint64(1234 * 1024 + 1023) << qint64(5678 * 1024)
                                << u"1,234KB / 5,678KB"_s;
    QTest::newRow("beyond 2 GiB") << qint64(3221225472LL) << qint64(4294967296LL + 1024)
                                  << u"3,145,728KB / 4,194,305KB"_s;
}

void TstDownload::sizeText()
{
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(QString, text);
    QCOMPARE(download::SizeText(received, expected), text);
}

void TstDownload::remainingTime_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<qint64>("atStart"); // left by an earlier run
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("text");
    const QDateTime noon = at("2024-05-01T12:00:00");
    QTest::newRow("seconds") << qint64(1024) << qint64(2048) << qint64(0) << noon << noon.addSecs(7)
                             << u"7秒"_s;
    QTest::newRow("minutes") << qint64(1000) << qint64(2000) << qint64(0) << noon
                             << noon.addSecs(125) << u"2分 5秒"_s;
    QTest::newRow("hours") << qint64(1000) << qint64(2000) << qint64(0) << noon
                           << noon.addSecs(3725) << u"1時間 2分 5秒"_s;
    QTest::newRow("over a day") << qint64(1) << qint64(3) << qint64(0) << noon
                                << noon.addSecs(45000) << u"25時間 0分 0秒"_s;
    QTest::newRow("across midnight")
        << qint64(1024) << qint64(2048) << qint64(0) << at("2024-03-31T23:59:58")
        << at("2024-04-01T00:00:03") << u"5秒"_s;
    QTest::newRow("a resumed run counts its own bytes")
        << qint64(1536) << qint64(2048) << qint64(1024) << noon << noon.addSecs(10) << u"10秒"_s;
    QTest::newRow("nothing received yet")
        << qint64(0) << qint64(2048) << qint64(0) << noon << noon.addSecs(30) << u"0秒"_s;
}

void TstDownload::remainingTime()
{
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(qint64, atStart);
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, now);
    QFETCH(QString, text);
    const double elapsed = download::ElapsedSeconds(start, now);
    QVERIFY(elapsed >= 0);
    QCOMPARE(download::RemainingTimeText(
                 download::RemainingSeconds(received, expected, atStart, elapsed)),
             text);
}

void TstDownload::barScale_data()
{
    QTest::addColumn<qint64>("maximum");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<double>("fraction");
    QTest::newRow("small archive") << qint64(2048) << qint64(1024) << 0.5;
    QTest::newRow("3 GiB, a quarter") << qint64(3221225472LL) << qint64(805306368LL) << 0.25;
    QTest::newRow("1 TiB, full") << (qint64(1) << 40) << (qint64(1) << 40) << 1.0;
    QTest::newRow("more than expected") << qint64(2048) << qint64(4096) << 1.0;
}

void TstDownload::barScale()
{
    QFETCH(qint64, maximum);
    QFETCH(qint64, value);
    QFETCH(double, fraction);
    const download::BarScale scale = download::BarScaleFor(maximum);
    QVERIFY(scale.maximum >= 0);
    // The bar keeps a fine resolution: at least 2^30 steps for a large archive.
    QVERIFY(scale.maximum == maximum || scale.maximum >= (1 << 30));
    QCOMPARE(scale.value(value), int(scale.maximum * fraction));
}

void TstDownload::namesStayInsideTheFolder_data()
{
    QTest::addColumn<bool>("entryName"); // else an archive's address
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("name"); // "" = refused
    QTest::newRow("entry ..") << true << u".."_s << QString();
    QTest::newRow("entry .") << true << u"."_s << QString();
    QTest::newRow("entry empty") << true << QString() << QString();
    QTest::newRow("entry climbing") << true << u"../../etc"_s << u".._.._etc"_s;
    QTest::newRow("entry blanks and Japanese")
        << true << u"便利  ツール v2"_s << u"便利  ツール v2"_s;
    QTest::newRow("address ends in /") << false << u"http://dl.talvex.example/pub/"_s << QString();
    QTest::newRow("address ends in ..")
        << false << u"http://dl.talvex.example/pub/.."_s << QString();
    QTest::newRow("address ends in a blank")
        << false << u"http://dl.talvex.example/pub/ "_s << QString();
    QTest::newRow("backslashes in the name")
        << false << u"http://dl.talvex.example/a\\..\\..\\evil"_s << u"a_.._.._evil"_s;
    QTest::newRow("ordinary") << false << kAddress << u"tool120.lzh"_s;
}

void TstDownload::namesStayInsideTheFolder()
{
    QFETCH(bool, entryName);
    QFETCH(QString, given);
    QFETCH(QString, name);
    QCOMPARE(entryName ? download::EntryFolderName(given) : download::ArchiveFileName(given), name);
    if (entryName)
        return;
    // The reader leaves no local file for a refused name.
    m_folder->writeLines(u"DOWNLOAD/Tool/LIBINFO.TXT"_s, libInfo(u"Tool"_s, given, u"1 バイト"_s));
    download::LibInfo info;
    QVERIFY(download::ReadLibInfo(m_folder->file(u"DOWNLOAD/Tool"_s), &info));
    QCOMPARE(info.localFile,
             name.isEmpty() ? QString() : m_folder->file(u"DOWNLOAD/Tool/"_s + name));
}

QTEST_MAIN(TstDownload)

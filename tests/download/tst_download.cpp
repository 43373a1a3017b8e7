#include "download/LibInfo.h"
#include "download/frmDownload.h"
#include "support/TestFolder.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
#include "util/Text.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kAddress = u"http://dl.talvex.example/pub/win/util/tool120.lzh"_s;

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
    QString cleaned = name;
    util::CleanFileName(cleaned);
    return u"DOWNLOAD/"_s + cleaned;
}

} // namespace

class TstDownload : public QObject
{
    Q_OBJECT

private slots:
    void readsTheThreeLines_data();
    void readsTheThreeLines();
    void acceptsStoredPathShapesAndLineEnds_data();
    void acceptsStoredPathShapesAndLineEnds();
    void unreadableFileFails_data();
    void unreadableFileFails();
    void windowShowsTheEntryAndNeverClaimsAFetch();
};

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
    TestFolder folder;
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
    TestFolder folder;
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
    TestFolder folder;
    QDir().mkpath(folder.file(u"DOWNLOAD/Tool"_s));
    if (lines == -2)
        QDir().mkpath(folder.file(u"DOWNLOAD/Tool/LIBINFO.TXT"_s));
    else if (lines >= 0)
        folder.writeLines(u"DOWNLOAD/Tool/LIBINFO.TXT"_s,
                          libInfo(u"Tool"_s, kAddress, u"1 バイト"_s).mid(0, lines));
    download::LibInfo info;
    QVERIFY(!download::ReadLibInfo(folder.file(u"DOWNLOAD/Tool"_s), &info));
}

void TstDownload::windowShowsTheEntryAndNeverClaimsAFetch()
{
    TestFolder folder;
    folder.writeLines(u"DOWNLOAD/Tool/LIBINFO.TXT"_s,
                      libInfo(u"便利ツール"_s, kAddress, u"2,048 バイト"_s));
    msg::ScriptedSink sink;
    download::frmDownload window;
    window.setPrtyDownFile(folder.file(u"DOWNLOAD/Tool"_s));
    QVERIFY(window.Load());
    QCOMPARE(window.windowTitle(), u"便利ツールをダウンロード中です..."_s);
    QCOMPARE(window.findChild<QLabel*>(u"lbl_get_0"_s)->text(), window.windowTitle());
    QCOMPARE(window.findChild<QLineEdit*>(u"txt_get"_s)->text(),
             folder.file(u"DOWNLOAD/Tool/tool120.lzh"_s));

    // The run closes the window by itself and reports that nothing was fetched.
    QCOMPARE(window.ShowModal(), int(QDialog::Rejected));
    QVERIFY(!window.isVisible());
    QVERIFY(sink.shown.isEmpty());
    QCOMPARE(QDir(folder.file(u"DOWNLOAD/Tool"_s)).entryList(QDir::Files),
             QStringList{u"LIBINFO.TXT"_s});
}

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
